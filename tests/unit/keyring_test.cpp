#include <gtest/gtest.h>

#include "keyring.h"

namespace {

// From several places in the ring: keys come out in posting order across
// the wrap; a full ring keeps its keys and drops the new one; an empty ring
// gives 0.
TEST(KeyRing, FullRingKeepsItsKeysAndDropsTheNewOne) {
  for (int iStart : {0, 1, 57, 99}) {
    SCOPED_TRACE(iStart);
    KeyRing_Reset();
    for (int i = 0; i < iStart; i++) {
      KeyRing_Post(0xABCDu);
      ASSERT_EQ(PullKey(), 0xABCDu);
    }
    EXPECT_EQ(PullKey(), 0u);
    for (uint32_t k = 1; k <= 99; k++)
      KeyRing_Post(0x80000000u | k);
    KeyRing_Post(1000); // no room: dropped
    KeyRing_Post(1001);
    for (uint32_t k = 1; k <= 99; k++)
      ASSERT_EQ(PullKey(), 0x80000000u | k);
    EXPECT_EQ(PullKey(), 0u);
    // Room again after the drain.
    KeyRing_Post(7);
    EXPECT_EQ(PullKey(), 7u);
  }
}

} // namespace
