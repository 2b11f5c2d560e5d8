#include "selection.h"

#include <string.h>

#include "geometry.h"

uint16_t wWallSelectionSet[KRED_MAX_SELECTIONS];
std::atomic<uint16_t> wCurrentWallSelections{0};
int16_t iSelWall = 0;
std::atomic<int16_t> piSelWall{-1};

// Wall indices name entries of a snapshot's wall array, which holds at most
// KRED_MAX_SELECTIONS walls; anything else cannot be a wall.
static bool Sel_IsWallIndex(int w) {
  return w >= 0 && w < KRED_MAX_SELECTIONS;
}

// The count is read once per call: the host's thread may empty the list
// meanwhile, and a stale count must still stay inside the array.
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

// The host's thread empties the list on a sector change, at any moment.
// Each change is committed by a compare-exchange on the count, so such an
// emptying is never undone; the pick that lost the race referred to the old
// sector's walls and is dropped.
static void Sel_Commit(int nOld, int nNew) {
  uint16_t wExpected = (uint16_t)nOld;
  wCurrentWallSelections.compare_exchange_strong(wExpected, (uint16_t)nNew);
}

void AddWallToSelectedList(int w) {
  int n = Sel_Count();
  if (!Sel_IsWallIndex(w) || n >= KRED_MAX_SELECTIONS || Sel_Find(n, w) >= 0)
    return;
  wWallSelectionSet[n] = (uint16_t)w;
  Sel_Commit(n, n + 1);
}

void ToggleWallInSelectedList(int w) {
  int n = Sel_Count();
  if (!Sel_IsWallIndex(w) || n >= KRED_MAX_SELECTIONS)
    return;
  int i = Sel_Find(n, w);
  if (i < 0) {
    wWallSelectionSet[n] = (uint16_t)w;
    Sel_Commit(n, n + 1);
    return;
  }
  memmove(&wWallSelectionSet[i], &wWallSelectionSet[i + 1],
          (size_t)(n - i - 1) * sizeof(wWallSelectionSet[0]));
  Sel_Commit(n, n - 1);
}

int IsWallInSelectionList(int w) {
  if (!Sel_IsWallIndex(w))
    return 0;
  return Sel_Find(Sel_Count(), w) >= 0 ? 1 : 0;
}

void ClearWallSelection(void) {
  wCurrentWallSelections.store(0);
}

int TargetedWall(void) {
  if (Sel_Count() != 0)
    return wWallSelectionSet[0];
  return FindOutWhichWallWereLookingAt();
}
