// The palette viewer's 16 by 16 grid as an 8-bit bottom-up bitmap: 16 column
// bands and 16 row bands, one-pixel separator lines in colour 0, cells
// numbered down each column first.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define PALGRID_BANDS 16
#define PALGRID_CELLS 256

// Bytes of one bitmap row of x pixels: x rounded up to a multiple of 4.
size_t PalGrid_RowBytes(int x);
// Bytes of the whole buffer for x by y pixels; 0 when x or y is not
// positive or the buffer would be unreasonably large.
size_t PalGrid_BufferSize(int x, int y);

// Fills pBuffer (PalGrid_BufferSize(x, y) bytes) with the grid from the
// 256-entry index table. The first row in memory is the bottom row on
// screen; padding bytes are 0. Returns false, writing nothing, for a size
// that PalGrid_BufferSize refuses.
bool PalGrid_Fill(uint8_t *pBuffer, int x, int y, const uint8_t *Table);

// A newly allocated (malloc) grid buffer for a client area x by y; the
// caller frees it with free(). Null for an empty or absurd size, or when
// memory runs out.
uint8_t *Make16By16Grid(int x, int y, const uint8_t *Table);
