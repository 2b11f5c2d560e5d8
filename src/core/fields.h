// Numbers in dialog fields: the texts the editors show, the values they read
// back, the wrap of texture alignments into one period, and the nothing
// value that stands for "no value" or "leave unchanged".
#pragma once

#include <stddef.h>
#include <stdint.h>

// The nothing value, shown as "?". Compared exactly.
#define KRED_NOTHING (-100000.0)

// Local buffers of the field routines, terminator included.
#define KRED_DOUBLE_TEXT 30 // SetDlgItemDouble, SetDlgItemDouble2, GetDlgItemDouble
#define KRED_COLON_TEXT 100 // GetDlgItemColonNumber

// "?" for the nothing value, else "%4.9G" (DoubleOrNothingP: "%+4.9G").
// Each returns its own static buffer, valid until its next call; editor
// thread only. Infinities and NaN give " INF", "-INF" and " NAN" (with the
// sign form "+INF", "+NAN") on every C library, never a text that would read
// back as a number.
const char *DoubleOrNothing(double dVal);
const char *DoubleOrNothingP(double dVal);

// Drops the zeros that end a decimal fraction, and the point when only zeros
// follow it. Texts without a point, or with a non-digit between the point
// and the end (an exponent), are left as they are.
void TrimTrailingZeroes(char *szString);

// Wraps *f into [0, m) by adding or subtracting m. Leaves *f as it is when it
// is the nothing value, infinite or NaN, or when m is not a positive finite
// number. Values within 65536 periods go by repeated steps; farther values
// are reduced with fmod in one go.
void FloatMod(double *f, double m);

// The text SetDlgItemDouble puts into a control (DoubleOrNothing, trimmed).
void Fields_DoubleText(char *szOut, size_t cbOut, double dVal);
// The text SetDlgItemDouble2 puts into a control: one decimal, "%3u.%u ".
// A negative value keeps its minus sign ("-12.5 "); a value too large for
// the count of tenths shows the largest count; NaN and infinities show "  ? ".
void Fields_AngleText(char *szOut, size_t cbOut, double dVal);

// The value GetDlgItemDouble reads from a control's text (at most 29
// characters are looked at): the nothing value when the text begins with
// "?", else the decimal number at its start after blanks, as atof reads it.
// Text that is not a decimal number ("abc", "nan", "inf", "0x10" reads as 0)
// and a number beyond the range of a double give 0.0.
double Fields_ParseDouble(const char *szText);

// The value GetDlgItemColonNumber reads from a control's text (at most 99
// characters): the hexadecimal digits after the first colon and any blanks
// and colons, modulo 2^32; 0 when there are none.
uint32_t Fields_ParseColonNumber(const char *szText);

// A double narrowed for a float field of a host record: values beyond the
// float range become the largest float of their sign, NaN becomes 0.
float Fields_ToFloat(double d);

// The one scroll-bar rule of every dialog: codes 0 and 1 step by one, 2 and
// 3 by a page, 4 and 5 go to the thumb (the signed 16-bit iThumb), 6 ("top")
// to the range's maximum and 7 ("bottom") to its minimum; any other code
// keeps the position. The result is clamped into the range.
int Fields_ScrollStep(int iPos, int iCode, int iThumb, int iPage, int iMin, int iMax);
