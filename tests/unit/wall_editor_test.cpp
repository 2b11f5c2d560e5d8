#include "wall_editor.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <math.h>
#include <string.h>

#include <vector>

#include "fields.h"
#include "textures.h"

namespace {

// The texture table the ranges come from: sizes 64x32, 0x16, 128x0, 16x128.
class WallEditor : public ::testing::Test {
protected:
  void SetUp() override {
    Textures_Alloc();
    const SHARED_TEXTURE_DATA list[] = {{64, 32, "A\\WIDE.PCX"},
                                        {0, 16, "NO_WIDTH"},
                                        {128, 0, "NO_HEIGHT"},
                                        {16, 128, "TALL"},
                                        {0, 0, nullptr}};
    Textures_Build(list);
  }
  void TearDown() override { Textures_Build(nullptr); }
};

// Half a step is added and the result cut toward zero; "?" stays "?", and
// with no usable step a value is left alone.
TEST(WallEditorSnap, RoundsToTheStep) {
  const double dNan = nan("");
  // clang-format off
  const struct { double dIn, dStep, dOut; } cases[] = {
      {2.5, 1, 3}, {2.4, 1, 2}, {-1.3, 1, 0}, {-1.7, 1, -1}, {7, 1, 7}, {11, 8, 8}, {12, 8, 16},
      {(double)6.6f, 1, 7}, {KRED_NOTHING, 1, KRED_NOTHING}, {5.5, 0, 5.5}, {5.5, -1, 5.5},
      {5.5, dNan, 5.5}, {HUGE_VAL, 1, HUGE_VAL}};
  // clang-format on
  for (const auto &c : cases) {
    double d = c.dIn;
    SnapTo(&d, c.dStep);
    EXPECT_EQ(d, c.dOut) << c.dIn << " step " << c.dStep;
  }
  double d = dNan;
  SnapTo(&d, 1.0);
  EXPECT_TRUE(isnan(d));
}

TEST_F(WallEditor, ScrollRangeComesFromTheTextureOrTheWidest) {
  // clang-format off
  const struct { int32_t iTexture; bool bY; int iPeriod, iMax; } cases[] = {
      {0, false, 64, 63},         {0, true, 32, 31},
      {3, true, 128, 127},        {1, false, 0, 127},  // listed without a width: the widest, 128
      {2, true, 0, 127},                               // without a height: the tallest
      {1, true, 16, 15},          {-1, false, 0, 127}, // the walls differ
      {-2, true, 0, 127},                              // animated
      {4, false, 0, 127},         {600, false, 0, 127},
      {INT32_MIN, false, 0, 127}, {INT32_MAX, true, 0, 127},
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.iTexture << (c.bY ? " Y" : " X"));
    EXPECT_EQ(WallEd_Period(c.iTexture, c.bY), c.iPeriod);
    int iMin = -5, iMax = -5;
    WallEd_ScrollRange(c.iTexture, c.bY, &iMin, &iMax);
    EXPECT_EQ(iMin, 0);
    EXPECT_EQ(iMax, c.iMax);
  }
  // No sizes at all, or no table: still a usable range.
  for (int iCase = 0; iCase < 2; iCase++) {
    if (iCase == 0)
      Textures_Build(nullptr);
    else
      Textures_Free();
    int iMin = -5, iMax = -5;
    WallEd_ScrollRange(0, false, &iMin, &iMax);
    EXPECT_EQ(iMin, 0);
    EXPECT_EQ(iMax, 255);
    EXPECT_EQ(WallEd_Period(0, false), 0);
  }
  Textures_Alloc();
}

TEST(WallEditorScroll, PositionOfAValue) {
  // clang-format off
  const struct { double d; int iPos; } positions[] = {
      {KRED_NOTHING, 0}, {nan(""), 0}, {1e30, 63}, {-5, 0}, {-0.5, 0}, {7.9, 7}, {63, 63},
      {63.5, 63}, {-1e30, 0}, {HUGE_VAL, 63}};
  // clang-format on
  for (const auto &c : positions)
    EXPECT_EQ(WallEd_ScrollPos(c.d, 0, 63), c.iPos) << c.d;
}

TEST_F(WallEditor, AnApplyLeavesWhatWasNotTouchedExactly) {
  // A wall as the game has it, and the record the dialog shows for it.
  // clang-format off
  WALL_DATA wall = {112, 0x4001, 2, {0, 1.5f, 70.6f, -3.25f, 512, 0}, {1, 0, 70.6f, 17.5f, 0, 0},
                    {-5, 0, 33.3f, 200.0f, 0, 0}, {-2, 0, 1e20f, nanf(""), 9, 0}, 0x80000009u, 0x2,
                    1, -4.0f, 96.0f};
  // clang-format on
  WINWALL_RESULTS wr = {};
  const CF_DATA *surfaces[WW_LEVELS] = {&wall.cfdUpper, &wall.cfdMiddle, &wall.cfdLower,
                                        &wall.cfdOverlay};
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++) {
    const CF_DATA &cf = *surfaces[iLevel];
    *WallEd_Texture(&wr, iLevel) = cf.iTextureIndex;
    *WallEd_Align(&wr, 2 * iLevel) = (double)cf.fAlignX;
    *WallEd_Align(&wr, 2 * iLevel + 1) = (double)cf.fAlignZ;
  }
  for (int i = 0; i < 32; i++)
    wr.bFlagSet[i] = (wall.dwFlag1 >> i) & 1 ? WW_FLAG_SET : WW_FLAG_CLEAR;
  WallEd_PrepareRecord(&wr);

  // Nothing touched: every field of the wall comes back bit for bit, the
  // texture index the list cannot show (-5) and the odd alignments included.
  WALLED_TOUCHED touched = {};
  WINWALL_RESULTS send;
  WallEd_RecordToApply(&wr, &touched, &send);
  WALL_DATA out = wall;
  MixWallResults(&send, &out);
  EXPECT_EQ(memcmp(&out, &wall, sizeof(wall)), 0);

  // Touched fields are sent as the dialog holds them, and only those.
  wr.iMiddleTexture = 3;
  touched.bTexture[1] = true;
  wr.ptUpperAlign_x = 7; // the shown value, written again: a change
  touched.bAlign[0] = true;
  wr.bFlagSet[3] = WW_FLAG_CLEAR;
  touched.bFlag[3] = true;
  wr.bFlagSet[31] = WW_FLAG_CLEAR; // changed in the record, not by the designer
  WallEd_RecordToApply(&wr, &touched, &send);
  out = wall;
  MixWallResults(&send, &out);
  WALL_DATA want = wall;
  want.cfdMiddle.iTextureIndex = 3;
  want.cfdUpper.fAlignX = 7.0f;
  want.dwFlag1 = 0x80000001u;
  EXPECT_EQ(memcmp(&out, &want, sizeof(want)), 0);
}

} // namespace
