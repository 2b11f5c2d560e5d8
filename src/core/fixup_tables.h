// The overdub, fixup and revert tables: lists of records keyed by
// (type, tag, tag), in the order each key was first recorded.
#pragma once

#include <stdint.h>

enum { OFT_SECTOR = 0, OFT_WALL = 1, OFT_VERTEX = 2 };

struct _kred_fixup {
  int32_t oftType;
  uint32_t dwModTag1;
  uint32_t dwModTag2;
  _kred_fixup *ofNextFixup;
  int32_t iSize; // payload bytes, stored directly behind the entry
};

struct SECTOR_OVERDUB {
  char szSoundName[80];
  char szSectorName[80];
};

struct VERTEX_DATA {
  double dOldPosX;
  double dOldPosY;
  double dNewPosX;
  double dNewPosY;
};

static_assert(sizeof(SECTOR_OVERDUB) == 160, "SECTOR_OVERDUB");
static_assert(sizeof(VERTEX_DATA) == 32, "VERTEX_DATA");

extern _kred_fixup *odMaster;
extern _kred_fixup *ofMaster;
extern _kred_fixup *orMaster;

void *FixupPayload(_kred_fixup *pf);

// Replace or append (a recorded key keeps its place, new keys go last).
// False when the record could not be kept (out of memory, bad arguments).
bool AddToOverdubTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                       int iSize);
bool AddToFixupTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                     int iSize);
// Keep the first record of a key. True when the key is in the table
// afterwards (recorded now or before).
bool AddToRevertTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                      int iSize);
void *FindAnOverdub(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2);
void *FindRevertTableEntry(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2);

// Number of entries of each table (tests, benchmarks).
int ChangeTables_Count(const _kred_fixup *pHead);
// Frees all three tables; used when the library is unloaded.
void FreeChangeTables(void);
