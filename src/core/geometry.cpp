#include "geometry.h"

#include <math.h>

#include "snapshot.h"

#define GEO_HALF_PI_F 1.5707964f
#define GEO_PI_F 3.1415927f
#define GEO_THREE_HALF_PI_F 4.712389f
#define GEO_TURN_F 6.2831855f
#define GEO_PI_D 3.14159265
#define GEO_NO_HIT -1.0f
#define GEO_SEARCH_LIMIT 10000.0f
#define GEO_NOT_BESIDE 20.0f

// Truncation toward zero that stays defined for coordinates that do not fit
// an int (far-away or broken host data): they are pinned to the int range.
static int Geo_Truncate(double d) {
  if (!(d == d))
    return 0;
  if (d >= 2147483647.0)
    return 2147483647;
  if (d <= -2147483648.0)
    return (-2147483647 - 1);
  return (int)d;
}

void ConvertScreenToWorld(int cx, int cy, int px, int py, float ix, float iy, float *ox, float *oy,
                          int iZoomPos) {
  *ox = (float)((px - cx) * 3.0 / iZoomPos + ix);
  *oy = (float)((cy - py) * 3.0 / iZoomPos + iy);
}

void ConvertOneVertex(float ix, float iy, int *ox, int *oy, float x, float y, int iZoomPos) {
  *ox = Geo_Truncate((ix - x) * iZoomPos / 3.0);
  *oy = Geo_Truncate((y - iy) * iZoomPos / 3.0);
}

void ConvertWallVertexes(const WALL_VERTEXES *iwv, WALL_VERTEXES_I *owv, float x, float y,
                         int iZoomPos) {
  ConvertOneVertex(iwv->v1x, iwv->v1y, &owv->v1x, &owv->v1y, x, y, iZoomPos);
  ConvertOneVertex(iwv->v2x, iwv->v2y, &owv->v2x, &owv->v2y, x, y, iZoomPos);
}

double ConvertHeading(int h) {
  int r = h - 8192;
  if (h > 8192)
    r -= 16384;
  return r * -6.2831853 / 16384.0;
}

float FindSlope(float x1, float y1, float x2, float y2) {
  if (y2 == y1)
    return x2 > x1 ? GEO_HALF_PI_F : GEO_THREE_HALF_PI_F;
  if (x2 == x1)
    return y2 > y1 ? GEO_PI_F : 0.0f;
  float a = (float)atan((x2 - x1) / (y1 - y2));
  if (a < 0)
    a += GEO_PI_F;
  if (x2 < x1)
    a += GEO_PI_F;
  if (a > GEO_PI_F)
    a -= GEO_TURN_F;
  while (a < 0)
    a += GEO_TURN_F;
  return a;
}

float MeasureRayToLine(float px, float py, float pAngle, const WALL_VERTEXES *wv) {
  float fA1 = FindSlope(px, py, wv->v1x, wv->v1y);
  float fA2 = FindSlope(px, py, wv->v2x, wv->v2y);
  if (fA2 == fA1)
    return GEO_NO_HIT;
  if (fA2 - GEO_PI_D == fA1 || fA2 + GEO_PI_D == fA1)
    return 0.0f;

  // The arc runs from fLo to fHi; bLoIsV1 tells which vertex fLo belongs to.
  float fLo = fA1;
  float fHi = fA2;
  bool bLoIsV1 = true;
  if (fHi < fLo) {
    fLo = fA2;
    fHi = fA1;
    bLoIsV1 = false;
  }
  if (fLo + GEO_PI_D < fHi) {
    // The short arc crosses angle 0: continue it past a full turn.
    if (fLo > pAngle)
      pAngle += GEO_TURN_F;
    float fOldLo = fLo;
    fLo = fHi;
    fHi = fOldLo + GEO_TURN_F;
    bLoIsV1 = !bLoIsV1;
  }
  if (pAngle < fLo || pAngle > fHi)
    return GEO_NO_HIT;

  float fE1 = bLoIsV1 ? fLo : fHi;
  float fE2 = bLoIsV1 ? fHi : fLo;
  float t = (pAngle - fE1) / (fE2 - fE1);
  float fHitX = wv->v1x + (wv->v2x - wv->v1x) * t;
  float fHitY = wv->v1y + (wv->v2y - wv->v1y) * t;
  return (float)sqrt((fHitY - py) * (fHitY - py) + (fHitX - px) * (fHitX - px));
}

float FindYIntercept(float x1, float y1, float x2, float y2) {
  if (y2 == y1)
    return 0.0f;
  return x1 - ((x2 - x1) / (y2 - y1)) * y1;
}

float PointToLineDistance(float x, float y, float x1, float y1, float x2, float y2) {
  float xb = x + y2 - y1;
  float yb = y + x1 - x2;

  if (x1 == x2)
    return (y <= y2) != (y < y1) ? fabsf(x - x1) : GEO_NOT_BESIDE;
  if (y1 == y2)
    return (x1 > x) != (x <= x2) ? fabsf(y - y1) : GEO_NOT_BESIDE;

  // Lines as x = m * y + b: the perpendicular through the point, the wall.
  float yp = FindYIntercept(x, y, xb, yb);
  float yl = FindYIntercept(x1, y1, x2, y2);
  float sp = (x - xb) / (y - yb);
  float sl = (x1 - x2) / (y1 - y2);
  float yi = (yp - yl) / (sl - sp);
  float xi = yi * sp + yp;
  if ((yi <= y2) != (yi < y1))
    return (float)sqrt((y - yi) * (y - yi) + (x - xi) * (x - xi));
  return GEO_NOT_BESIDE;
}

float Pythagoras(float fx1, float fy1, float fx2, float fy2) {
  double dy = (double)fy1 - fy2;
  double dx = (double)fx1 - fx2;
  return (float)sqrt(dy * dy + dx * dx);
}

int FindFacedWall(const EDITOR_VIEW *pv) {
  if (!pv || !pv->fpWSet)
    return -1;
  int nWalls = pv->iWallCount;
  if (nWalls > KRED_MAX_WALLS)
    nWalls = KRED_MAX_WALLS;
  float pAngle = (float)ConvertHeading(pv->sAngle);
  float fBest = GEO_SEARCH_LIMIT;
  int iBest = -1;
  for (int i = 0; i < nWalls; i++) {
    float d = MeasureRayToLine(pv->x, pv->y, pAngle, &pv->fpWSet[i]);
    if (d != GEO_NO_HIT && d < fBest) {
      fBest = d;
      iBest = i;
    }
  }
  return iBest;
}

int FindOutWhichWallWereLookingAt(void) {
  int iSlot = Snapshot_BeginRead();
  int iWall = FindFacedWall(&pvSet[iSlot]);
  Snapshot_EndRead();
  return iWall;
}
