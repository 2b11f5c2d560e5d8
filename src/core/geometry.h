// Plane geometry of the map view: world/screen conversion and wall searches.
#pragma once

#include <stdint.h>

#include "kred_records.h"

// World-to-screen offsets are pinned to +-KRED_VIEW_COORD_MAX pixels: GDI
// takes device coordinates within +-2^27, and a view centre (at most half a
// window, far below 2^26) added to a pinned offset stays inside that and
// inside an int.
#define KRED_VIEW_COORD_MAX (1 << 26)

struct WALL_VERTEXES_I {
  int32_t v1x;
  int32_t v1y;
  int32_t v2x;
  int32_t v2y;
};

void ConvertScreenToWorld(int cx, int cy, int px, int py, float ix, float iy, float *ox, float *oy,
                          int iZoomPos);
// Offsets from the view centre, truncated toward zero and pinned to
// +-KRED_VIEW_COORD_MAX; a coordinate that is not a number gives 0.
void ConvertOneVertex(float ix, float iy, int *ox, int *oy, float x, float y, int iZoomPos);
// Both vertices by the same rule; a wall with one end beyond the pin has that
// end pulled in along the wall to the pin, so it is drawn in its direction.
void ConvertWallVertexes(const WALL_VERTEXES *iwv, WALL_VERTEXES_I *owv, float x, float y,
                         int iZoomPos);
// Heading (16384 units a turn, 0 facing +y, clockwise) to a direction angle.
double ConvertHeading(int h);
float FindSlope(float x1, float y1, float x2, float y2);
float MeasureRayToLine(float px, float py, float pAngle, const WALL_VERTEXES *wv);
float PointToLineDistance(float x, float y, float x1, float y1, float x2, float y2);
float FindYIntercept(float x1, float y1, float x2, float y2);
float Pythagoras(float fx1, float fy1, float fx2, float fy2);

// The faced wall of one snapshot: index of the nearest wall along the
// player's line of sight, or -1. (The search on the current snapshot,
// FindOutWhichWallWereLookingAt, belongs to the wall selection.)
int FindFacedWall(const EDITOR_VIEW *pv);
