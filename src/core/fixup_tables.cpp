// The overdub, fixup and revert tables of every level. Each table is a
// singly linked list (the order in which each key was first recorded) with
// a tail pointer and an open-addressing index from key to entry beside it,
// so recording and lookup never walk the list: exporting a whole level stays
// linear in its size.
//
// A fixup record keeps the names of its textures as they were when it was
// recorded. Each name is kept once in a pool, and the pool's entry for each
// index of the current texture table is remembered until the table changes;
// each distinct set of a record's four names is kept once too, so an entry
// carries one pointer and recording costs a few array reads and, unless the
// record before had the same names, one hash probe.
#include "fixup_tables.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "kred_records.h"
#include "textures.h"

_kred_fixup *odMaster = nullptr;
_kred_fixup *ofMaster = nullptr;
_kred_fixup *orMaster = nullptr;

namespace {

// ---------------------------------------------------------------------------
// Allocation, with the tests' failure hook

bool bFtHook = false;
long nFtAllowed = 0;
long nFtFailing = 0;

bool ft_AllocFails() {
  if (!bFtHook)
    return false;
  if (nFtAllowed > 0) {
    nFtAllowed--;
    return false;
  }
  if (nFtFailing < 0)
    return true;
  if (nFtFailing > 0) {
    nFtFailing--;
    return true;
  }
  bFtHook = false;
  return false;
}

void *ft_Malloc(size_t cb) {
  return ft_AllocFails() ? nullptr : malloc(cb);
}

void *ft_Calloc(size_t n, size_t cb) {
  return ft_AllocFails() ? nullptr : calloc(n, cb);
}

// ---------------------------------------------------------------------------
// Texture names of fixup records

// The pool: every distinct name once, in an open-addressing set.
char **ppFtNames = nullptr;
size_t cFtNameSlots = 0;
size_t cFtNames = 0;

// The pool's name for each index of the texture table of generation
// dwFtNamesGen (null: not looked up yet).
const char *apszFtByIndex[KRED_TEXTURE_SLOTS];
uint32_t dwFtNamesGen = 0;
bool bFtNamesGenValid = false;

uint32_t ft_NameHash(const char *sz) {
  uint32_t h = 2166136261u;
  for (; *sz != '\0'; sz++)
    h = (h ^ (uint8_t)*sz) * 16777619u;
  return h;
}

char **ft_NameSlot(char **ppSlots, size_t cSlots, const char *sz, uint32_t h) {
  size_t mask = cSlots - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask)
    if (ppSlots[i] == nullptr || strcmp(ppSlots[i], sz) == 0)
      return &ppSlots[i];
}

// The pool's copy of sz, added when missing; null when out of memory.
const char *ft_InternName(const char *sz) {
  uint32_t h = ft_NameHash(sz);
  if (cFtNameSlots > 0) {
    char **pps = ft_NameSlot(ppFtNames, cFtNameSlots, sz, h);
    if (*pps != nullptr)
      return *pps;
  }
  if ((cFtNames + 1) * 2 > cFtNameSlots) {
    size_t cNew = cFtNameSlots == 0 ? 64 : cFtNameSlots * 2;
    char **ppNew = (char **)ft_Calloc(cNew, sizeof(char *));
    if (ppNew == nullptr)
      return nullptr;
    for (size_t i = 0; i < cFtNameSlots; i++)
      if (ppFtNames[i] != nullptr)
        *ft_NameSlot(ppNew, cNew, ppFtNames[i], ft_NameHash(ppFtNames[i])) = ppFtNames[i];
    free(ppFtNames);
    ppFtNames = ppNew;
    cFtNameSlots = cNew;
  }
  size_t cb = strlen(sz) + 1;
  char *pCopy = (char *)ft_Malloc(cb);
  if (pCopy == nullptr)
    return nullptr;
  memcpy(pCopy, sz, cb);
  *ft_NameSlot(ppFtNames, cFtNameSlots, sz, h) = pCopy;
  cFtNames++;
  return pCopy;
}

// The sets of four names, each distinct set once, in an open-addressing set.
struct FT_NAMESET {
  const char *apsz[FIXUP_SURFACES];
};
FT_NAMESET **ppFtSets = nullptr;
size_t cFtSetSlots = 0;
size_t cFtSets = 0;
const FT_NAMESET *pFtLastSet = nullptr; // records in a row often share theirs

uint32_t ft_SetHash(const char *const apsz[FIXUP_SURFACES]) {
  uint64_t x = 0;
  for (int k = 0; k < FIXUP_SURFACES; k++)
    x = (x ^ (uint64_t)(uintptr_t)apsz[k]) * 0x9E3779B97F4A7C15ull;
  return (uint32_t)(x >> 32);
}

FT_NAMESET **ft_SetSlot(FT_NAMESET **ppSlots, size_t cSlots, const char *const apsz[FIXUP_SURFACES],
                        uint32_t h) {
  size_t mask = cSlots - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask)
    if (ppSlots[i] == nullptr || memcmp(ppSlots[i]->apsz, apsz, sizeof(ppSlots[i]->apsz)) == 0)
      return &ppSlots[i];
}

// The kept set of these names, added when missing; null when out of memory.
const FT_NAMESET *ft_InternSet(const char *const apsz[FIXUP_SURFACES]) {
  if (pFtLastSet != nullptr && memcmp(pFtLastSet->apsz, apsz, sizeof(pFtLastSet->apsz)) == 0)
    return pFtLastSet;
  uint32_t h = ft_SetHash(apsz);
  if (cFtSetSlots > 0) {
    FT_NAMESET **pps = ft_SetSlot(ppFtSets, cFtSetSlots, apsz, h);
    if (*pps != nullptr)
      return pFtLastSet = *pps;
  }
  if ((cFtSets + 1) * 2 > cFtSetSlots) {
    size_t cNew = cFtSetSlots == 0 ? 64 : cFtSetSlots * 2;
    FT_NAMESET **ppNew = (FT_NAMESET **)ft_Calloc(cNew, sizeof(FT_NAMESET *));
    if (ppNew == nullptr)
      return nullptr;
    for (size_t i = 0; i < cFtSetSlots; i++)
      if (ppFtSets[i] != nullptr)
        *ft_SetSlot(ppNew, cNew, ppFtSets[i]->apsz, ft_SetHash(ppFtSets[i]->apsz)) = ppFtSets[i];
    free(ppFtSets);
    ppFtSets = ppNew;
    cFtSetSlots = cNew;
  }
  FT_NAMESET *pSet = (FT_NAMESET *)ft_Malloc(sizeof(FT_NAMESET));
  if (pSet == nullptr)
    return nullptr;
  memcpy(pSet->apsz, apsz, sizeof(pSet->apsz));
  *ft_SetSlot(ppFtSets, cFtSetSlots, apsz, h) = pSet;
  cFtSets++;
  return pFtLastSet = pSet;
}

void ft_FreeNames() {
  for (size_t i = 0; i < cFtSetSlots; i++)
    free(ppFtSets[i]);
  free(ppFtSets);
  ppFtSets = nullptr;
  cFtSetSlots = 0;
  cFtSets = 0;
  pFtLastSet = nullptr;
  for (size_t i = 0; i < cFtNameSlots; i++)
    free(ppFtNames[i]);
  free(ppFtNames);
  ppFtNames = nullptr;
  cFtNameSlots = 0;
  cFtNames = 0;
  bFtNamesGenValid = false;
}

// The kept names of a sector's or wall's surfaces into *ppNames (null for
// other records). False when out of memory.
bool ft_CaptureNames(int32_t oft, const void *pData, int iSize, const char *const **ppNames) {
  *ppNames = nullptr;
  size_t aOffsets[FIXUP_SURFACES];
  if (oft == OFT_SECTOR && iSize >= (int)sizeof(SECTOR_DATA)) {
    aOffsets[0] = offsetof(SECTOR_DATA, cfCeiling);
    aOffsets[1] = offsetof(SECTOR_DATA, cfCeiling) + sizeof(CF_DATA);
    aOffsets[2] = offsetof(SECTOR_DATA, cfFloor);
    aOffsets[3] = offsetof(SECTOR_DATA, cfFloor) + sizeof(CF_DATA);
  } else if (oft == OFT_WALL && iSize >= (int)sizeof(WALL_DATA)) {
    aOffsets[0] = offsetof(WALL_DATA, cfdUpper);
    aOffsets[1] = offsetof(WALL_DATA, cfdMiddle);
    aOffsets[2] = offsetof(WALL_DATA, cfdLower);
    aOffsets[3] = offsetof(WALL_DATA, cfdOverlay);
  } else {
    return true;
  }
  uint32_t dwGen = Textures_Generation();
  if (!bFtNamesGenValid || dwGen != dwFtNamesGen) {
    memset(apszFtByIndex, 0, sizeof(apszFtByIndex));
    dwFtNamesGen = dwGen;
    bFtNamesGenValid = true;
  }
  int32_t nTextures = Textures_Count();
  const char *apsz[FIXUP_SURFACES];
  for (int k = 0; k < FIXUP_SURFACES; k++) {
    int32_t iIndex;
    memcpy(&iIndex, (const char *)pData + aOffsets[k] + offsetof(CF_DATA, iTextureIndex),
           sizeof(iIndex));
    // Negative and out-of-table indices name fixed texts that live forever;
    // the table's own names (the terminator's included) are copied.
    if (iIndex < 0 || iIndex > nTextures) {
      apsz[k] = ReturnTextureName(iIndex);
      continue;
    }
    if (apszFtByIndex[iIndex] == nullptr) {
      apszFtByIndex[iIndex] = ft_InternName(ReturnTextureName(iIndex));
      if (apszFtByIndex[iIndex] == nullptr)
        return false;
    }
    apsz[k] = apszFtByIndex[iIndex];
  }
  const FT_NAMESET *pSet = ft_InternSet(apsz);
  if (pSet == nullptr)
    return false;
  *ppNames = pSet->apsz;
  return true;
}

// ---------------------------------------------------------------------------
// One table

struct FT_SLOT {
  _kred_fixup *pf; // null: empty slot
  uint32_t dwHash;
};

struct FT_TABLE {
  _kred_fixup *pHead;
  _kred_fixup *pTail;
  FT_SLOT *pSlots; // cSlots entries, a power of two; null until the first entry
  size_t cSlots;
  size_t cUsed;
};

const size_t cFtMinSlots = 64;

// Payloads hold doubles; keep them on an 8-byte boundary on every target.
const size_t cbFtHead = (sizeof(_kred_fixup) + 7) & ~(size_t)7;

// Hosts hand out tags in runs (0, 1, 2, ... or handle-like values), and a
// whole-level export records them in that order. The hash keeps the low two
// bits of the sector tag and the low four of the wall tag as the position in
// a block of 64 slots, so a run fills neighbouring slots and the index is
// walked almost sequentially; the block number, made of all the other bits,
// is mixed so that tags differing anywhere spread over the whole index.
uint32_t ft_Hash(int32_t oft, uint32_t dwTag1, uint32_t dwTag2) {
  uint64_t x = ((uint64_t)(dwTag1 >> 2) << 28) | (dwTag2 >> 4);
  x ^= (uint64_t)(uint32_t)oft * 0x9E3779B97F4A7C15ull;
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  return (uint32_t)(x << 6) | ((dwTag1 & 3u) << 4) | (dwTag2 & 15u);
}

bool ft_Matches(const _kred_fixup *pf, int32_t oft, uint32_t dwTag1, uint32_t dwTag2) {
  return pf->oftType == oft && pf->dwModTag1 == dwTag1 && pf->dwModTag2 == dwTag2;
}

// The slot holding the key, or the empty slot where it would go. The index
// is never full, so every search ends.
FT_SLOT *ft_Probe(const FT_TABLE &t, uint32_t dwHash, int32_t oft, uint32_t dwTag1,
                  uint32_t dwTag2) {
  size_t mask = t.cSlots - 1;
  for (size_t i = dwHash & mask;; i = (i + 1) & mask) {
    FT_SLOT *ps = &t.pSlots[i];
    if (ps->pf == nullptr || (ps->dwHash == dwHash && ft_Matches(ps->pf, oft, dwTag1, dwTag2)))
      return ps;
  }
}

FT_SLOT *ft_FindSlot(const FT_TABLE &t, int32_t oft, uint32_t dwTag1, uint32_t dwTag2) {
  if (t.pSlots == nullptr)
    return nullptr;
  FT_SLOT *ps = ft_Probe(t, ft_Hash(oft, dwTag1, dwTag2), oft, dwTag1, dwTag2);
  return ps->pf == nullptr ? nullptr : ps;
}

void ft_PutSlot(FT_SLOT *pSlots, size_t cSlots, _kred_fixup *pf, uint32_t dwHash) {
  size_t mask = cSlots - 1;
  size_t i = dwHash & mask;
  while (pSlots[i].pf != nullptr)
    i = (i + 1) & mask;
  pSlots[i].pf = pf;
  pSlots[i].dwHash = dwHash;
}

// Makes room for one more key: keeps the index at most half full, or, when
// a larger index cannot be allocated, at least one slot empty. False when
// there is no room.
bool ft_Reserve(FT_TABLE &t) {
  if ((t.cUsed + 1) * 2 <= t.cSlots)
    return true;
  size_t cNew = t.cSlots == 0 ? cFtMinSlots : t.cSlots * 2;
  FT_SLOT *pNew = nullptr;
  if (cNew > t.cSlots && cNew <= (size_t)-1 / sizeof(FT_SLOT) && cNew <= ((size_t)1 << 31))
    pNew = (FT_SLOT *)ft_Calloc(cNew, sizeof(FT_SLOT));
  if (pNew == nullptr)
    return t.cUsed + 1 < t.cSlots;
  for (size_t i = 0; i < t.cSlots; i++)
    if (t.pSlots[i].pf != nullptr)
      ft_PutSlot(pNew, cNew, t.pSlots[i].pf, t.pSlots[i].dwHash);
  free(t.pSlots);
  t.pSlots = pNew;
  t.cSlots = cNew;
  return true;
}

_kred_fixup *ft_NewEntry(int32_t oft, uint32_t dwTag1, uint32_t dwTag2, const void *pData,
                         int iSize, const char *const *ppNames) {
  _kred_fixup *pf = (_kred_fixup *)ft_Malloc(cbFtHead + (size_t)iSize);
  if (pf == nullptr)
    return nullptr;
  pf->oftType = oft;
  pf->dwModTag1 = dwTag1;
  pf->dwModTag2 = dwTag2;
  pf->ofNextFixup = nullptr;
  pf->iSize = iSize;
  pf->ppszTextures = ppNames;
  if (iSize > 0)
    memcpy((char *)pf + cbFtHead, pData, (size_t)iSize);
  return pf;
}

// Appends a new key at the tail, indexed in the empty slot ps. When memory
// runs out the table is left as it was and false is returned.
bool ft_Append(FT_TABLE &t, FT_SLOT *ps, uint32_t dwHash, int32_t oft, uint32_t dwTag1,
               uint32_t dwTag2, const void *pData, int iSize, const char *const *ppNames) {
  _kred_fixup *pf = ft_NewEntry(oft, dwTag1, dwTag2, pData, iSize, ppNames);
  if (pf == nullptr)
    return false;
  ps->pf = pf;
  ps->dwHash = dwHash;
  t.cUsed++;
  if (t.pHead == nullptr)
    t.pHead = pf;
  else
    t.pTail->ofNextFixup = pf;
  t.pTail = pf;
  return true;
}

bool ft_Replace(FT_TABLE &t, FT_SLOT *ps, const void *pData, int iSize,
                const char *const *ppNames) {
  _kred_fixup *pOld = ps->pf;
  // Same size: overwrite in place, so payload pointers stay valid.
  if (pOld->iSize == iSize) {
    if (iSize > 0)
      memmove((char *)pOld + cbFtHead, pData, (size_t)iSize);
    pOld->ppszTextures = ppNames;
    return true;
  }
  _kred_fixup *pNew =
      ft_NewEntry(pOld->oftType, pOld->dwModTag1, pOld->dwModTag2, pData, iSize, ppNames);
  if (pNew == nullptr)
    return false; // the old record stays
  // A key recorded with another size is rare enough to find its
  // predecessor by walking.
  _kred_fixup *pPrev = nullptr;
  for (_kred_fixup *p = t.pHead; p != pOld; p = p->ofNextFixup)
    pPrev = p;
  pNew->ofNextFixup = pOld->ofNextFixup;
  if (pPrev == nullptr)
    t.pHead = pNew;
  else
    pPrev->ofNextFixup = pNew;
  if (t.pTail == pOld)
    t.pTail = pNew;
  ps->pf = pNew;
  free(pOld);
  return true;
}

// Records under a key: replaces the existing entry (bReplace) or keeps it,
// and appends a new key. One probe serves both the search and the insert.
// bNames: the entry keeps its surfaces' texture names. True when the key
// holds a record afterwards (for bReplace: this one).
bool ft_Record(FT_TABLE &t, bool bReplace, bool bNames, int32_t oft, uint32_t dwTag1,
               uint32_t dwTag2, const void *pData, int iSize) {
  if (iSize < 0 || (iSize > 0 && pData == nullptr))
    return false;
  const char *const *ppNames = nullptr;
  if (bNames && !ft_CaptureNames(oft, pData, iSize, &ppNames))
    return false;
  if (!ft_Reserve(t)) {
    // No room for a new key; an existing one can still take new content.
    FT_SLOT *ps = ft_FindSlot(t, oft, dwTag1, dwTag2);
    if (ps == nullptr)
      return false;
    return bReplace ? ft_Replace(t, ps, pData, iSize, ppNames) : true;
  }
  uint32_t dwHash = ft_Hash(oft, dwTag1, dwTag2);
  FT_SLOT *ps = ft_Probe(t, dwHash, oft, dwTag1, dwTag2);
  if (ps->pf == nullptr)
    return ft_Append(t, ps, dwHash, oft, dwTag1, dwTag2, pData, iSize, ppNames);
  return bReplace ? ft_Replace(t, ps, pData, iSize, ppNames) : true;
}

void *ft_Lookup(const FT_TABLE &t, int32_t oft, uint32_t dwTag1, uint32_t dwTag2) {
  FT_SLOT *ps = ft_FindSlot(t, oft, dwTag1, dwTag2);
  return ps == nullptr ? nullptr : FixupPayload(ps->pf);
}

void ft_FreeTable(FT_TABLE &t) {
  _kred_fixup *p = t.pHead;
  while (p != nullptr) {
    _kred_fixup *pNext = p->ofNextFixup;
    free(p);
    p = pNext;
  }
  free(t.pSlots);
  t = FT_TABLE{nullptr, nullptr, nullptr, 0, 0};
}

// ---------------------------------------------------------------------------
// Levels

// Level names are kept up to this length; anything longer cannot name a
// fixup file anyway.
const size_t cbFtMaxLevelName = 1023;

enum { FT_OVERDUB = 0, FT_FIXUP = 1, FT_REVERT = 2, FT_TABLES = 3 };

struct FT_LEVEL {
  char *szName;
  int iIndex;
  FT_TABLE at[FT_TABLES];
};

FT_LEVEL **ppFtLevels = nullptr;
int cFtLevels = 0;
int cFtLevelRoom = 0;
FT_LEVEL *pftLevel = nullptr; // the selected level
bool bFtSelectFailed = false; // no level until the next selection

void ft_Publish() {
  odMaster = pftLevel == nullptr ? nullptr : pftLevel->at[FT_OVERDUB].pHead;
  ofMaster = pftLevel == nullptr ? nullptr : pftLevel->at[FT_FIXUP].pHead;
  orMaster = pftLevel == nullptr ? nullptr : pftLevel->at[FT_REVERT].pHead;
}

int ft_LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : (uint8_t)c;
}

// szKept against the first n characters of sz, ignoring ASCII case.
bool ft_SameName(const char *szKept, const char *sz, size_t n) {
  size_t i = 0;
  for (; i < n; i++)
    if (szKept[i] == '\0' || ft_LowerAscii(szKept[i]) != ft_LowerAscii(sz[i]))
      return false;
  return szKept[i] == '\0';
}

size_t ft_NameLength(const char *sz) {
  size_t n = 0;
  while (n < cbFtMaxLevelName && sz[n] != '\0')
    n++;
  return n;
}

FT_LEVEL *ft_NewLevel(const char *szLevel, size_t n) {
  if (cFtLevels == cFtLevelRoom) {
    int cNew = cFtLevelRoom == 0 ? 8 : cFtLevelRoom * 2;
    FT_LEVEL **ppNew = (FT_LEVEL **)ft_Malloc((size_t)cNew * sizeof(FT_LEVEL *));
    if (ppNew == nullptr)
      return nullptr;
    if (cFtLevels > 0)
      memcpy(ppNew, ppFtLevels, (size_t)cFtLevels * sizeof(FT_LEVEL *));
    free(ppFtLevels);
    ppFtLevels = ppNew;
    cFtLevelRoom = cNew;
  }
  FT_LEVEL *pl = (FT_LEVEL *)ft_Calloc(1, sizeof(FT_LEVEL));
  char *szName = (char *)ft_Malloc(n + 1);
  if (pl == nullptr || szName == nullptr) {
    free(pl);
    free(szName);
    return nullptr;
  }
  memcpy(szName, szLevel, n);
  szName[n] = '\0';
  pl->szName = szName;
  pl->iIndex = cFtLevels;
  ppFtLevels[cFtLevels++] = pl;
  return pl;
}

// The selected level; the level without a name until the first selection.
FT_LEVEL *ft_Level() {
  if (pftLevel == nullptr && !bFtSelectFailed)
    ChangeTables_SelectLevel(nullptr);
  return pftLevel;
}

bool ft_RecordInLevel(int iTable, bool bReplace, bool bNames, int32_t oft, uint32_t dwTag1,
                      uint32_t dwTag2, const void *pData, int iSize) {
  FT_LEVEL *pl = ft_Level();
  if (pl == nullptr)
    return false;
  bool bKept = ft_Record(pl->at[iTable], bReplace, bNames, oft, dwTag1, dwTag2, pData, iSize);
  ft_Publish();
  return bKept;
}

void *ft_LookupInLevel(int iTable, int32_t oft, uint32_t dwTag1, uint32_t dwTag2) {
  FT_LEVEL *pl = ft_Level();
  return pl == nullptr ? nullptr : ft_Lookup(pl->at[iTable], oft, dwTag1, dwTag2);
}

} // namespace

void *FixupPayload(_kred_fixup *pf) {
  return pf == nullptr ? nullptr : (char *)pf + cbFtHead;
}

bool ChangeTables_SelectLevel(const char *szLevel) {
  if (szLevel == nullptr)
    szLevel = "";
  size_t n = ft_NameLength(szLevel);
  FT_LEVEL *pl = nullptr;
  if (pftLevel != nullptr && ft_SameName(pftLevel->szName, szLevel, n))
    pl = pftLevel;
  for (int i = 0; pl == nullptr && i < cFtLevels; i++)
    if (ft_SameName(ppFtLevels[i]->szName, szLevel, n))
      pl = ppFtLevels[i];
  if (pl == nullptr)
    pl = ft_NewLevel(szLevel, n);
  pftLevel = pl;
  bFtSelectFailed = pl == nullptr;
  ft_Publish();
  return pl != nullptr;
}

int ChangeTables_LevelCount(void) {
  return cFtLevels;
}

const char *ChangeTables_LevelName(int iLevel) {
  return iLevel >= 0 && iLevel < cFtLevels ? ppFtLevels[iLevel]->szName : nullptr;
}

const _kred_fixup *ChangeTables_LevelFixups(int iLevel) {
  return iLevel >= 0 && iLevel < cFtLevels ? ppFtLevels[iLevel]->at[FT_FIXUP].pHead : nullptr;
}

int ChangeTables_CurrentLevel(void) {
  return pftLevel == nullptr ? -1 : pftLevel->iIndex;
}

bool AddToOverdubTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                       int iSize) {
  return ft_RecordInLevel(FT_OVERDUB, true, false, oft, dwFixupTag1, dwFixupTag2, pData, iSize);
}

bool AddToFixupTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                     int iSize) {
  return ft_RecordInLevel(FT_FIXUP, true, true, oft, dwFixupTag1, dwFixupTag2, pData, iSize);
}

bool AddToRevertTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                      int iSize) {
  return ft_RecordInLevel(FT_REVERT, false, false, oft, dwFixupTag1, dwFixupTag2, pData, iSize);
}

void *FindAnOverdub(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2) {
  return ft_LookupInLevel(FT_OVERDUB, oft, dwFixupTag1, dwFixupTag2);
}

void *FindRevertTableEntry(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2) {
  return ft_LookupInLevel(FT_REVERT, oft, dwFixupTag1, dwFixupTag2);
}

int ChangeTables_Count(const _kred_fixup *pHead) {
  int n = 0;
  for (const _kred_fixup *p = pHead; p != nullptr; p = p->ofNextFixup)
    n++;
  return n;
}

void FreeChangeTables(void) {
  for (int i = 0; i < cFtLevels; i++) {
    FT_LEVEL *pl = ppFtLevels[i];
    for (FT_TABLE &t : pl->at)
      ft_FreeTable(t);
    free(pl->szName);
    free(pl);
  }
  free(ppFtLevels);
  ppFtLevels = nullptr;
  cFtLevels = 0;
  cFtLevelRoom = 0;
  pftLevel = nullptr;
  bFtSelectFailed = false;
  ft_FreeNames();
  ft_Publish();
}

long ChangeTables_FailAllocations(long nAllowed, long nFailing) {
  long nPending = bFtHook ? nFtFailing : 0;
  bFtHook = nAllowed != 0 || nFailing != 0;
  nFtAllowed = nAllowed;
  nFtFailing = nFailing;
  return nPending;
}
