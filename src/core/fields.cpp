// Numbers in dialog fields. Everything here is plain text work, so the same
// code runs in the library and in the native tests; only the exponent of
// "%G" differs between C libraries ("1E-05" or "1E-005").
#include "fields.h"

#include <float.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Up to this many periods FloatMod steps one period at a time; every step
// then changes the value, and the result is the one of the plain loop.
const double dFdMaxSteps = 65536.0;

const size_t cbFdStatic = 20;

// Text of a value that printf would write in a library's own way.
const char *fd_NonFinite(double dVal, bool bPlus) {
  if (isnan(dVal))
    return bPlus ? "+NAN" : " NAN";
  if (dVal < 0)
    return "-INF";
  return bPlus ? "+INF" : " INF";
}

// "%4.9G" or "%+4.9G". The width is applied to the finished text: not every
// C library pads "%G" right once it has dropped trailing zeros (mingw's
// writes 100 as "100").
const char *fd_Format(char *szRet, bool bPlus, double dVal) {
  if (dVal == KRED_NOTHING)
    return "?";
  if (!isfinite(dVal))
    return fd_NonFinite(dVal, bPlus);
  char szNum[cbFdStatic];
  snprintf(szNum, sizeof(szNum), bPlus ? "%+.9G" : "%.9G", dVal);
  snprintf(szRet, cbFdStatic, "%4s", szNum);
  return szRet;
}

bool fd_IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool fd_IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of sz (after its sign):
// digits, an optional fraction, an optional exponent with digits. 0 when no
// digit comes before or after the point.
size_t fd_NumberLength(const char *sz) {
  size_t i = 0;
  if (sz[i] == '+' || sz[i] == '-')
    i++;
  size_t cDigits = 0;
  while (fd_IsDigit(sz[i])) {
    i++;
    cDigits++;
  }
  if (sz[i] == '.') {
    i++;
    while (fd_IsDigit(sz[i])) {
      i++;
      cDigits++;
    }
  }
  if (cDigits == 0)
    return 0;
  if (sz[i] == 'e' || sz[i] == 'E') {
    size_t j = i + 1;
    if (sz[j] == '+' || sz[j] == '-')
      j++;
    if (fd_IsDigit(sz[j])) {
      while (fd_IsDigit(sz[j]))
        j++;
      i = j;
    }
  }
  return i;
}

// Copies at most cbOut - 1 characters of szText, terminated.
void fd_CopyCut(char *szOut, size_t cbOut, const char *szText) {
  const void *pEnd = memchr(szText, 0, cbOut - 1);
  size_t n = pEnd == nullptr ? cbOut - 1 : (size_t)((const char *)pEnd - szText);
  memcpy(szOut, szText, n);
  szOut[n] = '\0';
}

int fd_HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// The value rounded to a double, whatever width the arithmetic used.
double fd_Double(double d) {
  volatile double dStored = d;
  return dStored;
}

} // namespace

const char *DoubleOrNothing(double dVal) {
  static char szRet[cbFdStatic];
  return fd_Format(szRet, false, dVal);
}

const char *DoubleOrNothingP(double dVal) {
  static char szRet[cbFdStatic];
  return fd_Format(szRet, true, dVal);
}

void TrimTrailingZeroes(char *szString) {
  if (szString == nullptr || szString[0] == '\0')
    return;
  size_t i = strlen(szString) - 1;
  while (i > 0) {
    if (szString[i] == '.') {
      szString[i] = '\0';
      return;
    }
    if (szString[i] != '0')
      break;
    i--;
  }
  size_t k = i + 1;
  while (i > 0) {
    if (szString[i] == '.') {
      szString[k] = '\0';
      return;
    }
    if (!fd_IsDigit(szString[i]))
      return;
    i--;
  }
}

void FloatMod(double *f, double m) {
  if (f == nullptr)
    return;
  double v = *f;
  if (v == KRED_NOTHING || !isfinite(v) || !(m > 0) || !isfinite(m))
    return;
  if (v >= 0 && v < m)
    return;
  if (fabs(v) > dFdMaxSteps * m) {
    // So far out that stepping would take long, or never change the value.
    v = fmod(v, m); // exact, |v| < m, sign of the dividend
    if (v < 0)
      v = fd_Double(v + m);
    if (v >= m || v == 0) // a tiny negative remainder rounds up to m; no -0
      v = 0;
    *f = v;
    return;
  }
  // Each step is rounded to a double before it is compared: the library's
  // x87 arithmetic would otherwise keep the steps wider, stop just below m
  // and store m itself (and step to another result than the plain loop).
  while (v < 0)
    v = fd_Double(v + m);
  while (v >= m)
    v = fd_Double(v - m);
  *f = v;
}

void Fields_DoubleText(char *szOut, size_t cbOut, double dVal) {
  if (szOut == nullptr || cbOut == 0)
    return;
  snprintf(szOut, cbOut, "%s", DoubleOrNothing(dVal));
  TrimTrailingZeroes(szOut);
}

void Fields_AngleText(char *szOut, size_t cbOut, double dVal) {
  if (szOut == nullptr || cbOut == 0)
    return;
  if (!isfinite(dVal)) {
    snprintf(szOut, cbOut, "  ? ");
    return;
  }
  // Tenths rounded half up, on the magnitude, so a negative value mirrors
  // its positive one instead of wrapping into a huge unsigned count.
  bool bNeg = dVal < 0;
  double t = ((bNeg ? -dVal : dVal) + 0.05) * 10.0;
  uint32_t n = t >= 4294967295.0 ? 0xFFFFFFFFu : (uint32_t)t;
  if (bNeg && n != 0) {
    char szWhole[16];
    snprintf(szWhole, sizeof(szWhole), "-%u", (unsigned)(n / 10));
    snprintf(szOut, cbOut, "%3s.%u ", szWhole, (unsigned)(n % 10));
  } else {
    snprintf(szOut, cbOut, "%3u.%u ", (unsigned)(n / 10), (unsigned)(n % 10));
  }
}

double Fields_ParseDouble(const char *szText) {
  if (szText == nullptr)
    return 0.0;
  char sz[KRED_DOUBLE_TEXT];
  fd_CopyCut(sz, sizeof(sz), szText);
  if (sz[0] == '?')
    return KRED_NOTHING;
  const char *p = sz;
  while (fd_IsBlank(*p))
    p++;
  // Only the plain decimal form is handed to strtod, so hexadecimal, "inf"
  // and "nan" read alike on every C library: as text that is no number.
  size_t cb = fd_NumberLength(p);
  if (cb == 0)
    return 0.0;
  char szNum[KRED_DOUBLE_TEXT];
  memcpy(szNum, p, cb);
  szNum[cb] = '\0';
  double d = strtod(szNum, nullptr);
  return isfinite(d) ? d : 0.0;
}

uint32_t Fields_ParseColonNumber(const char *szText) {
  if (szText == nullptr)
    return 0;
  char sz[KRED_COLON_TEXT];
  fd_CopyCut(sz, sizeof(sz), szText);
  const char *p = strchr(sz, ':');
  p = p == nullptr ? sz : p + 1;
  while (*p == ' ' || *p == ':')
    p++;
  uint32_t dw = 0;
  for (int d; (d = fd_HexDigit(*p)) >= 0; p++)
    dw = dw * 16u + (uint32_t)d;
  return dw;
}

float Fields_ToFloat(double d) {
  if (isnan(d))
    return 0.0f;
  if (d > FLT_MAX)
    return FLT_MAX;
  if (d < -FLT_MAX)
    return -FLT_MAX;
  return (float)d;
}

int Fields_ScrollStep(int iPos, int iCode, int iThumb, int iPage, int iMin, int iMax) {
  long long p = iPos;
  switch (iCode) {
  case 0:
    p -= 1;
    break;
  case 1:
    p += 1;
    break;
  case 2:
    p -= iPage;
    break;
  case 3:
    p += iPage;
    break;
  case 4:
  case 5:
    p = (int16_t)(uint16_t)iThumb;
    break;
  case 6:
    p = iMax;
    break;
  case 7:
    p = iMin;
    break;
  default:
    break;
  }
  if (p > iMax)
    p = iMax;
  if (p < iMin)
    p = iMin;
  return (int)p;
}
