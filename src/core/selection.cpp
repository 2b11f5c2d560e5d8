#include "selection.h"

#include <string.h>

#include "geometry.h"
#include "snapshot.h"

uint16_t wWallSelectionSet[KRED_MAX_SELECTIONS];
std::atomic<uint16_t> wCurrentWallSelections{0};
int16_t iSelWall = -1;
std::atomic<int16_t> piSelWall{-1};
uint32_t dwSelSectorTag = 0xFFFFFFFFu;
bool bSelSectorKnown = false;

// Wall indices name entries of a snapshot's wall array, which holds at most
// KRED_MAX_SELECTIONS walls; anything else cannot be a wall.
static bool Sel_IsWallIndex(int w) {
  return w >= 0 && w < KRED_MAX_SELECTIONS;
}

static int Sel_Count(void) {
  int n = wCurrentWallSelections.load();
  return n > KRED_MAX_SELECTIONS ? KRED_MAX_SELECTIONS : n;
}

static int Sel_Find(int n, int w) {
  for (int i = 0; i < n; i++)
    if (wWallSelectionSet[i] == w)
      return i;
  return -1;
}

void Selection_Reset(void) {
  wCurrentWallSelections.store(0);
  iSelWall = -1;
  piSelWall.store(-1);
  dwSelSectorTag = 0xFFFFFFFFu;
  bSelSectorKnown = false;
}

// Another sector: its walls are numbered afresh, so nothing picked or faced
// before may stay. Returns whether anything was dropped.
static bool Sel_FollowSector(uint32_t dwSector) {
  if (bSelSectorKnown && dwSector == dwSelSectorTag)
    return false;
  bool bDropped = Sel_Count() != 0 || iSelWall >= 0 || piSelWall.load() >= 0;
  wCurrentWallSelections.store(0);
  iSelWall = -1;
  piSelWall.store(-1);
  dwSelSectorTag = dwSector;
  bSelSectorKnown = true;
  return bDropped;
}

int Selection_BeginRead(bool *pbEmptied) {
  int iSlot = Snapshot_BeginRead();
  bool bDropped = Sel_FollowSector(pvSet[iSlot].dwSectorHandle);
  if (pbEmptied)
    *pbEmptied = bDropped;
  return iSlot;
}

void Selection_EndRead(void) {
  Snapshot_EndRead();
}

void AddWallToSelectedList(int w) {
  int n = Sel_Count();
  if (!Sel_IsWallIndex(w) || n >= KRED_MAX_SELECTIONS || Sel_Find(n, w) >= 0)
    return;
  wWallSelectionSet[n] = (uint16_t)w;
  wCurrentWallSelections.store((uint16_t)(n + 1));
}

void ToggleWallInSelectedList(int w) {
  int n = Sel_Count();
  if (!Sel_IsWallIndex(w) || n >= KRED_MAX_SELECTIONS)
    return;
  int i = Sel_Find(n, w);
  if (i < 0) {
    wWallSelectionSet[n] = (uint16_t)w;
    wCurrentWallSelections.store((uint16_t)(n + 1));
    return;
  }
  memmove(&wWallSelectionSet[i], &wWallSelectionSet[i + 1],
          (size_t)(n - i - 1) * sizeof(wWallSelectionSet[0]));
  wCurrentWallSelections.store((uint16_t)(n - 1));
}

int IsWallInSelectionList(int w) {
  if (!Sel_IsWallIndex(w))
    return 0;
  return Sel_Find(Sel_Count(), w) >= 0 ? 1 : 0;
}

void ClearWallSelection(void) {
  wCurrentWallSelections.store(0);
}

int FindOutWhichWallWereLookingAt(void) {
  int iSlot = Selection_BeginRead(nullptr);
  int iWall = FindFacedWall(&pvSet[iSlot]);
  Selection_EndRead();
  return iWall;
}

// Walls in the snapshot: a list that the host republished shorter under the
// same sector tag must not send a reader past its walls.
static int Sel_WallsIn(const EDITOR_VIEW *pv) {
  int nWalls = pv->fpWSet ? pv->iWallCount : 0;
  return nWalls > KRED_MAX_WALLS ? KRED_MAX_WALLS : nWalls;
}

int TargetedWall(void) {
  int iSlot = Selection_BeginRead(nullptr);
  const EDITOR_VIEW *pv = &pvSet[iSlot];
  int iWall = FindFacedWall(pv);
  if (Sel_Count() != 0)
    iWall = wWallSelectionSet[0] < Sel_WallsIn(pv) ? wWallSelectionSet[0] : -1;
  Selection_EndRead();
  return iWall;
}

int Selection_GatherTags(uint32_t *pdwSectorTag, uint32_t *pdwWallTags, int nMax) {
  int iSlot = Selection_BeginRead(nullptr);
  const EDITOR_VIEW *pv = &pvSet[iSlot];
  int nWalls = Sel_WallsIn(pv);
  *pdwSectorTag = pv->dwSectorHandle;
  int nOut = 0;
  int n = Sel_Count();
  if (n == 0 && iSelWall >= 0 && iSelWall < nWalls && nMax > 0)
    pdwWallTags[nOut++] = pv->fpWSet[iSelWall].dwWallTag;
  for (int i = 0; i < n && nOut < nMax; i++)
    if (wWallSelectionSet[i] < nWalls)
      pdwWallTags[nOut++] = pv->fpWSet[wWallSelectionSet[i]].dwWallTag;
  Selection_EndRead();
  return nOut;
}
