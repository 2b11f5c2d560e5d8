#include "sector_fields.h"

#include <gtest/gtest.h>

#include <float.h>
#include <math.h>

#include "fields.h"
#include "test_values.h"
#include "textures.h"

namespace {

const double dNaN = NAN;
const double dInf = INFINITY;

enum { L = SEC_BAR_LIGHT, F = SEC_BAR_FRICTION, G = SEC_BAR_GRAVITY, E = SEC_BAR_ELASTICITY };

// A position shows a record value; the label on a refresh names the value,
// the label after a move names the position.
TEST(SectorBars, PositionsValuesAndLabels) {
  // clang-format off
  const struct { int iBar; double dValue; int iPos; const char *szLabel; } fields[] = {
      {L, 160, 31, "Light: 160"}, // beyond the bar: its end, the label true
      {L, 7, 7, "Light: 7"}, {L, SEC_LIGHT_NOTHING, -1, "Light: ?"},
      {F, (double)0.256f, 25, "Friction: 0.256"}, {F, 1e30, 100, "Friction: 1e+30"},
      {F, -0.5, -1, "Friction: ?"}, // anything below 0 has no value
      {F, KRED_NOTHING, -1, "Friction: ?"}, {F, dNaN, -1, "Friction: NAN"},
      {F, dInf, 100, "Friction: INF"}, {F, -dInf, -1, "Friction: ?"},
      {G, -9.9, -9, "Gravity: -9.9"}, {G, -121, -120, "Gravity: -121"}, // -121 means no value
      {G, 500, 120, "Gravity: 500"}, {G, KRED_NOTHING, -121, "Gravity: ?"},
      {G, dNaN, -121, "Gravity: NAN"}, {G, -dInf, -120, "Gravity: -INF"},
      {E, KRED_NOTHING, 3, "Elasticity: ?"}, {E, (double)0.35f, 3, "Elasticity: 0.35"},
      {E, 9, 40, "Elasticity: 9"}, {E, -2, 0, "Elasticity: -2"}, {E, dNaN, 3, "Elasticity: NAN"}};
  const struct { int iBar, iPos; double dValue; const char *szLabel; } positions[] = {
      {L, -1, (double)SEC_LIGHT_NOTHING, "Light: ?"}, {L, 31, 31, "Light: 31"},
      {F, -1, KRED_NOTHING, "Friction: ?"}, {F, 25, 0.25, "Friction: 0.25"},
      {F, 0, 0, "Friction: 0"}, {G, -121, KRED_NOTHING, "Gravity: ?"},
      {G, -120, -120, "Gravity: -120"}, {E, 3, 0.3, "Elasticity: 0.3"},
      {E, 40, 4, "Elasticity: 4"}};
  // clang-format on
  char sz[SEC_LABEL_TEXT];
  for (const auto &c : fields) {
    SCOPED_TRACE(testing::Message() << c.iBar << " " << c.dValue);
    EXPECT_EQ(SecBar_PosFromField(c.iBar, c.dValue), c.iPos);
    SecBar_LabelFromField(c.iBar, c.dValue, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szLabel);
  }
  for (const auto &c : positions) {
    SCOPED_TRACE(testing::Message() << c.iBar << " " << c.iPos);
    EXPECT_EQ(SecBar_FieldFromPos(c.iBar, c.iPos), c.dValue);
    SecBar_LabelFromPos(c.iBar, c.iPos, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szLabel);
    int iMin, iMax;
    SecBar_Range(c.iBar, &iMin, &iMax);
    EXPECT_TRUE(c.iPos >= iMin && c.iPos <= iMax);
  }
}

TEST(SectorPositions, TruncatedAndClampedWithoutOverflow) {
  // clang-format off
  const struct { double d, dScale; int iPos; } cases[] = {
      {12.99, 8, 103},      {-0.375, 8, -3}, {-0.124, 8, 0},         {1e300, 8, 800},
      {-1e300, 8, -800},    {dInf, 8, 800},  {-dInf, 8, -800},       {dNaN, 8, 7},
      {KRED_NOTHING, 8, 7}, {100.9, 1, 100}, {2147483648.0, 1, 800},
  };
  // clang-format on
  for (const auto &c : cases)
    EXPECT_EQ(Sec_TruncPos(c.d, c.dScale, -800, 800, 7), c.iPos) << c.d;
}

// Floor entries: floor 0 plain, others signed; the value is what follows
// the first ")". The field the designer holds decides what follows a floor.
TEST(SectorLevels, EntryTextsAndWhatFollowsTheFloor) {
  // clang-format off
  const struct { unsigned iFloor; double dElev; const char *szEntry, *szValue; } entries[] = {
      {0, 0, "0)    0", "0"}, {0, 12.5, "0) 12.5", "12.5"}, {0, KRED_NOTHING, "0) ?", "?"},
      {1, 2, "1)   +2", "+2"}, {1, -2.5, "1) -2.5", "-2.5"}, {0, 1e10, "0) 1E+10", "1E+10"},
      {0, dNaN, "0)  NAN", "NAN"}, {3, 0.125, "3) +0.125", "+0.125"}};
  const struct { int iAbsDelta; double dElev, dCeil, dThick; int iLink; double dOut; } links[] = {
      {0, 4, 20, 99, SEC_LINK_THICKNESS, 16},      // the ceiling height is held
      {1, 4, 99, 10, SEC_LINK_CEILING, 14},        // the thickness is held
      {0, KRED_NOTHING, 20, 10, SEC_LINK_NONE, 0}, // "?" as the elevation
      {0, 4, KRED_NOTHING, 10, SEC_LINK_NONE, 0}, {1, 4, 20, KRED_NOTHING, SEC_LINK_NONE, 0},
      {-1, 4, 20, 10, SEC_LINK_NONE, 0}};          // the dialog is writing them itself
  // clang-format on
  for (const auto &c : entries) {
    char sz[SEC_LABEL_TEXT];
    SecLevel_EntryText(c.iFloor, c.dElev, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szEntry);
    EXPECT_STREQ(SecLevel_ValueText(sz), c.szValue);
  }
  EXPECT_STREQ(SecLevel_ValueText("no parenthesis"), "");
  EXPECT_STREQ(SecLevel_ValueText("0)"), "");
  EXPECT_STREQ(SecLevel_ValueText("0)x) 5"), "5"); // the first ")" and what sticks to it
  for (const auto &c : links) {
    double dOut = 0;
    EXPECT_EQ(SecLevel_LinkFloor(c.iAbsDelta, c.dElev, c.dCeil, c.dThick, &dOut), c.iLink);
    EXPECT_EQ(dOut, c.dOut);
  }
  EXPECT_EQ(V(SecLevel_Thickness(96.5, 0.5), SecLevel_Thickness(KRED_NOTHING, 0.5),
              SecLevel_Ceiling(4, KRED_NOTHING), SecLevel_Ceiling(4, 10)),
            V(96.0, KRED_NOTHING, KRED_NOTHING, 14));
}

TEST(SectorSlope, AngleLabels) {
  // clang-format off
  const struct { int32_t iAngle; int iPos; const char *szText; } cases[] = {
      {2048, 2048, " 45.00"}, {-1000, -1000, "-21.97"}, {-20, -20, " -0.43"}, {0, 0, "  0.00"},
      {4096, 3277, " 72.00"}, {-2147483647 - 1, -3277, "-72.00"}, {3277, 3277, " 72.00"}};
  // clang-format on
  for (const auto &c : cases) {
    int iPos = SecSlope_PosFromAngle(c.iAngle);
    EXPECT_EQ(iPos, c.iPos);
    char sz[16];
    SecSlope_AngleText(iPos, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szText);
  }
  // clang-format off
  const struct { const char *szOld; int iPos; const char *szNew; } labels[] = {
      {"Angle: ", 2048, "Angle:  45.00"},
      {"Angle:  45.00", -20, "Angle:  -0.43"}, // the old angle goes, the head stays
      {"no colon here", -1000, "-21.97"}, {"", 0, "  0.00"}, {":", 0, ":   0.00"},
      // Only 39 characters of the old label count.
      {"0123456789012345678901234567890123456789:", 0, "  0.00"}};
  // clang-format on
  for (const auto &c : labels) {
    char sz[64];
    SecSlope_Label(c.szOld, c.iPos, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szNew) << c.szOld;
  }
  char szSmall[8];
  SecSlope_Label("Angle: ", 2048, szSmall, sizeof(szSmall));
  EXPECT_STREQ(szSmall, "Angle: "); // cut, never overrun
}

TEST(SectorTextures, AxesFollowTheTextureAndWrapWithTheirBar) {
  ASSERT_TRUE(Textures_Alloc());
  const SHARED_TEXTURE_DATA list[] = {{64, 64, "A\\SQUARE.PCX"}, {128, 32, "A\\WIDE.PCX"},
                                      {12, 4, "A\\SMALL.PCX"},   {0, 0, "A\\NONE.PCX"},
                                      {65535, 8, "A\\HUGE.PCX"}, {0, 0, nullptr}};
  ASSERT_EQ(Textures_Build(list), 5);
  // clang-format off
  const struct { int32_t iIndex; double dX, dY; int iMaxX, iMaxY; } sized[] = {
      {0, 8, 8, 63, 63}, {1, 16, 4, 127, 31}, {2, 1.5, 0.5, 11, 3},
      {4, 8191.875, 1, 32767, 7}}; // the bar stays within 16-bit thumb positions
  // clang-format on
  SEC_TEX_AXIS x, y;
  for (const auto &c : sized) {
    SCOPED_TRACE(c.iIndex);
    SecTex_Axes(c.iIndex, &x, &y);
    EXPECT_EQ(V(x.bSized, y.bSized, x.dPeriod, y.dPeriod, x.iRangeMax, y.iRangeMax),
              V(1, 1, c.dX, c.dY, c.iMaxX, c.iMaxY));
    // Every wrapped value lands on a position of its bar.
    for (const SEC_TEX_AXIS *a : {&x, &y}) {
      for (double d : {-0.001, 0.0, 9.5, -1e9, 1e12, a->dPeriod, a->dPeriod - 1e-9}) {
        FloatMod(&d, a->dPeriod);
        int iPos = Sec_TruncPos(d, 8.0, 0, a->iRangeMax, -1);
        EXPECT_TRUE(d >= 0 && d < a->dPeriod) << d;
        EXPECT_TRUE(iPos >= 0 && iPos <= a->iRangeMax) << d;
      }
    }
  }
  // Without a size, negative, past the table: nothing has a size.
  for (int32_t i : {3, -1, -2, 5, 100000, -2147483647 - 1}) {
    SecTex_Axes(i, &x, &y);
    EXPECT_EQ(V(x.bSized, y.bSized, x.dPeriod, y.dPeriod, x.iRangeMax, y.iRangeMax),
              V(0, 0, 0, 0, 0, 0))
        << i;
  }
  Textures_Build(nullptr); // an empty table: nothing has a size
  SecTex_Axes(0, &x, &y);
  EXPECT_FALSE(x.bSized || y.bSized);
  Textures_Free();
  SecTex_Axes(0, &x, &y); // no table at all
  EXPECT_FALSE(x.bSized || y.bSized);
}

} // namespace
