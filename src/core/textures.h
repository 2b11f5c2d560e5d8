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

// Changes whenever the table's content may have changed (built, allocated
// or freed), so that a reader can keep what it derived from the names.
uint32_t Textures_Generation(void);

// Wakes and their tables. WakeUpDLL starts the editor thread before it
// builds the table, so a wake takes a number first and marks it built
// afterwards; the editor thread reads the table only once its wake is
// built. Numbers wrap; a wake that never builds is overtaken by the next.
uint32_t Textures_TakeWake(void);
// The number of the latest wake (for an editor thread that built nothing).
uint32_t Textures_LastWake(void);
void Textures_WakeBuilt(uint32_t dwWake);
bool Textures_WakeReady(uint32_t dwWake);

// The display label of host name szHost at index i ("%2d) %-7s%s"), cut to
// 89 characters; szOut holds at least 90 bytes.
void Textures_MakeLabel(char *szOut, int i, const char *szHost);

// Name of a texture index for dialogs and the fixup file: "###" for -2, "-"
// for other negative values, the listed name otherwise; the index of the
// terminator (the number of textures) names it, "---". An index past the
// terminator, or any index while there is no table, gives "?" instead of
// reading outside it.
const char *ReturnTextureName(int32_t iIndex);
