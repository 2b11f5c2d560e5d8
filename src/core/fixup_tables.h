// The overdub, fixup and revert tables: lists of records keyed by
// (type, tag, tag), in the order each key was first recorded. Every level
// that the host names has three tables of its own; the operations below act
// on the selected level's.
#pragma once

#include <stdint.h>

enum { OFT_SECTOR = 0, OFT_WALL = 1, OFT_VERTEX = 2 };

// Textured surfaces of a sector record (ceiling, its overlay, floor, its
// overlay) and of a wall record (upper, middle, lower, overlay).
#define FIXUP_SURFACES 4

struct _kred_fixup {
  int32_t oftType;
  uint32_t dwModTag1;
  uint32_t dwModTag2;
  int32_t iSize; // payload bytes, stored directly behind the entry
  _kred_fixup *ofNextFixup;
  // Fixup table, sector and wall records: the FIXUP_SURFACES names that the
  // texture table gave the surfaces' indices when the record was kept, so
  // that the record still reads the same after the host hands out another
  // texture list. Shared by all entries with the same names; null for other
  // entries.
  const char *const *ppszTextures;
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

// Heads of the selected level's tables (null while no level is selected).
extern _kred_fixup *odMaster;
extern _kred_fixup *ofMaster;
extern _kred_fixup *orMaster;

void *FixupPayload(_kred_fixup *pf);

// Selects the level whose tables the operations below use: the level that
// the host names (request 3010); null or "" is the level without a name.
// Names are compared ignoring ASCII case, as file names are. Until the
// first selection the level without a name is used. False when a new
// level's tables cannot be allocated: then every operation fails (adds
// give false, lookups null) until a level is selected.
bool ChangeTables_SelectLevel(const char *szLevel);

// Levels in the order each was first selected, with their fixup tables.
int ChangeTables_LevelCount(void);
const char *ChangeTables_LevelName(int iLevel);
const _kred_fixup *ChangeTables_LevelFixups(int iLevel);
// Index of the selected level, -1 when none is (or its selection failed).
int ChangeTables_CurrentLevel(void);

// Replace or append (a recorded key keeps its place, new keys go last).
// False when the record could not be kept (out of memory, bad arguments,
// no level); the table then holds what it held before.
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

// Number of entries of a table (tests, benchmarks).
int ChangeTables_Count(const _kred_fixup *pHead);
// Frees every level's tables; used when the library is unloaded.
void FreeChangeTables(void);

// Test hook: of the tables' next allocations, nAllowed succeed and then
// nFailing fail (a negative nFailing: all later ones), as if memory had
// run out; (0, 0) turns it off. Returns how many failures of the previous
// setting had not happened yet.
long ChangeTables_FailAllocations(long nAllowed, long nFailing);
