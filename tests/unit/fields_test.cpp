#include "fields.h"

#include <gtest/gtest.h>

#include <float.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>

namespace {

// "1E-005" and "1E-05" are the same number: the Windows C library writes
// three exponent digits, so exponents lose leading zeros down to two
// before texts are compared.
std::string NormExponent(const char *sz) {
  std::string s(sz);
  size_t d = s.find_first_of("Ee");
  if (d == std::string::npos)
    return s;
  d += (d + 1 < s.size() && (s[d + 1] == '+' || s[d + 1] == '-')) ? 2 : 1;
  while (s.size() - d > 2 && s[d] == '0')
    s.erase(d, 1);
  return s;
}

TEST(Fields, TextsAndTypedValues) {
  // clang-format off
  // Value, DoubleOrNothing (also SetDlgItemDouble's text), DoubleOrNothingP.
  const struct { double d; const char *szPlain, *szSigned; } texts[] = {
      {KRED_NOTHING, "?", "?"}, {0.0, "   0", "  +0"}, {-0.0, "  -0", "  -0"},
      {1.5, " 1.5", "+1.5"}, {12.25, "12.25", "+12.25"}, {100.0, " 100", "+100"},
      {1e-5, "1E-05", "+1E-05"}, {123456789012.0, "1.23456789E+11", "+1.23456789E+11"},
      {HUGE_VAL, " INF", "+INF"}, {-HUGE_VAL, "-INF", "-INF"}, {NAN, " NAN", "+NAN"}};
  // SetDlgItemDouble2.
  const struct { double d; const char *sz; } angles[] = {
      {45.0, " 45.0 "}, {359.97, "360.0 "}, {0.04, "  0.0 "}, {-5.0, " -5.0 "},
      {-0.04, "  0.0 "}, {-123.45, "-123.5 "}, {1e30, "429496729.5 "}, {NAN, "  ? "}};
  // GetDlgItemDouble; -0.0 must come back as -0.0. Only 29 characters count.
  const struct { const char *sz; double d; } parses[] = {
      {"?abc", KRED_NOTHING}, {"", 0}, {"abc", 0}, {" 12.5xyz", 12.5}, {"\t\n 7", 7},
      {" ?", 0}, {"-0", -0.0}, {"-.5e1", -5}, {"5.", 5}, {"1e+", 1}, {"1e999", 0},
      {"-1e999", 0}, {"nan", 0}, {"-infinity", 0}, {"0x10", 0}, {"1\xE9", 1}, {"\xA0 5", 0},
      {"                            9", 9}, {"                             9", 0}};
  // GetDlgItemColonNumber.
  const struct { const char *sz; unsigned long dw; } colons[] = {
      {"Sector: 1a2B", 0x1A2B}, {"Wall: ", 0}, {"FF", 0xFF}, {"Sector: 12G4", 0x12},
      {"::: :7", 7}, {"\xFF:1", 1}, {"Wall: 123456789", 0x23456789}};
  const char *trims[][2] = {{"1.50", "1.5"}, {"2.000", "2"}, {"0.0", "0"}, {"1.0500", "1.05"},
                            {"100", "100"}, {"0)   10", "0)   10"}, {"1.5E+010", "1.5E+010"},
                            {"?", "?"}, {"", ""}, {".", "."}};
  // clang-format on
  char sz[KRED_DOUBLE_TEXT];
  for (const auto &c : texts) {
    Fields_DoubleText(sz, sizeof(sz), c.d);
    EXPECT_EQ(NormExponent(DoubleOrNothing(c.d)) + "|" + NormExponent(DoubleOrNothingP(c.d)) + "|" +
                  NormExponent(sz),
              std::string(c.szPlain) + "|" + c.szSigned + "|" + c.szPlain);
  }
  for (const auto &c : angles) {
    Fields_AngleText(sz, sizeof(sz), c.d);
    EXPECT_STREQ(sz, c.sz);
  }
  for (const auto &c : parses) {
    double d = Fields_ParseDouble(c.sz);
    EXPECT_TRUE(d == c.d && signbit(d) == signbit(c.d)) << "'" << c.sz << "' gave " << d;
  }
  for (const auto &c : colons)
    EXPECT_EQ(Fields_ParseColonNumber(c.sz), (uint32_t)c.dw) << c.sz;
  EXPECT_EQ(Fields_ParseDouble(std::string(300, '7').c_str()),
            strtod(std::string(29, '7').c_str(), nullptr));
  for (const auto &c : trims) {
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
  // clang-format off
  const struct { int iPos, iCode, iThumb, iNew; } steps[] = {
      {10, 0, 0, 9},    {10, 1, 0, 11},  {10, 2, 0, 2},      {10, 3, 0, 18},
      {10, 4, 40, 40},  {10, 5, 40, 40}, {10, 5, 0xFFFF, 0}, // the thumb's word is signed
      {10, 4, 100, 63}, {10, 6, 0, 63},                      // "top" goes to the maximum
      {10, 7, 0, 0},    {10, 8, 0, 10},  {63, 1, 0, 63},     {3, 2, 0, 0},
      {0, 0, 0, 0},     {60, 3, 0, 63},
  };
  // clang-format on
  for (const auto &c : steps)
    EXPECT_EQ(Fields_ScrollStep(c.iPos, c.iCode, c.iThumb, 8, 0, 63), c.iNew)
        << c.iPos << " code " << c.iCode;
}

} // namespace
