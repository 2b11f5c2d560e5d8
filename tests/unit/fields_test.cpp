#include "fields.h"

#include <gtest/gtest.h>

#include <float.h>
#include <stdlib.h>

#include <random>

#include "fields_cases.h"

namespace {

TEST(Fields, TextsAndTypedValues) {
  fields_cases::RunFieldCases([](const std::string &s) { ADD_FAILURE() << s; });
  EXPECT_EQ(Fields_ParseDouble(std::string(300, '7').c_str()),
            strtod(std::string(29, '7').c_str(), nullptr));
  // clang-format off
  const char *trims[][2] = {{"1.50", "1.5"}, {"2.000", "2"}, {"0.0", "0"}, {"1.0500", "1.05"},
                            {"100", "100"}, {"0)   10", "0)   10"}, {"1.5E+010", "1.5E+010"},
                            {"?", "?"}, {"", ""}, {".", "."}};
  // clang-format on
  for (const auto &c : trims) {
    char sz[16];
    strcpy(sz, c[0]);
    TrimTrailingZeroes(sz);
    EXPECT_STREQ(sz, c[1]) << "from '" << c[0] << "'";
  }
}

TEST(Fields, EveryFloatShownReadsBackUnchanged) {
  // Nine digits give every float back: an APPLY without typing never moves
  // an alignment.
  std::mt19937 rng(1234);
  for (int i = 0; i < 20000; i++) {
    uint32_t u = rng();
    float f, fBack;
    memcpy(&f, &u, sizeof(f));
    char sz[KRED_DOUBLE_TEXT];
    Fields_DoubleText(sz, sizeof(sz), f);
    fBack = Fields_ToFloat(Fields_ParseDouble(sz));
    if (isfinite(f) && f != (float)KRED_NOTHING) {
      ASSERT_EQ(memcmp(&fBack, &f, sizeof(f)), 0) << sz;
    }
  }
}

TEST(Fields, FloatModEndsForEveryInput) {
  // clang-format off
  const struct { double f, m, dWant; } cases[] = {
      {17.5, 8, 1.5}, {-0.5, 8, 7.5}, {8, 8, 0}, {-16.25, 8, 7.75},
      {-1e-300, 8, 0},                    // one step up rounds to 8, then down to 0
      {-1e-17, 8, 0},                     // the same, where x87 could hold 8 - 1e-17
      {8 * 65536.0 + 1.5, 8, 1.5},        // stepped
      {-(8 * 65537.0 + 1.5), 8, 6.5},     // reduced in one go
      {1e17, 1, 0}, {-1e300, 3, 0},       // one step would not change them; +0, not -0
      {DBL_MAX, 5e-324, 0},
      // Left as they are: in range, nothing, infinite, or no usable period.
      {-0.0, 8, -0.0}, {nextafter(8.0, 0.0), 8, nextafter(8.0, 0.0)},
      {KRED_NOTHING, 8, KRED_NOTHING}, {-HUGE_VAL, 8, -HUGE_VAL},
      {17.5, 0, 17.5}, {17.5, -8, 17.5}, {17.5, NAN, 17.5}, {-3, HUGE_VAL, -3}};
  // clang-format on
  for (const auto &c : cases) {
    double f = c.f;
    FloatMod(&f, c.m);
    EXPECT_EQ(memcmp(&f, &c.dWant, sizeof(f)), 0) << c.f << " mod " << c.m << " gave " << f;
  }
  double f = NAN;
  FloatMod(&f, 8);
  EXPECT_TRUE(isnan(f));
  // Within a few periods the steps are kept, not the exact remainder.
  f = 100.7;
  FloatMod(&f, 3.3);
  EXPECT_EQ(f, 1.7000000000000544); // 30 subtractions
  EXPECT_NE(f, fmod(100.7, 3.3));
}

TEST(Fields, ScrollRuleStepsClampsAndTakesTheSignedThumb) {
  const struct {
    int iPos, iCode, iThumb, iNew;
  } steps[] = {
      {10, 0, 0, 9},    {10, 1, 0, 11},  {10, 2, 0, 2},      {10, 3, 0, 18},
      {10, 4, 40, 40},  {10, 5, 40, 40}, {10, 5, 0xFFFF, 0}, // the thumb's word is signed
      {10, 4, 100, 63}, {10, 6, 0, 63},                      // "top" goes to the maximum
      {10, 7, 0, 0},    {10, 8, 0, 10},  {63, 1, 0, 63},     {3, 2, 0, 0},
      {0, 0, 0, 0},     {60, 3, 0, 63},
  };
  for (const auto &c : steps)
    EXPECT_EQ(Fields_ScrollStep(c.iPos, c.iCode, c.iThumb, 8, 0, 63), c.iNew)
        << c.iPos << " code " << c.iCode;
}

} // namespace
