#include "fields.h"

#include <gtest/gtest.h>

#include <float.h>
#include <math.h>
#include <stdint.h>
#include <string.h>

#include <random>
#include <string>

#include "fields_cases.h"

namespace {

using namespace fields_cases;

bool SameBits(double a, double b) {
  return memcmp(&a, &b, sizeof(a)) == 0;
}

TEST(Fields, NumberTexts) {
  for (const TextCase &c : tcTexts) {
    SCOPED_TRACE(c.szPlain);
    EXPECT_EQ(NormExponent(DoubleOrNothing(c.dVal)), c.szPlain);
    EXPECT_EQ(NormExponent(DoubleOrNothingP(c.dVal)), c.szSigned);
    char sz[KRED_DOUBLE_TEXT];
    Fields_DoubleText(sz, sizeof(sz), c.dVal);
    EXPECT_EQ(NormExponent(sz), c.szTrimmed);
  }
}

TEST(Fields, TheTwoStaticTextsAreDistinct) {
  const char *szPlain = DoubleOrNothing(1.0);
  const char *szSigned = DoubleOrNothingP(2.0);
  EXPECT_STREQ(szPlain, "   1");
  EXPECT_STREQ(szSigned, "  +2");
}

TEST(Fields, DoubleTextCutsToTheCallersBuffer) {
  char sz[6];
  memset(sz, 'x', sizeof(sz));
  Fields_DoubleText(sz, sizeof(sz), 123456789012.0);
  EXPECT_STREQ(sz, "1.234");
  EXPECT_EQ(NormExponent("1E+005"), "1E+05");
}

TEST(Fields, TrimTrailingZeroes) {
  const struct {
    const char *szIn;
    const char *szOut;
  } cases[] = {
      {"1.50", "1.5"},
      {"2.000", "2"},
      {"10.0", "10"},
      {"0.0", "0"},
      {"1.0500", "1.05"},
      {"100", "100"},
      {"0)   10", "0)   10"},
      {"1.5E+010", "1.5E+010"},
      {"1E-005", "1E-005"},
      {"?", "?"},
      {"", ""},
      {".", "."},
      {"0.", "0"},
      {"-0.50", "-0.5"},
      {" 12.0", " 12"},
      {"a.b0", "a.b0"},
      {"1.2.30", "1.2.3"},
      {"0", "0"},
  };
  for (const auto &c : cases) {
    char sz[32];
    strcpy(sz, c.szIn);
    TrimTrailingZeroes(sz);
    EXPECT_STREQ(sz, c.szOut) << "from '" << c.szIn << "'";
  }
  TrimTrailingZeroes(nullptr);
}

TEST(Fields, AngleTexts) {
  for (const AngleCase &c : acAngles) {
    char sz[KRED_DOUBLE_TEXT];
    Fields_AngleText(sz, sizeof(sz), c.dVal);
    EXPECT_STREQ(sz, c.szText) << "for " << c.dVal;
  }
}

TEST(Fields, ParseTypedText) {
  for (const ParseCase &c : pcParses) {
    double d = Fields_ParseDouble(c.szText);
    EXPECT_EQ(d, c.dVal) << "from '" << c.szText << "'";
    if (d == 0) {
      EXPECT_EQ(signbit(d) != 0, c.bNegZero) << "from '" << c.szText << "'";
    }
  }
  EXPECT_EQ(Fields_ParseDouble(nullptr), 0.0);
  // 300 digits: only the first 29 count, and the result is finite.
  std::string sLong(300, '7');
  EXPECT_EQ(Fields_ParseDouble(sLong.c_str()), strtod(sLong.substr(0, 29).c_str(), nullptr));
}

TEST(Fields, EveryFloatShownReadsBackUnchanged) {
  // Alignments are floats: nine digits give each one back exactly, so an
  // APPLY without typing never moves a value.
  std::mt19937 rng(1234);
  std::uniform_int_distribution<uint32_t> bits;
  const float fixed[] = {0.1f, -7.25f, 1e-5f, 3.4e38f, -1.17549435e-38f, 16777217.0f, 70.6f};
  for (int i = 0; i < 20000; i++) {
    float f;
    if (i < (int)(sizeof(fixed) / sizeof(fixed[0]))) {
      f = fixed[i];
    } else {
      uint32_t u = bits(rng);
      memcpy(&f, &u, sizeof(f));
    }
    if (!isfinite(f) || (double)f == KRED_NOTHING)
      continue;
    char sz[KRED_DOUBLE_TEXT];
    Fields_DoubleText(sz, sizeof(sz), f);
    float fBack = Fields_ToFloat(Fields_ParseDouble(sz));
    ASSERT_EQ(memcmp(&fBack, &f, sizeof(f)), 0) << sz << " for " << f;
  }
}

TEST(Fields, ColonNumbers) {
  for (const ColonCase &c : ccColons)
    EXPECT_EQ(Fields_ParseColonNumber(c.szText), (uint32_t)c.dwVal) << "from '" << c.szText << "'";
  EXPECT_EQ(Fields_ParseColonNumber(nullptr), 0u);
  // Only 99 characters are read: a colon past them is not seen.
  std::string s(99, 'x');
  EXPECT_EQ(Fields_ParseColonNumber((s + ":5").c_str()), 0u);
  EXPECT_EQ(Fields_ParseColonNumber((std::string(97, 'x') + ":5").c_str()), 5u);
  EXPECT_EQ(Fields_ParseColonNumber((std::string(98, 'x') + ":5").c_str()), 0u);
}

TEST(Fields, FloatModWrapsIntoOnePeriod) {
  const struct {
    double f;
    double m;
    double dWant;
  } cases[] = {
      {17.5, 8, 1.5},
      {-0.5, 8, 7.5},
      {8, 8, 0},
      {0, 8, 0},
      {-8, 8, 0},
      {-16.25, 8, 7.75},
      {70.6, 64, 70.6 - 64},
      {-1e-300, 8, 0},                // the one step up rounds to 8, the step down gives 0
      {8 * 65536.0 + 1.5, 8, 1.5},    // stepping, at the limit
      {8 * 65537.0 + 1.5, 8, 1.5},    // reduced in one go
      {-(8 * 65537.0 + 1.5), 8, 6.5}, //
      {1e17, 1, 0},                   // one subtraction would not change it
      {1e300, 3, 0.0},
      {-1e300, 3, 0.0}, // +0, never -0
  };
  for (const auto &c : cases) {
    double f = c.f;
    FloatMod(&f, c.m);
    EXPECT_TRUE(SameBits(f, c.dWant)) << c.f << " mod " << c.m << " gave " << f;
  }
}

TEST(Fields, FloatModStepsLikeRepeatedSubtraction) {
  // 0.1 is not exact: the stepped result differs from the exact remainder,
  // and the stepped one is kept.
  double f = 0.35;
  FloatMod(&f, 0.1);
  double dWant = 0.35;
  dWant -= 0.1;
  dWant -= 0.1;
  dWant -= 0.1;
  EXPECT_TRUE(SameBits(f, dWant));
  f = -0.35;
  FloatMod(&f, 0.1);
  dWant = -0.35;
  for (int i = 0; i < 4; i++)
    dWant += 0.1;
  EXPECT_TRUE(SameBits(f, dWant));
}

TEST(Fields, FloatModLeavesWhatItCannotWrap) {
  const double values[] = {17.5, -3.0, 3.3, KRED_NOTHING, HUGE_VAL, -HUGE_VAL, NAN, -0.0};
  const double periods[] = {0.0, -8.0, NAN, HUGE_VAL, -HUGE_VAL};
  for (double v : values)
    for (double m : periods) {
      double f = v;
      FloatMod(&f, m);
      EXPECT_TRUE(SameBits(f, v)) << v << " mod " << m;
    }
  // In range, or nothing to wrap: bit for bit the same.
  const double stays[] = {0.0,      -0.0,      3.3, nextafter(8.0, 0.0), 5e-324, KRED_NOTHING,
                          HUGE_VAL, -HUGE_VAL, NAN};
  for (double v : stays) {
    double f = v;
    FloatMod(&f, 8.0);
    EXPECT_TRUE(SameBits(f, v)) << v << " mod 8";
  }
  FloatMod(nullptr, 8.0);
}

TEST(Fields, FloatModEndsInRangeForExtremes) {
  const double values[] = {DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN, 5e-324, -5e-324, 1e17, -1e17};
  const double periods[] = {5e-324, 1e-310, 1.0, 8.0, 0.1, 1e300, DBL_MAX};
  for (double v : values)
    for (double m : periods) {
      double f = v;
      FloatMod(&f, m);
      EXPECT_TRUE(f >= 0 && f < m) << v << " mod " << m << " gave " << f;
    }
}

TEST(Fields, NarrowingForFloatFields) {
  const struct {
    double d;
    float f;
  } cases[] = {
      {1.5, 1.5f},           {1e39, FLT_MAX}, {-1e39, -FLT_MAX},         {HUGE_VAL, FLT_MAX},
      {-HUGE_VAL, -FLT_MAX}, {NAN, 0.0f},     {KRED_NOTHING, -100000.0f}};
  for (const auto &c : cases)
    EXPECT_EQ(Fields_ToFloat(c.d), c.f) << c.d;
}

} // namespace
