#include <gtest/gtest.h>

#include <vector>

#include "runs.h"

namespace {

class RunsTest : public ::testing::Test {
protected:
  void SetUp() override { Run_ResetAll(); }
  void TearDown() override { Run_ResetAll(); }
};

// A run as WakeUpDLL makes it: started, then current.
KRED_RUN *Wake(uint32_t dwThread) {
  KRED_RUN *r = Run_Start(nullptr);
  if (r) {
    r->dwThreadId.store(dwThread);
    Run_MakeCurrent(r);
  }
  return r;
}

// The exit steps of a run's thread, in their order.
void End(KRED_RUN *r) {
  Run_ReturnFlag(r);
  Run_Retire(r);
  Run_Free(r);
}

TEST_F(RunsTest, KillFlagIsHandedBackOnceWhicheverSideComesFirst) {
  // The host sets its flag to 1 and calls KillOffDLL at some step of the
  // run's exit; the flag must read 0 once the exit is through, and a kill
  // that arrives before the run ends must wait for it.
  enum { kBeforeEnd, kAfterFlag, kAfterRetire, kAfterFree, kNoRun };
  struct {
    const char *szWhat;
    int iWhen;
    bool bClearedAtOnce;
  } const cases[] = {
      {"while the run runs", kBeforeEnd, false},
      {"after the run handed its flag back", kAfterFlag, true},
      {"after the run was retired", kAfterRetire, true},
      {"after its thread was done", kAfterFree, true},
      {"with no run ever woken", kNoRun, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szWhat);
    Run_ResetAll();
    uint32_t dwFlag = 1;
    KRED_RUN *r = c.iWhen == kNoRun ? nullptr : Wake(11);
    auto Kill = [&] {
      KRED_RUN *pTarget = Run_Kill(&dwFlag);
      EXPECT_EQ(pTarget, c.iWhen <= kAfterFlag ? r : nullptr);
      EXPECT_EQ(dwFlag == 0, c.bClearedAtOnce);
    };
    if (c.iWhen == kBeforeEnd) {
      Kill();
      EXPECT_TRUE(Run_KillRequested(r));
    }
    if (r) {
      Run_ReturnFlag(r);
      if (c.iWhen == kAfterFlag)
        Kill();
      Run_Retire(r);
      if (c.iWhen == kAfterRetire)
        Kill();
      Run_Free(r);
    }
    if (c.iWhen >= kAfterFree)
      Kill();
    EXPECT_EQ(dwFlag, 0u);
    EXPECT_EQ(Run_Current(), nullptr);
  }
}

TEST_F(RunsTest, ALaterKillReplacesTheFlag) {
  uint32_t dwFirst = 1, dwSecond = 1;
  KRED_RUN *r = Wake(11);
  Run_Kill(&dwFirst);
  Run_Kill(&dwSecond);
  End(r);
  EXPECT_EQ(dwFirst, 1u);
  EXPECT_EQ(dwSecond, 0u);
  Run_Kill(nullptr); // no flag, no editor: nothing to write
}

TEST_F(RunsTest, ARunWokenDuringTheOldRunsExitIsNotTouchedByIt) {
  struct {
    const char *szWhat;
    bool bOldKilled;      // the old run ends by a kill (else by "&DONE")
    bool bNewKilledEarly; // the host kills the new run before the old one is out
  } const cases[] = {
      {"closed by the user", false, false},
      {"killed", true, false},
      {"closed, new run killed at once", false, true},
      {"killed, new run killed at once", true, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szWhat);
    Run_ResetAll();
    uint32_t dwOldFlag = 1, dwNewFlag = 1;
    KRED_RUN *pOld = Wake(11);
    if (c.bOldKilled) {
      ASSERT_EQ(Run_Kill(&dwOldFlag), pOld);
    }
    // The old run has left its loop and sends request 1000; the host wakes
    // the next run from inside it.
    KRED_RUN *pNew = Wake(22);
    ASSERT_NE(pNew, nullptr);
    ASSERT_NE(pNew, pOld);
    if (c.bNewKilledEarly) {
      EXPECT_EQ(Run_Kill(&dwNewFlag), pNew);
    }
    End(pOld);

    EXPECT_EQ(dwOldFlag, c.bOldKilled ? 0u : 1u);
    EXPECT_EQ(Run_Current(), pNew);
    EXPECT_EQ(Run_OfThread(22), pNew);
    EXPECT_EQ(Run_OfThread(11), nullptr);
    EXPECT_EQ(Run_KillRequested(pNew), c.bNewKilledEarly);
    EXPECT_EQ(dwNewFlag, 1u);

    if (!c.bNewKilledEarly) {
      EXPECT_EQ(Run_Kill(&dwNewFlag), pNew);
    }
    EXPECT_EQ(dwNewFlag, 1u); // only the new run's own exit answers it
    End(pNew);
    EXPECT_EQ(dwNewFlag, 0u);
    EXPECT_EQ(Run_Current(), nullptr);
  }
}

TEST_F(RunsTest, RecordsAreTakenInTurnAndOnlyWhenFree) {
  std::vector<KRED_RUN *> runs;
  for (int i = 0; i < KRED_MAX_RUNS; i++) {
    KRED_RUN *r = Wake((uint32_t)(100 + i));
    ASSERT_NE(r, nullptr);
    for (KRED_RUN *pEarlier : runs) {
      EXPECT_NE(r, pEarlier);
    }
    runs.push_back(r);
  }
  EXPECT_EQ(Run_Start(nullptr), nullptr); // every thread still running
  EXPECT_EQ(Run_Current(), runs.back());

  End(runs[3]);
  EXPECT_EQ(Run_Current(), runs.back()); // an older run cannot retire the newest
  KRED_RUN *r = Run_Start(nullptr);
  EXPECT_EQ(r, runs[3]);
  // A reused record starts clean.
  EXPECT_FALSE(Run_KillRequested(r));
  EXPECT_EQ(r->bFlagReturned.load(), 0u);
  EXPECT_EQ(r->hMainWnd.load(), nullptr);
  EXPECT_EQ(Run_OfThread(103), nullptr);
  EXPECT_EQ(Run_OfThread(0), nullptr);
}

} // namespace
