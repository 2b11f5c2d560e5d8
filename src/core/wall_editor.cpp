#include "wall_editor.h"

#include <math.h>
#include <string.h>

#include "fields.h"
#include "textures.h"

// Range used when the table gives no texture size at all.
#define WE_NO_SIZE_RANGE 256

int32_t *WallEd_Texture(WINWALL_RESULTS *wr, int iLevel) {
  switch (iLevel) {
  case 0:
    return &wr->iUpperTexture;
  case 1:
    return &wr->iMiddleTexture;
  case 2:
    return &wr->iLowerTexture;
  default:
    return &wr->iSignTexture;
  }
}

double *WallEd_Align(WINWALL_RESULTS *wr, int k) {
  switch (k) {
  case 0:
    return &wr->ptUpperAlign_x;
  case 1:
    return &wr->ptUpperAlign_y;
  case 2:
    return &wr->ptMiddleAlign_x;
  case 3:
    return &wr->ptMiddleAlign_y;
  case 4:
    return &wr->ptLowerAlign_x;
  case 5:
    return &wr->ptLowerAlign_y;
  case 6:
    return &wr->ptSignAlign_x;
  default:
    return &wr->ptSignAlign_y;
  }
}

void SnapTo(double *in, double dmod) {
  if (in == nullptr || *in == KRED_NOTHING || !isfinite(*in) || !isfinite(dmod) || dmod <= 0.0)
    return;
  *in += dmod / 2.0;
  *in -= fmod(*in, dmod);
}

int WallEd_Period(int32_t iTexture, bool bY) {
  if (feTextures == nullptr || iTexture < 0 || iTexture >= Textures_Count())
    return 0;
  const FILE_ENTRY &fe = feTextures[iTexture];
  return bY ? fe.h : fe.w;
}

void WallEd_ScrollRange(int32_t iTexture, bool bY, int *piMin, int *piMax) {
  int iPeriod = WallEd_Period(iTexture, bY);
  if (iPeriod == 0) {
    // No size for this level (no texture, the walls differ, animated, or a
    // texture listed without size): the widest of the table, so that any
    // texture's wrapped alignment can be shown and reached.
    int n = Textures_Count();
    for (int i = 0; i < n; i++) {
      int p = WallEd_Period(i, bY);
      if (p > iPeriod)
        iPeriod = p;
    }
    if (iPeriod == 0)
      iPeriod = WE_NO_SIZE_RANGE;
  }
  *piMin = 0;
  *piMax = iPeriod - 1;
}

int WallEd_ScrollPos(double d, int iMin, int iMax) {
  if (d == KRED_NOTHING || isnan(d) || d <= (double)iMin)
    return iMin;
  if (d >= (double)iMax)
    return iMax;
  return (int)d; // in range: the conversion truncates toward zero
}

void WallEd_PrepareRecord(WINWALL_RESULTS *wr) {
  if (wr == nullptr)
    return;
  // Overlays are placed freely on the wall and are not wrapped.
  for (int iLevel = 0; iLevel < 3; iLevel++) {
    int32_t t = *WallEd_Texture(wr, iLevel);
    for (int y = 0; y < 2; y++) {
      int iPeriod = WallEd_Period(t, y != 0);
      // No period, no wrap: FloatMod would never end on a period of 0.
      if (iPeriod > 0)
        FloatMod(WallEd_Align(wr, 2 * iLevel + y), (double)iPeriod);
    }
  }
  for (int k = 0; k < WW_ALIGNS; k++)
    SnapTo(WallEd_Align(wr, k), 1.0);
}

void WallEd_RecordToApply(const WINWALL_RESULTS *wr, const WALLED_TOUCHED *pt,
                          WINWALL_RESULTS *out) {
  if (wr == nullptr || pt == nullptr || out == nullptr)
    return;
  *out = *wr;
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++)
    if (!pt->bTexture[iLevel])
      *WallEd_Texture(out, iLevel) = WW_TEXTURE_DIFFERS;
  for (int k = 0; k < WW_ALIGNS; k++)
    if (!pt->bAlign[k])
      *WallEd_Align(out, k) = KRED_NOTHING;
  for (int i = 0; i < WW_FLAGS; i++)
    if (!pt->bFlag[i])
      out->bFlagSet[i] = WW_FLAG_DIFFERS;
}
