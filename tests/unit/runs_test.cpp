#include <gtest/gtest.h>

#include "runs.h"

namespace {

// A run as WakeUpDLL makes it, and the exit steps of its thread.
KRED_RUN *Wake(uint32_t dwThread) {
  KRED_RUN *r = Run_Start(nullptr);
  if (r) {
    r->dwThreadId.store(dwThread);
    Run_MakeCurrent(r);
  }
  return r;
}

void End(KRED_RUN *r) {
  Run_ReturnFlag(r);
  Run_Retire(r);
  Run_Free(r);
}

TEST(Runs, KillFlagIsClearedOnceTheRunIsOutWheneverTheKillComes) {
  // The step of the run's exit after which the host kills (0: before it
  // ends, 4: no run ever woken); only a kill before the end has to wait.
  for (int iWhen = 0; iWhen <= 4; iWhen++) {
    SCOPED_TRACE(iWhen);
    Run_ResetAll();
    uint32_t dwFlag = 1;
    KRED_RUN *r = iWhen == 4 ? nullptr : Wake(11);
    auto Kill = [&] {
      EXPECT_EQ(Run_Kill(&dwFlag), iWhen <= 1 ? r : nullptr);
      EXPECT_EQ(dwFlag, iWhen == 0 ? 1u : 0u);
    };
    if (iWhen == 0)
      Kill();
    if (r) {
      Run_ReturnFlag(r);
      if (iWhen == 1)
        Kill();
      Run_Retire(r);
      if (iWhen == 2)
        Kill();
      Run_Free(r);
    }
    if (iWhen >= 3)
      Kill();
    EXPECT_EQ(dwFlag, 0u);
  }
}

TEST(Runs, ARunWokenDuringTheOldRunsExitIsNotTouchedByIt) {
  // The host wakes the next run from inside the old run's request 1000,
  // after the old run ended by a kill or by "&DONE", and may kill the new
  // run before the old one is out.
  for (int iCase = 0; iCase < 4; iCase++) {
    bool bOldKilled = iCase & 1, bNewKilledEarly = iCase & 2;
    SCOPED_TRACE(iCase);
    Run_ResetAll();
    uint32_t dwOldFlag = 1, dwNewFlag = 1;
    KRED_RUN *pOld = Wake(11);
    if (bOldKilled)
      Run_Kill(&dwOldFlag);
    KRED_RUN *pNew = Wake(22);
    ASSERT_TRUE(pNew && pNew != pOld);
    if (bNewKilledEarly)
      Run_Kill(&dwNewFlag);
    End(pOld);

    EXPECT_EQ(dwOldFlag, bOldKilled ? 0u : 1u);
    EXPECT_EQ(Run_Current(), pNew);
    EXPECT_EQ(Run_OfThread(22), pNew);
    EXPECT_EQ(Run_OfThread(11), nullptr);
    EXPECT_EQ(Run_KillRequested(pNew), bNewKilledEarly);
    EXPECT_EQ(Run_Kill(&dwNewFlag), pNew);
    EXPECT_EQ(dwNewFlag, 1u); // only the new run's own exit answers it
    End(pNew);
    EXPECT_EQ(dwNewFlag, 0u);
  }
}

TEST(Runs, RecordsAreReusedOnlyWhenTheirThreadIsDone) {
  Run_ResetAll();
  KRED_RUN *runs[KRED_MAX_RUNS];
  for (KRED_RUN *&r : runs)
    ASSERT_NE(r = Wake(100), nullptr);
  EXPECT_EQ(Run_Start(nullptr), nullptr);
  uint32_t dwFlag = 1;
  Run_Kill(&dwFlag);
  End(runs[KRED_MAX_RUNS - 1]);
  KRED_RUN *r = Run_Start(nullptr);
  EXPECT_EQ(r, runs[KRED_MAX_RUNS - 1]);
  EXPECT_FALSE(Run_KillRequested(r)); // starts clean
  EXPECT_EQ(r->bFlagReturned.load(), 0u);
  Run_ResetAll();
}

} // namespace
