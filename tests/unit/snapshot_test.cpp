#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "snapshot.h"
#include "test_values.h"

namespace {

// An update whose every field carries the number n.
struct Update {
  std::vector<WALL_VERTEXES> walls;
  std::vector<EDITOR_OBJECT> actors;
  EDITOR_UPDATE_POSITION eup;

  Update(int n, int nWalls = 3, int nActors = 2, uint32_t dwSector = 77) {
    for (int i = 0; i < nWalls; i++)
      walls.push_back({(uint32_t)(n * 1000 + i), (float)n, (float)i, (float)n, (float)i});
    for (int i = 0; i < nActors; i++)
      actors.push_back({(int16_t)n, 0, (float)n, (float)i, 1, (uint32_t)i});
    eup = EDITOR_UPDATE_POSITION{
        (float)n, (float)-n, (int16_t)n,   0,       dwSector,      (uint16_t)n,
        0,        nWalls,    walls.data(), nActors, actors.data(), {n, 0, 0, 0, 0, 0, 0, 0, n}};
  }
};

class SnapshotTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Snapshot_Alloc());
    Snapshot_Reset();
  }
  void TearDown() override {
    while (Snapshot_IsReading())
      Snapshot_EndRead();
    Snapshot_Reset();
  }
};

// Byte image of both slots with their arrays.
std::vector<unsigned char> Image() {
  std::vector<unsigned char> v;
  for (const EDITOR_VIEW &pv : pvSet) {
    const unsigned char *p = (const unsigned char *)&pv;
    v.insert(v.end(), p, p + sizeof(pv));
    p = (const unsigned char *)pv.fpWSet;
    v.insert(v.end(), p, p + KRED_MAX_WALLS * sizeof(WALL_VERTEXES));
    p = (const unsigned char *)pv.pp;
    v.insert(v.end(), p, p + KRED_MAX_ACTORS * sizeof(EDITOR_OBJECT));
  }
  return v;
}

TEST_F(SnapshotTest, CopiesIntoTheOtherSlotAndFlips) {
  Update u(5);
  ASSERT_EQ(Snapshot_Publish(&u.eup), 1u);
  EXPECT_EQ(ipvSide.load(), 1);
  const EDITOR_VIEW &pv = pvSet[1];
  EXPECT_EQ(V(pv.x, pv.y, pv.sAngle, pv.dwSectorHandle, pv.wSectorNumber,
              pv.ruData.numSectorsVisited, pv.iWallCount, pv.iActorCount),
            V(5, -5, 5, 77, 5, 5, 3, 2));
  EXPECT_EQ(gruPoint.load(), &pvSet[1].ruData);
  EXPECT_EQ(memcmp(pv.fpWSet, u.walls.data(), 3 * sizeof(WALL_VERTEXES)), 0);
  EXPECT_EQ(memcmp(pv.pp, u.actors.data(), 2 * sizeof(EDITOR_OBJECT)), 0);
  Update u2(6);
  ASSERT_EQ(Snapshot_Publish(&u2.eup), 1u);
  EXPECT_EQ(V(ipvSide.load(), pvSet[0].x, pvSet[1].x), V(0, 6, 5));
  EXPECT_EQ(gruPoint.load(), &pvSet[0].ruData);
}

TEST_F(SnapshotTest, LocksRejectWithoutTouchingTheSlots) {
  Update u1(1), u2(2, 5, 5, 99);
  Snapshot_Publish(&u1.eup);
  std::vector<unsigned char> before = Image();

  bPositionLock.store(1);
  EXPECT_EQ(Snapshot_Publish(&u2.eup), 0u);
  bPositionLock.store(0);
  bViewCopyLock.store(1); // a copy in progress
  EXPECT_EQ(Snapshot_Publish(&u2.eup), 0u);
  bViewCopyLock.store(0);

  EXPECT_EQ(Image(), before);
  EXPECT_EQ(ipvSide.load(), 1);
  EXPECT_EQ(Snapshot_Publish(&u2.eup), 1u);
}

TEST_F(SnapshotTest, OneUpdateAcceptedDuringARead) {
  Update u1(1), u2(2), u3(3), u4(4);
  Snapshot_Publish(&u1.eup);
  int iSlot = Snapshot_BeginRead();
  EXPECT_EQ(iSlot, 1);
  EXPECT_TRUE(Snapshot_IsReading());
  EXPECT_EQ(Snapshot_BeginRead(), iSlot); // nested
  EXPECT_EQ(Snapshot_Publish(&u2.eup), 1u);
  EXPECT_EQ(Snapshot_Publish(&u3.eup), 0u);
  Snapshot_EndRead();
  EXPECT_TRUE(Snapshot_IsReading());
  EXPECT_EQ(Snapshot_Publish(&u4.eup), 0u);
  EXPECT_EQ(pvSet[iSlot].x, 1.0f);
  EXPECT_EQ(pvSet[iSlot].fpWSet[0].dwWallTag, 1000u);

  Snapshot_EndRead();
  EXPECT_FALSE(Snapshot_IsReading());
  EXPECT_EQ(bDrawingNow.load(), 0u);
  EXPECT_EQ(iDrawShiftCount.load(), 0);
  EXPECT_EQ(Snapshot_Publish(&u3.eup), 1u);
  EXPECT_EQ(Snapshot_Publish(&u4.eup), 1u);
  EXPECT_EQ(pvSet[ipvSide.load()].x, 4.0f);

  Snapshot_EndRead(); // unmatched: harmless
  EXPECT_FALSE(Snapshot_IsReading());
}

TEST_F(SnapshotTest, CountsAreClampedToCapacity) {
  std::vector<WALL_VERTEXES> walls(250);
  std::vector<EDITOR_OBJECT> actors(150);
  for (size_t i = 0; i < walls.size(); i++)
    walls[i].dwWallTag = (uint32_t)i;
  // Counts, whether the arrays are there, and the counts copied.
  // clang-format off
  const struct { int32_t iWalls; bool bWalls; int32_t iActors; bool bActors; int iWantW, iWantA; }
  cases[] = {{-5, true, -1, true, 0, 0}, {0, true, 0, true, 0, 0}, {10, false, 10, false, 0, 0},
             {250, true, 150, true, 200, 100}, {200, true, 100, true, 200, 100},
             {7, true, 3, true, 7, 3}};
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.iWalls);
    EDITOR_UPDATE_POSITION eup = {};
    eup.iWallCount = c.iWalls;
    eup.fpWSet = c.bWalls ? walls.data() : nullptr;
    eup.iActorCount = c.iActors;
    eup.pp = c.bActors ? actors.data() : nullptr;
    ASSERT_EQ(Snapshot_Publish(&eup), 1u);
    const EDITOR_VIEW &pv = pvSet[ipvSide.load()];
    EXPECT_EQ(pv.iWallCount, c.iWantW);
    EXPECT_EQ(pv.iActorCount, c.iWantA);
    if (c.iWantW) {
      EXPECT_EQ(pv.fpWSet[c.iWantW - 1].dwWallTag, (uint32_t)c.iWantW - 1);
    }
  }
}

TEST_F(SnapshotTest, ReaderResetReleasesAReadLeftOpen) {
  // A run that ended inside a read (and left the position locked) must not
  // keep the next run's host copies throttled to one per read.
  Update u1(1), u2(2), u3(3);
  Snapshot_Publish(&u1.eup);
  Snapshot_BeginRead();
  Snapshot_BeginRead();
  bPositionLock.store(1);
  Snapshot_ReaderReset();
  EXPECT_FALSE(Snapshot_IsReading());
  EXPECT_EQ(bPositionLock.load(), 0u);
  EXPECT_EQ(Snapshot_Publish(&u2.eup), 1u);
  EXPECT_EQ(Snapshot_Publish(&u3.eup), 1u);
  EXPECT_EQ(pvSet[ipvSide.load()].x, 3.0f); // the slots keep the updates
  EXPECT_EQ(Snapshot_BeginRead(), ipvSide.load());
  Snapshot_EndRead();
}

} // namespace
