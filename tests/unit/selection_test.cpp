#include <gtest/gtest.h>

#include <vector>

#include "selection.h"
#include "snapshot.h"

namespace {

std::vector<int> List() {
  return std::vector<int>(wWallSelectionSet, wWallSelectionSet + wCurrentWallSelections.load());
}

class SelectionTest : public ::testing::Test {
protected:
  void SetUp() override {
    Selection_Reset();
    ASSERT_TRUE(Snapshot_Alloc());
    Snapshot_Reset();
  }
  void TearDown() override {
    while (Snapshot_IsReading())
      Selection_EndRead();
    Selection_Reset();
    Snapshot_Reset();
  }
};

TEST_F(SelectionTest, AddToggleAndClear) {
  for (int w : {1, 2, 3, 2, 4})
    AddWallToSelectedList(w); // one entry per wall
  ToggleWallInSelectedList(2);
  EXPECT_EQ(List(), (std::vector<int>{1, 3, 4})); // removed in place
  ToggleWallInSelectedList(2);
  EXPECT_EQ(List(), (std::vector<int>{1, 3, 4, 2})); // and appended at the end
  ToggleWallInSelectedList(2);                       // the last entry
  ToggleWallInSelectedList(1);                       // the first entry
  EXPECT_EQ(List(), (std::vector<int>{3, 4}));
  EXPECT_EQ(IsWallInSelectionList(4) * 10 + IsWallInSelectionList(1), 10);
  // Indices outside the wall range are ignored.
  for (int w : {-1, -32768, KRED_MAX_SELECTIONS, 65536 + 3, 70000}) {
    AddWallToSelectedList(w);
    ToggleWallInSelectedList(w);
    EXPECT_EQ(IsWallInSelectionList(w), 0) << w;
  }
  EXPECT_EQ(List(), (std::vector<int>{3, 4}));
  ClearWallSelection();
  EXPECT_EQ(IsWallInSelectionList(3), 0);
  // A full list changes neither way.
  for (int w = 0; w < KRED_MAX_SELECTIONS; w++)
    AddWallToSelectedList(KRED_MAX_SELECTIONS - 1 - w);
  std::vector<int> full = List();
  ASSERT_EQ(full.size(), (size_t)KRED_MAX_SELECTIONS);
  ToggleWallInSelectedList(50); // listed, but not removed
  AddWallToSelectedList(50);
  EXPECT_EQ(List(), full);
}

// Wall picks are indices into one snapshot's wall array: they must never
// outlive the sector they were made in, whatever the host's thread publishes
// between the editor's reads.

// A square room of four walls; wall i of sector s carries the tag s * 100 + i.
// The player stands at its centre facing +y, so wall 0 (the north wall) is
// the faced one.
struct Room {
  WALL_VERTEXES wv[4];
  EDITOR_UPDATE_POSITION eup;
  explicit Room(uint32_t dwSector) : eup() {
    const float r = 10.0f;
    const float c[5][2] = {{-r, r}, {r, r}, {r, -r}, {-r, -r}, {-r, r}};
    for (int i = 0; i < 4; i++)
      wv[i] = {dwSector * 100 + (uint32_t)i, c[i][0], c[i][1], c[i + 1][0], c[i + 1][1]};
    eup.dwSectorHandle = dwSector;
    eup.iWallCount = 4;
    eup.fpWSet = wv;
  }
};

TEST_F(SelectionTest, PicksNeverOutliveTheirSector) {
  // Steps of one interleaving, in order: the editor begins a read (R), the
  // host publishes sector 1 or 2 (1, 2), the editor picks walls 1 and 3 by
  // box and marks wall 2 as faced (P), the editor ends its read (E). The
  // list wanted at the next read, which sees sector 2.
  // clang-format off
  const struct { const char *szSteps; std::vector<int> wantList; } cases[] = {
      // The host moves on while the editor is still drawing sector 1.
      {"1 R 2 P E", {}},
      {"1 R P 2 E", {}},
      {"1 R P E 2", {}},
      // The pass that first sees sector 2 empties the list before its picks.
      {"1 R P E 2 R P E", {1, 3}},
      {"2 R P E", {1, 3}},
      // Sector 2 twice: its picks stay.
      {"2 R P 2 E", {1, 3}},
  };
  // clang-format on
  Room room1(1), room2(2);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szSteps);
    Snapshot_Reset();
    Selection_Reset();
    for (const char *p = c.szSteps; *p; p++) {
      switch (*p) {
      case 'R':
        Selection_BeginRead(nullptr);
        break;
      case '1':
        ASSERT_EQ(Snapshot_Publish(&room1.eup), 1u);
        break;
      case '2':
        ASSERT_EQ(Snapshot_Publish(&room2.eup), 1u);
        break;
      case 'P':
        AddWallToSelectedList(1);
        AddWallToSelectedList(3);
        iSelWall = 2;
        piSelWall.store(2);
        break;
      case 'E':
        Selection_EndRead();
        break;
      }
    }

    bool bEmptied = false;
    int iSlot = Selection_BeginRead(&bEmptied);
    const EDITOR_VIEW &pv = pvSet[iSlot];
    ASSERT_EQ(pv.dwSectorHandle, 2u);
    EXPECT_EQ(List(), c.wantList);
    EXPECT_EQ(bEmptied, c.wantList.empty());
    if (c.wantList.empty()) {
      EXPECT_EQ(iSelWall, -1);
      EXPECT_EQ(piSelWall.load(), -1);
      // The targeted wall is sector 2's faced wall, not an old pick.
      EXPECT_EQ(TargetedWall(), 0);
    } else {
      EXPECT_EQ(TargetedWall(), 1);
    }
    Selection_EndRead();
  }
}

TEST_F(SelectionTest, TargetedWallsComeFromTheSnapshotRead) {
  // The room plus a wall off to the side (index 4, never faced).
  Room room(7);
  WALL_VERTEXES wv[5] = {room.wv[0], room.wv[1], room.wv[2], room.wv[3], {799, 50, -10, 60, -10}};
  room.eup.fpWSet = wv;
  room.eup.iWallCount = 5;
  // The heading (0 faces wall 0, 8192 wall 2), the picks, the faced wall as
  // the last repaint left it, and what the commands then act on.
  // clang-format off
  const struct { int16_t sAngle; std::vector<int> picks; int iFaced, iWantTargeted;
                 std::vector<uint32_t> wantTags; } cases[] = {
      {0, {}, 0, 0, {700}}, {8192, {}, 2, 2, {702}}, {0, {3, 1}, -1, 3, {703, 701}},
      {0, {}, -1, 0, {}},           // no faced wall at the last repaint: nothing to gather
      {0, {150, 4}, -1, -1, {799}}, // a pick beyond the snapshot's walls
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.iWantTargeted);
    Selection_Reset();
    room.eup.sAngle = c.sAngle;
    ASSERT_EQ(Snapshot_Publish(&room.eup), 1u);
    Selection_BeginRead(nullptr);
    for (int w : c.picks)
      AddWallToSelectedList(w);
    iSelWall = (int16_t)c.iFaced;
    Selection_EndRead();

    EXPECT_EQ(FindOutWhichWallWereLookingAt(), c.sAngle == 0 ? 0 : 2);
    EXPECT_EQ(TargetedWall(), c.iWantTargeted);
    uint32_t dwSector = 0, dwTags[2];
    int n = Selection_GatherTags(&dwSector, dwTags, 2);
    EXPECT_EQ(std::vector<uint32_t>(dwTags, dwTags + n), c.wantTags);
    EXPECT_EQ(dwSector, 7u);
    EXPECT_FALSE(Snapshot_IsReading());
  }
}

} // namespace
