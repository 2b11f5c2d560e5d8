// What the sector editor shows of a sector's values and how it reads them
// back: the scale rules of the "Misc." scroll bars and their labels, the
// floor list's entry texts and the linkage of floor, thickness and ceiling
// height, the slope angle label, and the texture geometry behind the
// alignment bars. Plain text and arithmetic, no windows.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The integer no-value of the light level.
#define SEC_LIGHT_NOTHING ((int32_t)0x80000000)

// Room for any label or entry text made here.
#define SEC_LABEL_TEXT 48

// ---- the "Misc." scroll bars

enum { SEC_BAR_LIGHT, SEC_BAR_FRICTION, SEC_BAR_GRAVITY, SEC_BAR_ELASTICITY, SEC_BAR_COUNT };

void SecBar_Range(int iBar, int *piMin, int *piMax);
// The position that shows a record value (the light level as a number).
// Values beyond the range go to its nearest end; a value with no position
// (no value, not a number) goes to the bar's "?" position (light, friction,
// gravity) or, for the elasticity, to 3.
int SecBar_PosFromField(int iBar, double dValue);
// The record value of a position: light -1 is the integer no-value, friction
// below 0 and gravity -121 the nothing value.
double SecBar_FieldFromPos(int iBar, int iPos);
// The label after a move of the bar, from its position.
void SecBar_LabelFromPos(int iBar, int iPos, char *szOut, size_t cbOut);
// The label on a refresh, from the record's value: "?" for no value, "INF",
// "-INF" or "NAN" for what is no number.
void SecBar_LabelFromField(int iBar, double dValue, char *szOut, size_t cbOut);

// ---- floor and ceiling levels

// "%u) %s" with the floor's index and its elevation: floor 0 plain, any
// other floor with its sign; trailing zeros of a fraction trimmed.
void SecLevel_EntryText(unsigned iFloor, double dElev, char *szOut, size_t cbOut);
// The value part of an entry text: after the first ")" and the blanks that
// follow it (a pointer into szEntry; empty when there is none).
const char *SecLevel_ValueText(const char *szEntry);
// The thickness between a floor and a ceiling, and the ceiling height of a
// floor and a thickness; the nothing value when either has no value.
double SecLevel_Thickness(double dCeiling, double dFloor);
double SecLevel_Ceiling(double dFloor, double dThickness);

// Which field follows a new elevation of floor 0, by what is held (0 the
// ceiling height, 1 the thickness, -1 while the dialog writes them itself).
enum { SEC_LINK_NONE, SEC_LINK_THICKNESS, SEC_LINK_CEILING };
int SecLevel_LinkFloor(int iAbsDelta, double dElev, double dCeiling, double dThickness,
                       double *pdOut);

// ---- positions

// d x dScale truncated toward zero, then clamped into iMin..iMax; a value
// that is no number (or the nothing value) gives iNoNumber.
int Sec_TruncPos(double d, double dScale, int iMin, int iMax, int iNoNumber);

// ---- slope angles

#define SEC_SLOPE_MIN (-3277)
#define SEC_SLOPE_MAX 3277
int SecSlope_PosFromAngle(int32_t iAngle);
// The angle of a position in degrees with two decimals and its sign, six
// characters: 2048 gives " 45.00", -20 gives " -0.43".
void SecSlope_AngleText(int iPos, char *szOut, size_t cbOut);
// The label beside a slope bar after a move: the old label up to its colon
// and one blank, then the angle; a label without a colon becomes the angle.
void SecSlope_Label(const char *szOld, int iPos, char *szOut, size_t cbOut);

// ---- texture alignment and angle

// One alignment axis of a surface's texture. X follows the texture's width
// and Y its height, in the wrap and in the bar alike. A sized axis wraps its
// value into [0, size / 8) and its bar spans the texels 0 .. size - 1, at 8
// positions per unit. An axis without a size (no texture, an animated one,
// an index outside the table, a size of 0) is neither wrapped nor spanned:
// its bar nudges the value by eighths, as in the overlay layer.
struct SEC_TEX_AXIS {
  bool bSized;
  double dPeriod;
  int iRangeMax;
};
void SecTex_Axes(int32_t iIndex, SEC_TEX_AXIS *px, SEC_TEX_AXIS *py);
#define SEC_NUDGE_MIN (-5)
#define SEC_NUDGE_MAX 5
// Texture angles: 16384 units a turn, the bar 0 .. 16383.
#define SEC_ANGLE_MAX 16383
#define SEC_DEGREES_PER_UNIT 0.02197265625
