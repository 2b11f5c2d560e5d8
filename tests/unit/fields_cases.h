// Cases of the field routines, run by the native unit tests and, as the
// library builds them, under Wine (C libraries differ in "%G").
#pragma once

#include <math.h>
#include <string.h>

#include <string>

#include "fields.h"

namespace fields_cases {

// "1E-005" and "1E-05" are the same number: exponents lose leading zeros
// down to two digits before texts are compared.
inline std::string NormExponent(const char *sz) {
  std::string s(sz);
  size_t d = s.find_first_of("Ee");
  if (d == std::string::npos)
    return s;
  d += (d + 1 < s.size() && (s[d + 1] == '+' || s[d + 1] == '-')) ? 2 : 1;
  while (s.size() - d > 2 && s[d] == '0')
    s.erase(d, 1);
  return s;
}

// clang-format off
// Value, DoubleOrNothing (also SetDlgItemDouble's text), DoubleOrNothingP.
const struct { double d; const char *szPlain, *szSigned; } tcTexts[] = {
    {KRED_NOTHING, "?", "?"}, {0.0, "   0", "  +0"}, {-0.0, "  -0", "  -0"},
    {1.5, " 1.5", "+1.5"}, {12.25, "12.25", "+12.25"}, {100.0, " 100", "+100"},
    {1e-5, "1E-05", "+1E-05"}, {123456789012.0, "1.23456789E+11", "+1.23456789E+11"},
    {HUGE_VAL, " INF", "+INF"}, {-HUGE_VAL, "-INF", "-INF"}, {NAN, " NAN", "+NAN"}};

// SetDlgItemDouble2.
const struct { double d; const char *sz; } acAngles[] = {
    {45.0, " 45.0 "}, {359.97, "360.0 "}, {0.04, "  0.0 "}, {-5.0, " -5.0 "},
    {-0.04, "  0.0 "}, {-123.45, "-123.5 "}, {1e30, "429496729.5 "}, {NAN, "  ? "}};

// GetDlgItemDouble; -0.0 must come back as -0.0. Only 29 characters count.
const struct { const char *sz; double d; } pcParses[] = {
    {"?abc", KRED_NOTHING}, {"", 0}, {"abc", 0}, {" 12.5xyz", 12.5}, {"\t\n 7", 7},
    {" ?", 0}, {"-0", -0.0}, {"-.5e1", -5}, {"5.", 5}, {"1e+", 1}, {"1e999", 0},
    {"-1e999", 0}, {"nan", 0}, {"-infinity", 0}, {"0x10", 0}, {"1\xE9", 1}, {"\xA0 5", 0},
    {"                            9", 9}, {"                             9", 0}};

// GetDlgItemColonNumber.
const struct { const char *sz; unsigned long dw; } ccColons[] = {
    {"Sector: 1a2B", 0x1A2B}, {"Wall: ", 0}, {"FF", 0xFF}, {"Sector: 12G4", 0x12},
    {"::: :7", 7}, {"\xFF:1", 1}, {"Wall: 123456789", 0x23456789}};
// clang-format on

// Runs every case; pfnFail gets a description of each mismatch.
inline void RunFieldCases(void (*pfnFail)(const std::string &)) {
  char sz[KRED_DOUBLE_TEXT];
  for (const auto &c : tcTexts) {
    Fields_DoubleText(sz, sizeof(sz), c.d);
    std::string sGot = NormExponent(DoubleOrNothing(c.d)) + "|" +
                       NormExponent(DoubleOrNothingP(c.d)) + "|" + NormExponent(sz);
    std::string sWant = std::string(c.szPlain) + "|" + c.szSigned + "|" + c.szPlain;
    if (sGot != sWant)
      pfnFail("texts: got " + sGot + ", want " + sWant);
  }
  for (const auto &c : acAngles) {
    Fields_AngleText(sz, sizeof(sz), c.d);
    if (strcmp(sz, c.sz) != 0)
      pfnFail(std::string("angle: got '") + sz + "', want '" + c.sz + "'");
  }
  for (const auto &c : pcParses) {
    double d = Fields_ParseDouble(c.sz);
    if (d != c.d || signbit(d) != signbit(c.d))
      pfnFail(std::string("parse '") + c.sz + "': got " + std::to_string(d));
  }
  for (const auto &c : ccColons)
    if (Fields_ParseColonNumber(c.sz) != (uint32_t)c.dw)
      pfnFail(std::string("colon number of '") + c.sz + "'");
}

} // namespace fields_cases
