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
    ClearWallSelection();
    ASSERT_TRUE(Snapshot_Alloc());
    Snapshot_Reset();
  }
  void TearDown() override {
    ClearWallSelection();
    Snapshot_Reset();
  }
};

TEST_F(SelectionTest, AddKeepsOneEntryPerWall) {
  AddWallToSelectedList(4);
  AddWallToSelectedList(9);
  AddWallToSelectedList(4);
  EXPECT_EQ(List(), (std::vector<int>{4, 9}));
  EXPECT_EQ(IsWallInSelectionList(9), 1);
  EXPECT_EQ(IsWallInSelectionList(5), 0);
}

TEST_F(SelectionTest, ToggleRemovesInPlaceAndAppendsAtTheEnd) {
  for (int w : {1, 2, 3, 4})
    AddWallToSelectedList(w);
  ToggleWallInSelectedList(2);
  EXPECT_EQ(List(), (std::vector<int>{1, 3, 4}));
  ToggleWallInSelectedList(2);
  EXPECT_EQ(List(), (std::vector<int>{1, 3, 4, 2}));
  ToggleWallInSelectedList(2); // last entry
  ToggleWallInSelectedList(1); // first entry
  EXPECT_EQ(List(), (std::vector<int>{3, 4}));
}

TEST_F(SelectionTest, FullListChangesNeither) {
  for (int w = 0; w < KRED_MAX_SELECTIONS; w++)
    AddWallToSelectedList(KRED_MAX_SELECTIONS - 1 - w);
  ASSERT_EQ(wCurrentWallSelections.load(), KRED_MAX_SELECTIONS);
  std::vector<int> full = List();
  ToggleWallInSelectedList(50); // listed, but not removed
  AddWallToSelectedList(50);
  EXPECT_EQ(List(), full);
}

TEST_F(SelectionTest, IndicesOutsideTheWallRangeAreIgnored) {
  AddWallToSelectedList(3);
  for (int w : {-1, -32768, KRED_MAX_SELECTIONS, 65536 + 3, 70000}) {
    SCOPED_TRACE(w);
    AddWallToSelectedList(w);
    ToggleWallInSelectedList(w);
    EXPECT_EQ(IsWallInSelectionList(w), 0);
  }
  EXPECT_EQ(List(), (std::vector<int>{3}));
}

TEST_F(SelectionTest, ClearEmptiesTheList) {
  AddWallToSelectedList(3);
  ClearWallSelection();
  EXPECT_TRUE(List().empty());
  EXPECT_EQ(IsWallInSelectionList(3), 0);
}

TEST_F(SelectionTest, TargetedWallPrefersThePickedWall) {
  // One wall straight ahead of the player, at index 1.
  WALL_VERTEXES wv[2] = {{1, 50, -10, 60, -10}, {2, -10, 10, 10, 10}};
  EDITOR_UPDATE_POSITION eup = {};
  eup.iWallCount = 2;
  eup.fpWSet = wv;
  ASSERT_EQ(Snapshot_Publish(&eup), 1u);

  EXPECT_EQ(TargetedWall(), 1);
  AddWallToSelectedList(0);
  AddWallToSelectedList(1);
  EXPECT_EQ(TargetedWall(), 0);

  ClearWallSelection();
  eup.iWallCount = 1; // only the wall off to the side
  ASSERT_EQ(Snapshot_Publish(&eup), 1u);
  EXPECT_EQ(TargetedWall(), -1);
}

} // namespace
