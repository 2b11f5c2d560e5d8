#include "snapshot.h"

#include <string.h>

#include <thread>

EDITOR_VIEW pvSet[2];
std::atomic<int> ipvSide{0};
std::atomic<RenderUsage *> gruPoint{nullptr};
std::atomic<uint32_t> bViewCopyLock{0};
std::atomic<uint32_t> bPositionLock{0};
std::atomic<uint32_t> bDrawingNow{0};
std::atomic<int> iDrawShiftCount{0};

// The slot arrays live in static storage: attach cannot fail and a copy
// never allocates. The pointers are null while detached.
static WALL_VERTEXES wvStore[2][KRED_MAX_WALLS];
static EDITOR_OBJECT eoStore[2][KRED_MAX_ACTORS];

// Editor thread only: nesting depth of the current read and its slot.
static int iSnapReadDepth = 0;
static int iSnapReadSlot = 0;

bool Snapshot_Alloc(void) {
  for (int i = 0; i < 2; i++) {
    if (!pvSet[i].pp)
      pvSet[i].pp = eoStore[i];
    if (!pvSet[i].fpWSet)
      pvSet[i].fpWSet = wvStore[i];
  }
  return true;
}

void Snapshot_Free(void) {
  for (int i = 0; i < 2; i++) {
    pvSet[i].pp = NULL;
    pvSet[i].fpWSet = NULL;
    pvSet[i].iWallCount = 0;
    pvSet[i].iActorCount = 0;
  }
  gruPoint.store(nullptr);
}

void Snapshot_Reset(void) {
  for (int i = 0; i < 2; i++) {
    WALL_VERTEXES *fpWSet = pvSet[i].fpWSet;
    EDITOR_OBJECT *pp = pvSet[i].pp;
    memset(&pvSet[i], 0, sizeof(pvSet[i]));
    pvSet[i].fpWSet = fpWSet;
    pvSet[i].pp = pp;
  }
  ipvSide.store(0);
  gruPoint.store(nullptr);
  bViewCopyLock.store(0);
  bPositionLock.store(0);
  bDrawingNow.store(0);
  iDrawShiftCount.store(0);
  iSnapReadDepth = 0;
  iSnapReadSlot = 0;
}

void Snapshot_ReaderReset(void) {
  iSnapReadDepth = 0;
  iSnapReadSlot = 0;
  bPositionLock.store(0);
  bDrawingNow.store(0);
  iDrawShiftCount.store(0);
}

static int Snap_Clamp(int32_t iCount, const void *pArray, int iCapacity) {
  if (!pArray || iCount <= 0)
    return 0;
  return iCount > iCapacity ? iCapacity : iCount;
}

// Host thread. The reader handshake is Dekker-style on sequentially
// consistent atomics: we raise bViewCopyLock before looking at bDrawingNow,
// the reader raises bDrawingNow before looking at bViewCopyLock. So either we
// see the reader and count this copy against its pass (it goes into the other
// slot), or the reader sees us and waits for this one copy before it picks
// its slot.
uint32_t Snapshot_Publish(const EDITOR_UPDATE_POSITION *eup) {
  if (!eup || bPositionLock.load())
    return 0;
  uint32_t dwFree = 0;
  if (!bViewCopyLock.compare_exchange_strong(dwFree, 1))
    return 0;
  if (bDrawingNow.load()) {
    if (iDrawShiftCount.load() >= 1) {
      bViewCopyLock.store(0);
      return 0;
    }
    iDrawShiftCount.fetch_add(1);
  }

  int iTarget = ipvSide.load() == 0 ? 1 : 0;
  EDITOR_VIEW *pv = &pvSet[iTarget];
  if (!pv->fpWSet || !pv->pp) {
    bViewCopyLock.store(0);
    return 0;
  }

  pv->wSectorNumber = eup->wSectorNumber;
  pv->x = eup->x;
  pv->y = eup->z;
  pv->sAngle = eup->sAngle;
  pv->dwSectorHandle = eup->dwSectorHandle;
  pv->ruData = eup->ruCurrent;
  int nWalls = Snap_Clamp(eup->iWallCount, eup->fpWSet, KRED_MAX_WALLS);
  pv->iWallCount = nWalls;
  if (nWalls)
    memcpy(pv->fpWSet, eup->fpWSet, (size_t)nWalls * sizeof(WALL_VERTEXES));
  int nActors = Snap_Clamp(eup->iActorCount, eup->pp, KRED_MAX_ACTORS);
  pv->iActorCount = nActors;
  if (nActors)
    memcpy(pv->pp, eup->pp, (size_t)nActors * sizeof(EDITOR_OBJECT));

  gruPoint.store(&pv->ruData);
  ipvSide.store(iTarget);
  bViewCopyLock.store(0);
  return 1;
}

int Snapshot_BeginRead(void) {
  if (iSnapReadDepth++ > 0)
    return iSnapReadSlot;
  bDrawingNow.store(1);
  // At most one copy can be in flight that did not see bDrawingNow; let it
  // finish so the slot taken below is complete.
  while (bViewCopyLock.load())
    std::this_thread::yield();
  iSnapReadSlot = ipvSide.load();
  return iSnapReadSlot;
}

void Snapshot_EndRead(void) {
  if (iSnapReadDepth <= 0)
    return;
  if (--iSnapReadDepth > 0)
    return;
  bDrawingNow.store(0);
  iDrawShiftCount.store(0);
}

bool Snapshot_IsReading(void) {
  return iSnapReadDepth > 0;
}
