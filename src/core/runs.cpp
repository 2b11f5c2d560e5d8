#include "runs.h"

static KRED_RUN krRuns[KRED_MAX_RUNS];
static std::atomic<KRED_RUN *> pCurrentRun{nullptr};
// Records are taken in turn, so a pointer the host's thread still holds for
// a moment names a record that is not handed out again soon.
static std::atomic<unsigned> uNextRun{0};

KRED_RUN *Run_Start(KRED_CALLBACK pCallBack) {
  unsigned uFirst = uNextRun.load();
  for (unsigned k = 0; k < KRED_MAX_RUNS; k++) {
    unsigned i = (uFirst + k) % KRED_MAX_RUNS;
    KRED_RUN *r = &krRuns[i];
    int iFree = KRED_RUN_FREE;
    if (!r->iState.compare_exchange_strong(iFree, KRED_RUN_LIVE))
      continue;
    uNextRun.store(i + 1);
    r->bKillFlagPointer.store(nullptr);
    r->bFlagReturned.store(0);
    r->dwThreadId.store(0);
    r->hMainWnd.store(nullptr);
    r->pCallBack = pCallBack;
    r->hModuleRef = nullptr;
    r->hPrevThread = nullptr;
    r->iKeyStart = 0;
    r->dwTexWake = 0;
    return r;
  }
  return nullptr;
}

void Run_MakeCurrent(KRED_RUN *r) {
  pCurrentRun.store(r);
}

void Run_Retire(KRED_RUN *r) {
  KRED_RUN *pExpected = r;
  pCurrentRun.compare_exchange_strong(pExpected, nullptr);
}

void Run_Free(KRED_RUN *r) {
  r->hMainWnd.store(nullptr);
  r->dwThreadId.store(0);
  r->iState.store(KRED_RUN_FREE);
}

KRED_RUN *Run_Current(void) {
  return pCurrentRun.load();
}

KRED_RUN *Run_OfThread(uint32_t dwThreadId) {
  if (dwThreadId == 0)
    return nullptr;
  for (KRED_RUN &r : krRuns)
    if (r.iState.load() == KRED_RUN_LIVE && r.dwThreadId.load() == dwThreadId)
      return &r;
  return nullptr;
}

bool Run_KillRequested(const KRED_RUN *r) {
  return r && r->bKillFlagPointer.load() != nullptr;
}

static void Run_TakeFlag(KRED_RUN *r) {
  uint32_t *pFlag = r->bKillFlagPointer.exchange(nullptr);
  if (pFlag)
    *pFlag = 0;
}

// The store of the pointer and the load of bFlagReturned here, and the store
// of bFlagReturned and the exchange in Run_ReturnFlag, are sequentially
// consistent: whichever comes second sees the first, so a flag is never
// left set, and the exchange lets only one side write it.
KRED_RUN *Run_Kill(uint32_t *pFlag) {
  KRED_RUN *r = pCurrentRun.load();
  if (!r) {
    if (pFlag)
      *pFlag = 0;
    return nullptr;
  }
  r->bKillFlagPointer.store(pFlag);
  if (r->bFlagReturned.load())
    Run_TakeFlag(r);
  return r;
}

void Run_ReturnFlag(KRED_RUN *r) {
  r->bFlagReturned.store(1);
  Run_TakeFlag(r);
}

void Run_ResetAll(void) {
  pCurrentRun.store(nullptr);
  for (KRED_RUN &r : krRuns) {
    r.bKillFlagPointer.store(nullptr);
    r.bFlagReturned.store(0);
    Run_Free(&r);
  }
  uNextRun.store(0);
}
