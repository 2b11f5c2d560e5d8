#include "geometry.h"

#include <math.h>

#include "snapshot.h" // capacity of a snapshot's wall array

#define GEO_HALF_PI_F 1.5707964f
#define GEO_PI_F 3.1415927f
#define GEO_THREE_HALF_PI_F 4.712389f
#define GEO_TURN_F 6.2831855f
#define GEO_PI_D 3.14159265
#define GEO_NO_HIT -1.0f
#define GEO_SEARCH_LIMIT 10000.0f
#define GEO_NOT_BESIDE 20.0f

// Truncation toward zero of a pixel offset, pinned to what the drawing
// calls take: far-away or broken host data, a huge zoom, infinities and
// overflowing differences all end at the pin; not a number gives 0.
static int Geo_PinOffset(double d) {
  if (!(d == d))
    return 0;
  if (d >= (double)KRED_VIEW_COORD_MAX)
    return KRED_VIEW_COORD_MAX;
  if (d <= -(double)KRED_VIEW_COORD_MAX)
    return -KRED_VIEW_COORD_MAX;
  return (int)d;
}

void ConvertScreenToWorld(int cx, int cy, int px, int py, float ix, float iy, float *ox, float *oy,
                          int iZoomPos) {
  *ox = (float)((px - cx) * 3.0 / iZoomPos + ix);
  *oy = (float)((cy - py) * 3.0 / iZoomPos + iy);
}

// Pixel offset of a world point from the view centre, not yet truncated.
static double Geo_OffsetX(float ix, float x, int iZoomPos) {
  // A difference that overflows a float is infinite and pins like the rest.
  return (ix - x) * iZoomPos / 3.0;
}

static double Geo_OffsetY(float iy, float y, int iZoomPos) {
  return (y - iy) * iZoomPos / 3.0;
}

void ConvertOneVertex(float ix, float iy, int *ox, int *oy, float x, float y, int iZoomPos) {
  *ox = Geo_PinOffset(Geo_OffsetX(ix, x, iZoomPos));
  *oy = Geo_PinOffset(Geo_OffsetY(iy, y, iZoomPos));
}

static bool Geo_InsidePin(double dx, double dy) {
  return fabs(dx) <= KRED_VIEW_COORD_MAX && fabs(dy) <= KRED_VIEW_COORD_MAX;
}

// Infinities become large finite values, so the far end keeps a direction.
static double Geo_Finite(double d) {
  return d > 1e30 ? 1e30 : (d < -1e30 ? -1e30 : d);
}

void ConvertWallVertexes(const WALL_VERTEXES *iwv, WALL_VERTEXES_I *owv, float x, float y,
                         int iZoomPos) {
  double d[4] = {Geo_OffsetX(iwv->v1x, x, iZoomPos), Geo_OffsetY(iwv->v1y, y, iZoomPos),
                 Geo_OffsetX(iwv->v2x, x, iZoomPos), Geo_OffsetY(iwv->v2y, y, iZoomPos)};
  bool bNumbers = true;
  for (double &v : d) {
    v = Geo_Finite(v);
    bNumbers = bNumbers && v == v;
  }
  bool bIn1 = Geo_InsidePin(d[0], d[1]);
  bool bIn2 = Geo_InsidePin(d[2], d[3]);
  if (bNumbers && bIn1 != bIn2) {
    // One end beyond the pin: pull it in along the wall to where the wall
    // leaves the pinned square, so the drawn wall keeps its direction.
    // Measured from the near end, which keeps the precision.
    double *pNear = bIn1 ? &d[0] : &d[2];
    double *pFar = bIn1 ? &d[2] : &d[0];
    double s = 1.0;
    int kEdge = 0;
    double dEdge = 0.0;
    for (int k = 0; k < 2; k++) {
      if (fabs(pFar[k]) > KRED_VIEW_COORD_MAX) {
        double dThisEdge = pFar[k] > 0 ? KRED_VIEW_COORD_MAX : -KRED_VIEW_COORD_MAX;
        double t = (dThisEdge - pNear[k]) / (pFar[k] - pNear[k]);
        if (t < s) {
          s = t;
          kEdge = k;
          dEdge = dThisEdge;
        }
      }
    }
    pFar[0] = pNear[0] + s * (pFar[0] - pNear[0]);
    pFar[1] = pNear[1] + s * (pFar[1] - pNear[1]);
    pFar[kEdge] = dEdge; // exactly on the pin, whatever the rounding
  }
  // Both ends beyond the pin (or broken numbers): each end is pinned.
  owv->v1x = Geo_PinOffset(d[0]);
  owv->v1y = Geo_PinOffset(d[1]);
  owv->v2x = Geo_PinOffset(d[2]);
  owv->v2y = Geo_PinOffset(d[3]);
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
