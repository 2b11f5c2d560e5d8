// Cases of the field routines, shared by the native unit tests and the check
// that runs the library's own build under Wine (its C library writes
// exponents with three digits).
#pragma once

#include <math.h>
#include <string.h>

#include <string>

#include "fields.h"

namespace fields_cases {

// "1E-005" and "1E-05" are the same number: exponents are compared with
// their leading zeros dropped down to two digits.
inline std::string NormExponent(const char *sz) {
  std::string s(sz);
  size_t e = s.find_first_of("Ee");
  if (e == std::string::npos || e + 1 >= s.size())
    return s;
  size_t d = e + 1;
  if (s[d] == '+' || s[d] == '-')
    d++;
  while (s.size() - d > 2 && s[d] == '0')
    s.erase(d, 1);
  return s;
}

// Texts of DoubleOrNothing, DoubleOrNothingP and SetDlgItemDouble, written
// as a C library with two-digit exponents writes them.
struct TextCase {
  double dVal;
  const char *szPlain;
  const char *szSigned;
  const char *szTrimmed;
};

const TextCase tcTexts[] = {
    {KRED_NOTHING, "?", "?", "?"},
    {0.0, "   0", "  +0", "   0"},
    {-0.0, "  -0", "  -0", "  -0"},
    {1.5, " 1.5", "+1.5", " 1.5"},
    {2.0, "   2", "  +2", "   2"},
    {-2.0, "  -2", "  -2", "  -2"},
    {12.5, "12.5", "+12.5", "12.5"},
    {12.25, "12.25", "+12.25", "12.25"},
    {0.125, "0.125", "+0.125", "0.125"},
    {100.0, " 100", "+100", " 100"},
    {1e-5, "1E-05", "+1E-05", "1E-05"},
    {0.0001, "0.0001", "+0.0001", "0.0001"},
    {123456789.0, "123456789", "+123456789", "123456789"},
    {1234567890.0, "1.23456789E+09", "+1.23456789E+09", "1.23456789E+09"},
    {123456789012.0, "1.23456789E+11", "+1.23456789E+11", "1.23456789E+11"},
    {-100000.5, "-100000.5", "-100000.5", "-100000.5"},
    {1e300, "1E+300", "+1E+300", "1E+300"},
    {-1.5e-300, "-1.5E-300", "-1.5E-300", "-1.5E-300"},
    {HUGE_VAL, " INF", "+INF", " INF"},
    {-HUGE_VAL, "-INF", "-INF", "-INF"},
    {NAN, " NAN", "+NAN", " NAN"},
};

// SetDlgItemDouble2.
struct AngleCase {
  double dVal;
  const char *szText;
};

const AngleCase acAngles[] = {
    {45.0, " 45.0 "},     {359.97, "360.0 "},     {0.04, "  0.0 "},
    {89.96, " 90.0 "},    {0.0, "  0.0 "},        {12.34, " 12.3 "},
    {-45.0, "-45.0 "},    {-5.0, " -5.0 "},       {-0.04, "  0.0 "},
    {-123.45, "-123.5 "}, {1e30, "429496729.5 "}, {NAN, "  ? "},
    {HUGE_VAL, "  ? "},   {-HUGE_VAL, "  ? "},    {KRED_NOTHING, "-100000.0 "},
};

// GetDlgItemDouble. bNegZero: the result is -0.0.
struct ParseCase {
  const char *szText;
  double dVal;
  bool bNegZero;
};

const ParseCase pcParses[] = {
    {"?", KRED_NOTHING, false},
    {"?abc", KRED_NOTHING, false},
    {"", 0.0, false},
    {"abc", 0.0, false},
    {" 12.5xyz", 12.5, false},
    {"\t\n 7", 7.0, false},
    {"   ", 0.0, false},
    {" ?", 0.0, false},
    {"-0", 0.0, true},
    {"+3", 3.0, false},
    {".5", 0.5, false},
    {"-.5e1", -5.0, false},
    {"5.", 5.0, false},
    {".", 0.0, false},
    {"-", 0.0, false},
    {"1e", 1.0, false},
    {"1e+", 1.0, false},
    {"1e-2x", 0.01, false},
    {"2E3", 2000.0, false},
    {"1e999", 0.0, false},
    {"-1e999", 0.0, false},
    {"1e-999", 0.0, false},
    {"nan", 0.0, false},
    {"NAN", 0.0, false},
    {"inf", 0.0, false},
    {"-infinity", 0.0, false},
    {"0x10", 0.0, false},
    {"1.#INF", 1.0, false},
    {"\xE9", 0.0, false},
    {"1\xE9", 1.0, false},
    {"\xA0 5", 0.0, false},
    // Only 29 characters are read: the 30th digit and on never count.
    {"12345678901234567890123456789012", 12345678901234567890123456789.0, false},
    {"                            9", 9.0, false},
    {"                             9", 0.0, false},
    {"0.000000000000000000000000001e30", 0.000000000000000000000000001, false},
};

// GetDlgItemColonNumber.
struct ColonCase {
  const char *szText;
  unsigned long dwVal;
};

const ColonCase ccColons[] = {
    {"Sector: 1a2B", 0x1A2Bul},
    {"Wall: ", 0ul},
    {"FF", 0xFFul},
    {"Sector: 12G4", 0x12ul},
    {"", 0ul},
    {"::: :7", 7ul},
    {"Wall: 123456789", 0x23456789ul},
    {"Wall: FFFFFFFF", 0xFFFFFFFFul},
    {"a:b:c", 0xBul},
    {"\xFF:1", 1ul},
    {"Wall:\xE9", 0ul},
    {"Sector:\t5", 0ul},
};

} // namespace fields_cases
