#include <gtest/gtest.h>

#include "keyring.h"

namespace {

class KeyRingTest : public ::testing::Test {
protected:
  void SetUp() override { KeyRing_Reset(); }
};

// Moves both indices to iStart with an empty ring.
void AdvanceTo(int iStart) {
  for (int i = 0; i < iStart; i++) {
    KeyRing_Post(0xABCDu);
    ASSERT_EQ(PullKey(), 0xABCDu);
  }
}

TEST_F(KeyRingTest, EmptyRingGivesZero) {
  EXPECT_EQ(PullKey(), 0u);
  EXPECT_EQ(PullKey(), 0u);
}

TEST_F(KeyRingTest, KeysComeOutInPostingOrderAcrossTheWrap) {
  // 250 keys through a 100-slot ring: bursts of 7 posts, 5 pulls.
  uint32_t dwNextPost = 1, dwNextPull = 1;
  while (dwNextPull <= 250) {
    for (int i = 0; i < 7 && dwNextPost <= 250; i++)
      KeyRing_Post(0x80000000u | dwNextPost++);
    int nPulls = dwNextPost > 250 ? 100 : 5;
    for (int i = 0; i < nPulls && dwNextPull < dwNextPost; i++) {
      ASSERT_EQ(PullKey(), 0x80000000u | dwNextPull++);
    }
  }
  EXPECT_EQ(PullKey(), 0u);
}

TEST_F(KeyRingTest, FullRingKeepsItsKeysAndDropsTheNewOne) {
  for (int iStart : {0, 1, 57, 99}) {
    SCOPED_TRACE(iStart);
    KeyRing_Reset();
    AdvanceTo(iStart);
    for (uint32_t k = 1; k <= 99; k++)
      KeyRing_Post(k);
    KeyRing_Post(1000); // no room: dropped
    KeyRing_Post(1001);
    for (uint32_t k = 1; k <= 99; k++)
      ASSERT_EQ(PullKey(), k);
    EXPECT_EQ(PullKey(), 0u);
    // Room again after the drain.
    KeyRing_Post(7);
    EXPECT_EQ(PullKey(), 7u);
  }
}

} // namespace
