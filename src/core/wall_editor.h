// The wall editor's own logic, apart from its window: the texture lists'
// first item, the alignment scroll bars' ranges and positions, the wrap and
// rounding of a record being shown, the scroll codes, and the record that an
// apply sends, which carries only what the designer changed.
#pragma once

#include <stdint.h>

#include "wall_flow.h"

#define WW_LEVELS 4    // upper, middle, lower, overlay
#define WW_ALIGNS 8    // X and Y of each level: alignment k is level k / 2, Y when k is odd
#define WW_FLAGS 128   // flag states of a record
#define WW_PAGE_STEP 8 // page step of the alignment scroll bars

// The texture index of level iLevel (0 upper .. 3 overlay) and alignment k
// (0 upper X, 1 upper Y, 2 middle X, ... 7 overlay Y) of a record.
int32_t *WallEd_Texture(WINWALL_RESULTS *wr, int iLevel);
double *WallEd_Align(WINWALL_RESULTS *wr, int k);

// Rounds *in to a multiple of dmod, halves away from the negative side:
// adds half a step, then takes off the remainder (fmod keeps the sign, so
// -1.3 gives 0 and -1.7 gives -1). The nothing value, infinities, NaN and a
// step that is not a positive finite number leave *in as it is.
void SnapTo(double *in, double dmod);

// The width (bY false) or height of texture iTexture in texels, or 0 when
// the table gives no size: a negative index (-1, the animated -2), one past
// the table, or a texture listed with size 0.
int WallEd_Period(int32_t iTexture, bool bY);

// Range of an alignment scroll bar: 0 to the period minus 1. Without a
// period (WallEd_Period 0) the range is that of the widest (tallest) texture
// of the table, so any wrapped alignment of any texture fits, or 0 to 255
// when the table has no sizes at all. Never a maximum below the minimum.
void WallEd_ScrollRange(int32_t iTexture, bool bY, int *piMin, int *piMax);

// Position of a scroll bar for a value: truncated toward zero and clamped to
// the range; the nothing value and NaN give the minimum.
int WallEd_ScrollPos(double d, int iMin, int iMax);

// What loading a record into the dialog does to it: the alignments of the
// upper, middle and lower levels wrapped into one period of their texture
// (a level without a period is not wrapped), then all eight rounded to whole
// texels.
void WallEd_PrepareRecord(WINWALL_RESULTS *wr);

// What the designer changed since the record was loaded.
struct WALLED_TOUCHED {
  bool bTexture[WW_LEVELS];
  bool bAlign[WW_ALIGNS];
  bool bFlag[WW_FLAGS];
};

// The record an apply sends: wr's value where the designer changed a field,
// the leave-unchanged marker everywhere else, so each wall keeps exactly
// what it has for everything the designer did not touch.
void WallEd_RecordToApply(const WINWALL_RESULTS *wr, const WALLED_TOUCHED *pt,
                          WINWALL_RESULTS *out);
