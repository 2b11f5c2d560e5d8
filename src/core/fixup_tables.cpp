// The overdub, fixup and revert tables. Each is a singly linked list (the
// order in which each key was first recorded) with a tail pointer and an
// open-addressing index from key to entry beside it, so recording and lookup
// never walk the list: exporting a whole level stays linear in its size.
#include "fixup_tables.h"

#include <stdlib.h>
#include <string.h>

_kred_fixup *odMaster = nullptr;
_kred_fixup *ofMaster = nullptr;
_kred_fixup *orMaster = nullptr;

namespace {

struct FT_SLOT {
  _kred_fixup *pf; // null: empty slot
  uint32_t dwHash;
};

struct FT_TABLE {
  _kred_fixup **ppHead;
  _kred_fixup *pTail;
  FT_SLOT *pSlots; // cSlots entries, a power of two; null until the first entry
  size_t cSlots;
  size_t cUsed;
};

FT_TABLE ftOverdub = {&odMaster, nullptr, nullptr, 0, 0};
FT_TABLE ftFixup = {&ofMaster, nullptr, nullptr, 0, 0};
FT_TABLE ftRevert = {&orMaster, nullptr, nullptr, 0, 0};

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
    pNew = (FT_SLOT *)calloc(cNew, sizeof(FT_SLOT));
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
                         int iSize) {
  _kred_fixup *pf = (_kred_fixup *)malloc(cbFtHead + (size_t)iSize);
  if (pf == nullptr)
    return nullptr;
  pf->oftType = oft;
  pf->dwModTag1 = dwTag1;
  pf->dwModTag2 = dwTag2;
  pf->ofNextFixup = nullptr;
  pf->iSize = iSize;
  if (iSize > 0)
    memcpy((char *)pf + cbFtHead, pData, (size_t)iSize);
  return pf;
}

// Appends a new key at the tail, indexed in the empty slot ps. When memory
// runs out the table is left as it was and false is returned.
bool ft_Append(FT_TABLE &t, FT_SLOT *ps, uint32_t dwHash, int32_t oft, uint32_t dwTag1,
               uint32_t dwTag2, const void *pData, int iSize) {
  _kred_fixup *pf = ft_NewEntry(oft, dwTag1, dwTag2, pData, iSize);
  if (pf == nullptr)
    return false;
  ps->pf = pf;
  ps->dwHash = dwHash;
  t.cUsed++;
  if (*t.ppHead == nullptr)
    *t.ppHead = pf;
  else
    t.pTail->ofNextFixup = pf;
  t.pTail = pf;
  return true;
}

bool ft_Replace(FT_TABLE &t, FT_SLOT *ps, const void *pData, int iSize) {
  _kred_fixup *pOld = ps->pf;
  // Same size: overwrite in place, so payload pointers stay valid.
  if (pOld->iSize == iSize) {
    if (iSize > 0)
      memmove((char *)pOld + cbFtHead, pData, (size_t)iSize);
    return true;
  }
  _kred_fixup *pNew = ft_NewEntry(pOld->oftType, pOld->dwModTag1, pOld->dwModTag2, pData, iSize);
  if (pNew == nullptr)
    return false; // the old record stays
  // A key recorded with another size is rare enough to find its
  // predecessor by walking.
  _kred_fixup *pPrev = nullptr;
  for (_kred_fixup *p = *t.ppHead; p != pOld; p = p->ofNextFixup)
    pPrev = p;
  pNew->ofNextFixup = pOld->ofNextFixup;
  if (pPrev == nullptr)
    *t.ppHead = pNew;
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
// True when the key holds a record afterwards (for bReplace: this one).
bool ft_Record(FT_TABLE &t, bool bReplace, int32_t oft, uint32_t dwTag1, uint32_t dwTag2,
               const void *pData, int iSize) {
  if (iSize < 0 || (iSize > 0 && pData == nullptr))
    return false;
  if (!ft_Reserve(t)) {
    // No room for a new key; an existing one can still take new content.
    FT_SLOT *ps = ft_FindSlot(t, oft, dwTag1, dwTag2);
    if (ps == nullptr)
      return false;
    return bReplace ? ft_Replace(t, ps, pData, iSize) : true;
  }
  uint32_t dwHash = ft_Hash(oft, dwTag1, dwTag2);
  FT_SLOT *ps = ft_Probe(t, dwHash, oft, dwTag1, dwTag2);
  if (ps->pf == nullptr)
    return ft_Append(t, ps, dwHash, oft, dwTag1, dwTag2, pData, iSize);
  return bReplace ? ft_Replace(t, ps, pData, iSize) : true;
}

void *ft_Lookup(const FT_TABLE &t, int32_t oft, uint32_t dwTag1, uint32_t dwTag2) {
  FT_SLOT *ps = ft_FindSlot(t, oft, dwTag1, dwTag2);
  return ps == nullptr ? nullptr : FixupPayload(ps->pf);
}

void ft_Free(FT_TABLE &t) {
  _kred_fixup *p = *t.ppHead;
  while (p != nullptr) {
    _kred_fixup *pNext = p->ofNextFixup;
    free(p);
    p = pNext;
  }
  *t.ppHead = nullptr;
  t.pTail = nullptr;
  free(t.pSlots);
  t.pSlots = nullptr;
  t.cSlots = 0;
  t.cUsed = 0;
}

} // namespace

void *FixupPayload(_kred_fixup *pf) {
  return pf == nullptr ? nullptr : (char *)pf + cbFtHead;
}

bool AddToOverdubTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                       int iSize) {
  return ft_Record(ftOverdub, true, oft, dwFixupTag1, dwFixupTag2, pData, iSize);
}

bool AddToFixupTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                     int iSize) {
  return ft_Record(ftFixup, true, oft, dwFixupTag1, dwFixupTag2, pData, iSize);
}

bool AddToRevertTable(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2, const void *pData,
                      int iSize) {
  return ft_Record(ftRevert, false, oft, dwFixupTag1, dwFixupTag2, pData, iSize);
}

void *FindAnOverdub(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2) {
  return ft_Lookup(ftOverdub, oft, dwFixupTag1, dwFixupTag2);
}

void *FindRevertTableEntry(int32_t oft, uint32_t dwFixupTag1, uint32_t dwFixupTag2) {
  return ft_Lookup(ftRevert, oft, dwFixupTag1, dwFixupTag2);
}

int ChangeTables_Count(const _kred_fixup *pHead) {
  int n = 0;
  for (const _kred_fixup *p = pHead; p != nullptr; p = p->ofNextFixup)
    n++;
  return n;
}

void FreeChangeTables(void) {
  ft_Free(ftOverdub);
  ft_Free(ftFixup);
  ft_Free(ftRevert);
}
