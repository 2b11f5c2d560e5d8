#include "palgrid.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

// Far beyond any screen; keeps x * y and the row arithmetic inside int.
#define PALGRID_MAX_SIDE 16384

size_t PalGrid_RowBytes(int x) {
  if (x <= 0)
    return 0;
  return ((size_t)x + 3u) & ~(size_t)3u;
}

size_t PalGrid_BufferSize(int x, int y) {
  if (x <= 0 || y <= 0 || x > PALGRID_MAX_SIDE || y > PALGRID_MAX_SIDE)
    return 0;
  return PalGrid_RowBytes(x) * (size_t)y;
}

static int PalGrid_ColumnBand(int px, int x) {
  return (int)(((long long)px * PALGRID_BANDS) / x);
}

// Memory row ly counts from the bottom; band 0 is the top of the window.
static int PalGrid_RowBand(int ly, int y) {
  return (int)(((long long)(y - ly - 1) * PALGRID_BANDS) / y);
}

bool PalGrid_Fill(uint8_t *pBuffer, int x, int y, const uint8_t *Table) {
  size_t cbSize = PalGrid_BufferSize(x, y);
  if (cbSize == 0 || pBuffer == NULL || Table == NULL)
    return false;
  size_t cbRow = PalGrid_RowBytes(x);
  memset(pBuffer, 0, cbSize);

  // Every row of one row band looks the same: work out which pixels are
  // column separators once, then build each band's row on first use.
  std::vector<int16_t> iColumn((size_t)x);
  for (int px = 0; px < x; px++) {
    int c = PalGrid_ColumnBand(px, x);
    bool bLine = px > 0 && c != PalGrid_ColumnBand(px - 1, x);
    iColumn[(size_t)px] = bLine ? (int16_t)-1 : (int16_t)c;
  }

  int iBandBelow = 0;
  const uint8_t *pBuilt = NULL; // the row below, when it is of the same band
  for (int ly = 0; ly < y; ly++) {
    int r = PalGrid_RowBand(ly, y);
    uint8_t *pRow = pBuffer + (size_t)ly * cbRow;
    bool bLine = r != iBandBelow;
    iBandBelow = r;
    if (bLine) {
      pBuilt = NULL; // a separator row stays 0
      continue;
    }
    if (pBuilt != NULL) {
      memcpy(pRow, pBuilt, (size_t)x);
      pBuilt = pRow;
      continue;
    }
    pBuilt = pRow;
    for (int px = 0; px < x; px++) {
      int c = iColumn[(size_t)px];
      if (c >= 0)
        pRow[px] = Table[PALGRID_BANDS * c + r];
    }
  }
  return true;
}

uint8_t *Make16By16Grid(int x, int y, const uint8_t *Table) {
  size_t cbSize = PalGrid_BufferSize(x, y);
  if (cbSize == 0 || Table == NULL)
    return NULL;
  uint8_t *pBuffer = (uint8_t *)malloc(cbSize);
  if (pBuffer == NULL)
    return NULL;
  PalGrid_Fill(pBuffer, x, y, Table);
  return pBuffer;
}
