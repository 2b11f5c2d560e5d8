#include "sector_fields.h"

#include <gtest/gtest.h>

#include <float.h>
#include <math.h>

#include "fields.h"
#include "textures.h"

namespace {

const double dNaN = NAN;
const double dInf = INFINITY;

// A position shows a record value; the label on a refresh names the value,
// the label after a move names the position.
TEST(SectorBars, PositionAndLabelOfARecordValue) {
  const struct {
    int iBar;
    double dValue;
    int iPos;
    const char *szLabel;
  } cases[] = {
      {SEC_BAR_LIGHT, 160, 31, "Light: 160"}, // beyond the bar: its end, the label true
      {SEC_BAR_LIGHT, 7, 7, "Light: 7"},
      {SEC_BAR_LIGHT, SEC_LIGHT_NOTHING, -1, "Light: ?"},
      {SEC_BAR_FRICTION, (double)0.256f, 25, "Friction: 0.256"},
      {SEC_BAR_FRICTION, 1, 100, "Friction: 1"},
      {SEC_BAR_FRICTION, 1e30, 100, "Friction: 1e+30"},
      {SEC_BAR_FRICTION, -0.5, -1, "Friction: ?"}, // anything below 0 has no value
      {SEC_BAR_FRICTION, KRED_NOTHING, -1, "Friction: ?"},
      {SEC_BAR_FRICTION, dNaN, -1, "Friction: NAN"},
      {SEC_BAR_FRICTION, dInf, 100, "Friction: INF"},
      {SEC_BAR_FRICTION, -dInf, -1, "Friction: ?"},
      {SEC_BAR_GRAVITY, -9.9, -9, "Gravity: -9.9"},
      {SEC_BAR_GRAVITY, -121, -120, "Gravity: -121"}, // -121 itself means no value
      {SEC_BAR_GRAVITY, 500, 120, "Gravity: 500"},
      {SEC_BAR_GRAVITY, KRED_NOTHING, -121, "Gravity: ?"},
      {SEC_BAR_GRAVITY, dNaN, -121, "Gravity: NAN"},
      {SEC_BAR_GRAVITY, -dInf, -120, "Gravity: -INF"},
      {SEC_BAR_ELASTICITY, KRED_NOTHING, 3, "Elasticity: ?"},
      {SEC_BAR_ELASTICITY, (double)0.35f, 3, "Elasticity: 0.35"},
      {SEC_BAR_ELASTICITY, 9, 40, "Elasticity: 9"},
      {SEC_BAR_ELASTICITY, -2, 0, "Elasticity: -2"},
      {SEC_BAR_ELASTICITY, dNaN, 3, "Elasticity: NAN"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.iBar << " " << c.dValue);
    EXPECT_EQ(SecBar_PosFromField(c.iBar, c.dValue), c.iPos);
    char sz[SEC_LABEL_TEXT];
    SecBar_LabelFromField(c.iBar, c.dValue, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szLabel);
  }
}

TEST(SectorBars, RecordValueAndLabelOfAPosition) {
  const struct {
    int iBar, iPos;
    double dValue;
    const char *szLabel;
  } cases[] = {
      {SEC_BAR_LIGHT, -1, (double)SEC_LIGHT_NOTHING, "Light: ?"},
      {SEC_BAR_LIGHT, 31, 31, "Light: 31"},
      {SEC_BAR_FRICTION, -1, KRED_NOTHING, "Friction: ?"},
      {SEC_BAR_FRICTION, 25, 0.25, "Friction: 0.25"},
      {SEC_BAR_FRICTION, 0, 0, "Friction: 0"},
      {SEC_BAR_GRAVITY, -121, KRED_NOTHING, "Gravity: ?"},
      {SEC_BAR_GRAVITY, -120, -120, "Gravity: -120"},
      {SEC_BAR_ELASTICITY, 3, 0.3, "Elasticity: 0.3"},
      {SEC_BAR_ELASTICITY, 40, 4, "Elasticity: 4"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.iBar << " " << c.iPos);
    EXPECT_EQ(SecBar_FieldFromPos(c.iBar, c.iPos), c.dValue);
    char sz[SEC_LABEL_TEXT];
    SecBar_LabelFromPos(c.iBar, c.iPos, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szLabel);
    int iMin, iMax;
    SecBar_Range(c.iBar, &iMin, &iMax);
    EXPECT_TRUE(c.iPos >= iMin && c.iPos <= iMax);
  }
}

TEST(SectorPositions, TruncatedAndClampedWithoutOverflow) {
  const struct {
    double d, dScale;
    int iPos;
  } cases[] = {
      {12.99, 8, 103},      {-0.375, 8, -3}, {-0.124, 8, 0},         {1e300, 8, 800},
      {-1e300, 8, -800},    {dInf, 8, 800},  {-dInf, 8, -800},       {dNaN, 8, 7},
      {KRED_NOTHING, 8, 7}, {100.9, 1, 100}, {2147483648.0, 1, 800},
  };
  for (const auto &c : cases)
    EXPECT_EQ(Sec_TruncPos(c.d, c.dScale, -800, 800, 7), c.iPos) << c.d;
}

TEST(SectorLevels, EntryAndValueTexts) {
  const struct {
    unsigned iFloor;
    double dElev;
    const char *szEntry, *szValue;
  } cases[] = {
      {0, 0, "0)    0", "0"},         {0, 12.5, "0) 12.5", "12.5"},
      {0, KRED_NOTHING, "0) ?", "?"}, {1, 2, "1)   +2", "+2"},
      {1, -2.5, "1) -2.5", "-2.5"},   {0, 1e10, "0) 1E+10", "1E+10"},
      {0, dNaN, "0)  NAN", "NAN"},    {3, 0.125, "3) +0.125", "+0.125"},
  };
  for (const auto &c : cases) {
    char sz[SEC_LABEL_TEXT];
    SecLevel_EntryText(c.iFloor, c.dElev, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szEntry);
    EXPECT_STREQ(SecLevel_ValueText(sz), c.szValue);
  }
  EXPECT_STREQ(SecLevel_ValueText("no parenthesis"), "");
  EXPECT_STREQ(SecLevel_ValueText("0)"), "");
  EXPECT_STREQ(SecLevel_ValueText("0)x) 5"), "5"); // the first ")" and what sticks to it
}

TEST(SectorLevels, TheHeldFieldDecidesWhatFollowsTheFloor) {
  const struct {
    int iAbsDelta;
    double dElev, dCeiling, dThickness;
    int iLink;
    double dOut;
  } cases[] = {
      {0, 4, 20, 99, SEC_LINK_THICKNESS, 16},      // the ceiling height is held
      {1, 4, 99, 10, SEC_LINK_CEILING, 14},        // the thickness is held
      {0, KRED_NOTHING, 20, 10, SEC_LINK_NONE, 0}, // "?" as the elevation
      {0, 4, KRED_NOTHING, 10, SEC_LINK_NONE, 0},  {1, 4, 20, KRED_NOTHING, SEC_LINK_NONE, 0},
      {-1, 4, 20, 10, SEC_LINK_NONE, 0}, // the dialog is writing them itself
  };
  for (const auto &c : cases) {
    double dOut = 0;
    EXPECT_EQ(SecLevel_LinkFloor(c.iAbsDelta, c.dElev, c.dCeiling, c.dThickness, &dOut), c.iLink);
    EXPECT_EQ(dOut, c.dOut);
  }
  EXPECT_EQ(SecLevel_Thickness(96.5, 0.5), 96.0);
  EXPECT_EQ(SecLevel_Thickness(KRED_NOTHING, 0.5), KRED_NOTHING);
  EXPECT_EQ(SecLevel_Ceiling(4, KRED_NOTHING), KRED_NOTHING);
  EXPECT_EQ(SecLevel_Ceiling(4, 10), 14);
}

TEST(SectorSlope, AngleLabels) {
  const struct {
    int32_t iAngle;
    int iPos;
    const char *szText;
  } cases[] = {
      {2048, 2048, " 45.00"}, {-1000, -1000, "-21.97"}, {-20, -20, " -0.43"},
      {0, 0, "  0.00"},       {4096, 3277, " 72.00"},   {-2147483647 - 1, -3277, "-72.00"},
      {3277, 3277, " 72.00"},
  };
  for (const auto &c : cases) {
    int iPos = SecSlope_PosFromAngle(c.iAngle);
    EXPECT_EQ(iPos, c.iPos);
    char sz[16];
    SecSlope_AngleText(iPos, sz, sizeof(sz));
    EXPECT_STREQ(sz, c.szText);
  }
  const struct {
    const char *szOld;
    int iPos;
    const char *szNew;
  } labels[] = {
      {"Angle: ", 2048, "Angle:  45.00"},
      {"Angle:  45.00", -20, "Angle:  -0.43"}, // the old angle goes, the head stays
      {"no colon here", -1000, "-21.97"},
      {"", 0, "  0.00"},
      {":", 0, ":   0.00"},
      // Only 39 characters of the old label count.
      {"0123456789012345678901234567890123456789:", 0, "  0.00"},
  };
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
  const struct {
    int32_t iIndex;
    bool bX, bY;
    double dX, dY;
    int iMaxX, iMaxY;
  } cases[] = {
      {0, true, true, 8, 8, 63, 63},
      {1, true, true, 16, 4, 127, 31},
      {2, true, true, 1.5, 0.5, 11, 3},
      {3, false, false, 0, 0, 0, 0},
      {4, true, true, 8191.875, 1, 32767, 7}, // the bar stays within 16-bit thumb positions
      {-1, false, false, 0, 0, 0, 0},
      {-2, false, false, 0, 0, 0, 0},
      {5, false, false, 0, 0, 0, 0},
      {100000, false, false, 0, 0, 0, 0},
      {-2147483647 - 1, false, false, 0, 0, 0, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.iIndex);
    SEC_TEX_AXIS x, y;
    SecTex_Axes(c.iIndex, &x, &y);
    EXPECT_EQ(x.bSized, c.bX);
    EXPECT_EQ(y.bSized, c.bY);
    EXPECT_EQ(x.dPeriod, c.dX);
    EXPECT_EQ(y.dPeriod, c.dY);
    EXPECT_EQ(x.iRangeMax, c.iMaxX);
    EXPECT_EQ(y.iRangeMax, c.iMaxY);
    // Every wrapped value lands on a position of its bar.
    for (const SEC_TEX_AXIS *a : {&x, &y}) {
      if (!a->bSized)
        continue;
      for (double d : {-0.001, 0.0, 9.5, -1e9, 1e12, a->dPeriod, a->dPeriod - 1e-9}) {
        FloatMod(&d, a->dPeriod);
        int iPos = Sec_TruncPos(d, 8.0, 0, a->iRangeMax, -1);
        EXPECT_TRUE(d >= 0 && d < a->dPeriod) << d;
        EXPECT_TRUE(iPos >= 0 && iPos <= a->iRangeMax) << d;
      }
    }
  }
  Textures_Build(nullptr); // an empty table: nothing has a size
  SEC_TEX_AXIS x, y;
  SecTex_Axes(0, &x, &y);
  EXPECT_FALSE(x.bSized || y.bSized);
  Textures_Free();
  SecTex_Axes(0, &x, &y); // no table at all
  EXPECT_FALSE(x.bSized || y.bSized);
}

} // namespace
