// Plane geometry of the map view: world/screen conversion and wall searches.
#pragma once

#include <stdint.h>

#include "kred_records.h"

struct WALL_VERTEXES_I {
  int32_t v1x;
  int32_t v1y;
  int32_t v2x;
  int32_t v2y;
};

void ConvertScreenToWorld(int cx, int cy, int px, int py, float ix, float iy, float *ox, float *oy,
                          int iZoomPos);
void ConvertOneVertex(float ix, float iy, int *ox, int *oy, float x, float y, int iZoomPos);
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
// player's line of sight, or -1.
int FindFacedWall(const EDITOR_VIEW *pv);
// The same on the current snapshot, read under the snapshot guard.
int FindOutWhichWallWereLookingAt(void);
