// The editor's texture table, built from the host's texture list.
#pragma once

#include <stdint.h>

#include "kred_records.h"

#define KRED_TEXTURE_SLOTS 600 // 599 textures and the terminator

struct FILE_ENTRY {
  char *szFile; // 80 bytes: the host's name, at most 79 characters
  char *szName; // 90 bytes: the label shown in texture lists
  uint16_t w;
  uint16_t h;
};

extern FILE_ENTRY *feTextures;

// Attach/detach: the table and its name buffers. Alloc is idempotent.
bool Textures_Alloc(void);
void Textures_Free(void);

// Fills the table from the host's list (null = empty) and writes the "---"
// terminator after the last entry. Returns the number of textures taken.
int Textures_Build(const SHARED_TEXTURE_DATA *pList);

// Number of textures before the terminator (0 when the table is absent).
int Textures_Count(void);

// The display label of host name szHost at index i ("%2d) %-7s%s"), cut to
// 89 characters; szOut holds at least 90 bytes.
void Textures_MakeLabel(char *szOut, int i, const char *szHost);

// Name of a texture index for dialogs and the fixup file: "###" for -2, "-"
// for other negative values, the listed name otherwise. An index past the
// end of the table gives "?" instead of reading outside it.
const char *ReturnTextureName(int32_t iIndex);
