// The sector editor's value texts and scale rules.
#include "sector_fields.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "fields.h"
#include "textures.h"

namespace {

struct SF_BAR {
  int iMin, iMax;
  double dScale;   // position = value x dScale
  int iNoValuePos; // position of a value without one
  const char *szName;
};

const SF_BAR sfBars[SEC_BAR_COUNT] = {
    {-1, 31, 1.0, -1, "Light"},
    {-1, 100, 100.0, -1, "Friction"},
    {-121, 120, 1.0, -121, "Gravity"},
    {0, 40, 10.0, 3, "Elasticity"},
};

const SF_BAR &sf_Bar(int iBar) {
  return sfBars[iBar >= 0 && iBar < SEC_BAR_COUNT ? iBar : 0];
}

// A number as "%g" would write it, with one spelling of what is no number on
// every C library.
void sf_G(char *szOut, size_t cbOut, double d) {
  if (isnan(d))
    snprintf(szOut, cbOut, "NAN");
  else if (isinf(d))
    snprintf(szOut, cbOut, d < 0 ? "-INF" : "INF");
  else
    snprintf(szOut, cbOut, "%g", d);
}

} // namespace

void SecBar_Range(int iBar, int *piMin, int *piMax) {
  *piMin = sf_Bar(iBar).iMin;
  *piMax = sf_Bar(iBar).iMax;
}

int Sec_TruncPos(double d, double dScale, int iMin, int iMax, int iNoNumber) {
  if (isnan(d) || d == KRED_NOTHING)
    return iNoNumber;
  double v = d * dScale;
  if (!(v > (double)iMin - 1.0)) // also -inf
    return iMin;
  if (!(v < (double)iMax + 1.0))
    return iMax;
  int i = (int)v; // toward zero, now in range of an int
  return i < iMin ? iMin : i > iMax ? iMax : i;
}

int SecBar_PosFromField(int iBar, double dValue) {
  const SF_BAR &b = sf_Bar(iBar);
  switch (iBar) {
  case SEC_BAR_LIGHT:
    if (dValue == (double)SEC_LIGHT_NOTHING)
      return -1;
    // A light level is never below 0; -1 is kept for the no-value.
    return Sec_TruncPos(dValue, 1.0, 0, b.iMax, 0);
  case SEC_BAR_FRICTION:
    if (isnan(dValue) || dValue < 0)
      return -1;
    return Sec_TruncPos(dValue, b.dScale, 0, b.iMax, -1);
  case SEC_BAR_GRAVITY:
    // -121 means no value, so no value of the field is shown there.
    return Sec_TruncPos(dValue, 1.0, b.iMin + 1, b.iMax, b.iNoValuePos);
  default:
    if (isnan(dValue) || dValue == KRED_NOTHING)
      return b.iNoValuePos;
    return Sec_TruncPos(dValue, b.dScale, b.iMin, b.iMax, b.iNoValuePos);
  }
}

double SecBar_FieldFromPos(int iBar, int iPos) {
  switch (iBar) {
  case SEC_BAR_LIGHT:
    return iPos < 0 ? (double)SEC_LIGHT_NOTHING : (double)iPos;
  case SEC_BAR_FRICTION:
    return iPos < 0 ? KRED_NOTHING : (double)iPos / 100.0;
  case SEC_BAR_GRAVITY:
    return iPos <= -121 ? KRED_NOTHING : (double)iPos;
  default:
    return (double)iPos / 10.0;
  }
}

void SecBar_LabelFromPos(int iBar, int iPos, char *szOut, size_t cbOut) {
  const SF_BAR &b = sf_Bar(iBar);
  switch (iBar) {
  case SEC_BAR_LIGHT:
    if (iPos < 0)
      snprintf(szOut, cbOut, "Light: ?");
    else
      snprintf(szOut, cbOut, "Light: %u", (unsigned)iPos);
    return;
  case SEC_BAR_FRICTION:
    if (iPos < 0)
      snprintf(szOut, cbOut, "Friction: ?");
    else
      snprintf(szOut, cbOut, "Friction: %g", (double)iPos / 100.0);
    return;
  case SEC_BAR_GRAVITY:
    if (iPos <= b.iNoValuePos)
      snprintf(szOut, cbOut, "Gravity: ?");
    else
      snprintf(szOut, cbOut, "Gravity: %d", iPos);
    return;
  default:
    snprintf(szOut, cbOut, "Elasticity: %g", (double)iPos / 10.0);
    return;
  }
}

void SecBar_LabelFromField(int iBar, double dValue, char *szOut, size_t cbOut) {
  const SF_BAR &b = sf_Bar(iBar);
  bool bNoValue;
  switch (iBar) {
  case SEC_BAR_LIGHT:
    if (dValue == (double)SEC_LIGHT_NOTHING)
      snprintf(szOut, cbOut, "Light: ?");
    else
      snprintf(szOut, cbOut, "Light: %u", (unsigned)(uint32_t)(int64_t)dValue);
    return;
  case SEC_BAR_FRICTION:
    bNoValue = dValue < 0;
    break;
  default:
    bNoValue = dValue == KRED_NOTHING;
    break;
  }
  char szNum[32];
  if (bNoValue)
    snprintf(szNum, sizeof(szNum), "?");
  else
    sf_G(szNum, sizeof(szNum), dValue);
  snprintf(szOut, cbOut, "%s: %s", b.szName, szNum);
}

void SecLevel_EntryText(unsigned iFloor, double dElev, char *szOut, size_t cbOut) {
  snprintf(szOut, cbOut, "%u) %s", iFloor,
           iFloor == 0 ? DoubleOrNothing(dElev) : DoubleOrNothingP(dElev));
  TrimTrailingZeroes(szOut);
}

const char *SecLevel_ValueText(const char *szEntry) {
  const char *p = strchr(szEntry, ')');
  if (p == nullptr)
    return szEntry + strlen(szEntry);
  while ((unsigned char)*p > ' ')
    p++;
  while (*p == ' ')
    p++;
  return p;
}

double SecLevel_Thickness(double dCeiling, double dFloor) {
  if (dCeiling == KRED_NOTHING || dFloor == KRED_NOTHING)
    return KRED_NOTHING;
  return dCeiling - dFloor;
}

double SecLevel_Ceiling(double dFloor, double dThickness) {
  if (dFloor == KRED_NOTHING || dThickness == KRED_NOTHING)
    return KRED_NOTHING;
  return dFloor + dThickness;
}

int SecLevel_LinkFloor(int iAbsDelta, double dElev, double dCeiling, double dThickness,
                       double *pdOut) {
  if (dElev == KRED_NOTHING)
    return SEC_LINK_NONE;
  if (iAbsDelta == 0 && dCeiling != KRED_NOTHING) {
    *pdOut = dCeiling - dElev;
    return SEC_LINK_THICKNESS;
  }
  if (iAbsDelta == 1 && dThickness != KRED_NOTHING) {
    *pdOut = dThickness + dElev;
    return SEC_LINK_CEILING;
  }
  return SEC_LINK_NONE;
}

int SecSlope_PosFromAngle(int32_t iAngle) {
  return iAngle < SEC_SLOPE_MIN ? SEC_SLOPE_MIN : iAngle > SEC_SLOPE_MAX ? SEC_SLOPE_MAX : iAngle;
}

void SecSlope_AngleText(int iPos, char *szOut, size_t cbOut) {
  if (iPos < SEC_SLOPE_MIN)
    iPos = SEC_SLOPE_MIN;
  if (iPos > SEC_SLOPE_MAX)
    iPos = SEC_SLOPE_MAX;
  int v = iPos * 9000 / 4096; // hundredths of a degree, toward zero
  int a = v < 0 ? -v : v;
  char szWhole[8];
  snprintf(szWhole, sizeof(szWhole), "%s%d", v < 0 ? "-" : "", a / 100);
  snprintf(szOut, cbOut, "%3s.%02d", szWhole, a % 100);
}

void SecSlope_Label(const char *szOld, int iPos, char *szOut, size_t cbOut) {
  if (cbOut == 0)
    return;
  char szAngle[16];
  SecSlope_AngleText(iPos, szAngle, sizeof(szAngle));
  // At most 39 characters of the old label count.
  char szHead[40];
  snprintf(szHead, sizeof(szHead), "%s", szOld != nullptr ? szOld : "");
  char *pColon = strchr(szHead, ':');
  if (pColon == nullptr) {
    snprintf(szOut, cbOut, "%s", szAngle);
    return;
  }
  pColon[1] = '\0';
  snprintf(szOut, cbOut, "%s %s", szHead, szAngle);
}

void SecTex_Axes(int32_t iIndex, SEC_TEX_AXIS *px, SEC_TEX_AXIS *py) {
  const SEC_TEX_AXIS none = {false, 0.0, 0};
  *px = *py = none;
  if (iIndex < 0 || iIndex >= Textures_Count() || feTextures == nullptr)
    return;
  const uint16_t wSize[2] = {feTextures[iIndex].w, feTextures[iIndex].h};
  SEC_TEX_AXIS *pAxis[2] = {px, py};
  for (int k = 0; k < 2; k++) {
    if (wSize[k] == 0)
      continue;
    pAxis[k]->bSized = true;
    pAxis[k]->dPeriod = (double)wSize[k] / 8.0;
    // A thumb position travels in 16 signed bits.
    pAxis[k]->iRangeMax = (wSize[k] > 32768 ? 32768 : (int)wSize[k]) - 1;
  }
}
