#include <gtest/gtest.h>

#include <math.h>

#include <stdint.h>

#include "geometry.h"

namespace {

TEST(Geometry, ScreenAndWorldRoundTrip) {
  // Player at (0, 0), zoom 3, a 200 by 100 client area.
  int ox, oy;
  ConvertOneVertex(10, 10, &ox, &oy, 0, 0, 3);
  EXPECT_EQ(100 + ox, 110);
  EXPECT_EQ(50 + oy, 40);
  float fx, fy;
  ConvertScreenToWorld(100, 50, 110, 40, 0, 0, &fx, &fy, 3);
  EXPECT_FLOAT_EQ(fx, 10.0f);
  EXPECT_FLOAT_EQ(fy, 10.0f);
  // Off-centre player, zoom 30: 10 pixels per unit.
  ConvertScreenToWorld(100, 50, 125, 30, 7, -3, &fx, &fy, 30);
  EXPECT_FLOAT_EQ(fx, 9.5f);
  EXPECT_FLOAT_EQ(fy, -1.0f);
}

// Offsets are truncated toward zero. The view adds its centre to them and
// hands them to GDI, which takes device coordinates within 2^27: any offset
// must leave room for that.
TEST(Geometry, WorldToScreenOffsetsAreTruncatedAndPinned) {
  const int M = KRED_VIEW_COORD_MAX;
  const float fInf = INFINITY;
  // clang-format off
  const struct { const char *szWhat; float ix, iy, x, y; int iZoom, ox, oy; } cases[] = {
      {"-0.67 to 0, not -1", -1, 0, 0, 0, 2, 0, 0},
      {"below the player: +0.67 to 0", 0, -1, 0, 0, 2, 0, 0},
      {"-1.33 to -1", -2, 2, 0, 0, 2, -1, -1},
      {"far away", 1e30f, -1e30f, 0, 0, 30, M, M},
      {"far away, other side", -1e30f, 1e30f, 0, 0, 30, -M, -M},
      {"infinite point", fInf, -fInf, 0, 0, 3, M, M},
      {"infinite player", 0, 0, fInf, -fInf, 3, -M, -M},
      {"difference overflows a float", 3e38f, -3e38f, -3e38f, 3e38f, 30, M, M},
      {"not a number", NAN, 5, 0, 0, 3, 0, -5},
      {"player not a number", 1, 1, NAN, NAN, 3, 0, 0},
      {"huge zoom", 100, -100, 0, 0, 2147483647, M, M},
      {"negative zoom", 100, -100, 0, 0, -30, -1000, -1000},
      {"just inside", 1000000, 0, 0, 0, 3, 1000000, 0},
      {"at the limit", (float)M, (float)-M, 0, 0, 3, M, M},
      {"one beyond", (float)M + 64, 0, 0, 0, 3, M, 0},
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szWhat);
    int ox = 99, oy = 99;
    ConvertOneVertex(c.ix, c.iy, &ox, &oy, c.x, c.y, c.iZoom);
    EXPECT_EQ(ox, c.ox);
    EXPECT_EQ(oy, c.oy);
    // A centre of a 32767-pixel view still lands inside what GDI accepts.
    EXPECT_LT((int64_t)ox + 32767, (int64_t)1 << 27);
    EXPECT_GT((int64_t)oy - 32767, -((int64_t)1 << 27));
  }
}

TEST(Geometry, WallsBeyondThePinKeepTheirDirection) {
  const int M = KRED_VIEW_COORD_MAX;
  const float fInf = INFINITY;
  // clang-format off
  const struct { const char *szWhat; WALL_VERTEXES wv; WALL_VERTEXES_I want; } cases[] = {
      {"inside", {0, -5, 6, 9, -12}, {-5, -6, 9, 12}},
      {"far east", {0, 20, 0, 1e30f, 0}, {20, 0, M, 0}},
      {"far north-east, a tenth as steep", {0, 0, 0, 1e30f, 1e29f}, {0, 0, M, -M / 10}},
      {"far end first", {0, 1e30f, -1e30f, 30, -30}, {M, M, 30, 30}},
      {"infinite far end", {0, 0, 40, -fInf, 40}, {0, -40, -M, -40}},
      {"both ends far: each pinned", {0, -1e30f, 1e29f, 1e30f, -1e30f}, {-M, -M, M, M}},
      {"not a number", {0, NAN, 3, 1e30f, 3}, {0, -3, M, -3}},
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szWhat);
    WALL_VERTEXES_I wi = {99, 99, 99, 99};
    ConvertWallVertexes(&c.wv, &wi, 0, 0, 3);
    EXPECT_EQ(wi.v1x, c.want.v1x);
    EXPECT_NEAR(wi.v1y, c.want.v1y, 1);
    EXPECT_EQ(wi.v2x, c.want.v2x);
    EXPECT_NEAR(wi.v2y, c.want.v2y, 1);
  }
}

TEST(Geometry, ConvertHeading) {
  const double dPi = 3.14159265358979;
  // clang-format off
  const struct { int h; double d; } cases[] = {
      {0, dPi},           {4096, dPi / 2},    {8192, 0.0},
      {12288, dPi * 1.5}, {-4096, dPi * 1.5}, {8193, 2 * dPi - 2 * dPi / 16384},
  };
  // clang-format on
  for (const auto &c : cases)
    EXPECT_NEAR(ConvertHeading(c.h), c.d, 1e-6) << c.h;
}

TEST(Geometry, FindSlope) {
  // clang-format off
  const struct { float x2, y2, a; } cases[] = {
      {1, 0, 1.5707964f},  {0, 1, 3.1415927f},   {-1, 0, 4.712389f},
      {0, -1, 0.0f},       {1, 1, 2.3561945f},   {-1, 1, 3.9269908f},
      {1, -1, 0.7853982f}, {-1, -1, 5.4977871f}, {0, 0, 4.712389f},
  };
  // clang-format on
  for (const auto &c : cases)
    EXPECT_FLOAT_EQ(FindSlope(0, 0, c.x2, c.y2), c.a) << c.x2 << "," << c.y2;

  // The axis values continue the general case from both sides.
  const float e = 1e-4f;
  // clang-format off
  const struct { float x2, y2, a; } near[] = {
      {1, e, 1.5707964f}, {1, -e, 1.5707964f}, {e, 1, 3.1415927f}, {-e, 1, 3.1415927f},
      {-1, e, 4.712389f}, {-1, -e, 4.712389f}, {e, -1, 0.0f},
      {-e, -1, 6.2831855f}}; // just below a full turn
  // clang-format on
  for (const auto &c : near)
    EXPECT_NEAR(FindSlope(0, 0, c.x2, c.y2), c.a, 1e-3) << c.x2 << "," << c.y2;
}

float Ray(float px, float py, int h, WALL_VERTEXES wv) {
  return MeasureRayToLine(px, py, (float)ConvertHeading(h), &wv);
}

TEST(Geometry, MeasureRayToLine) {
  // clang-format off
  const struct { const char *szWhat; float px, py; int h; WALL_VERTEXES wv; float d; } cases[] = {
      {"straight ahead", 0, 0, 0, {0, -10, 10, 10, 10}, 10.0f},
      {"interpolated by angle", 0, 0, 1024, {0, -10, 10, 10, 10}, 11.18034f},
      {"vertices reversed", 0, 0, 1024, {0, 10, 10, -10, 10}, 11.18034f},
      {"straddles angle 0", 0, 0, 8192, {0, -1, -10, 1, -10}, 10.0f},
      {"straddles, reversed", 0, 0, 8192, {0, 1, -10, -1, -10}, 10.0f},
      {"behind the player", 0, 0, 8192, {0, -10, 10, 10, 10}, -1.0f},
      {"edge-on", 0, 0, 0, {0, 0, 5, 0, 10}, -1.0f},
      {"aimed at a vertex", 0, 0, 0, {0, 0, 10, 10, 10}, 10.0f},
      {"off to the side", 0, 0, 0, {0, 50, -10, 60, -10}, -1.0f},
      {"moved player", 100, 200, 4096, {0, 110, 190, 110, 210}, 10.0f},
  };
  // clang-format on
  for (const auto &c : cases)
    EXPECT_FLOAT_EQ(Ray(c.px, c.py, c.h, c.wv), c.d) << c.szWhat;
}

TEST(Geometry, PointToLineDistance) {
  // clang-format off
  const struct { float x, y, x1, y1, x2, y2, d; } cases[] = {
      {5, 3, 0, 0, 10, 0, 3.0f},         {12, 3, 0, 0, 10, 0, 20.0f},
      {0, 3, 0, 0, 10, 0, 3.0f},         {0, 3, 10, 0, 0, 0, 20.0f},
      {10, 3, 0, 0, 10, 0, 3.0f},        {10, 3, 10, 0, 0, 0, 20.0f},
      {5, -4, 10, 0, 0, 0, 4.0f}, // horizontal, reversed, inside
      {3, 5, 0, 0, 0, 10, 3.0f},         {3, 0, 0, 0, 0, 10, 3.0f},
      {3, 0, 0, 10, 0, 0, 20.0f},        {3, 11, 0, 0, 0, 10, 20.0f},
      {10, 0, 0, 0, 10, 10, 7.0710678f}, // foot (5, 5)
      {20, 10, 0, 0, 10, 10, 20.0f},     // foot (15, 15), past the end
      {0, 10, 10, 10, 0, 0, 7.0710678f},
  };
  // clang-format on
  for (const auto &c : cases)
    EXPECT_FLOAT_EQ(PointToLineDistance(c.x, c.y, c.x1, c.y1, c.x2, c.y2), c.d)
        << c.x << "," << c.y << " to " << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2;
}

EDITOR_VIEW View(WALL_VERTEXES *wv, int n, int16_t sAngle = 0) {
  EDITOR_VIEW pv = {};
  pv.sAngle = sAngle;
  pv.iWallCount = n;
  pv.fpWSet = wv;
  return pv;
}

TEST(Geometry, FindFacedWall) {
  WALL_VERTEXES wv[] = {
      {0, 50, -10, 60, -10},      // missed
      {1, -10, 30, 10, 30},       // 30 ahead
      {2, -10, 10, 10, 10},       // 10 ahead: nearest
      {3, 10, 10, -10, 10},       // same distance, later: loses the tie
      {4, -10, 20000, 10, 20000}, // beyond the search limit
  };
  EDITOR_VIEW pv = View(wv, 5);
  EXPECT_EQ(FindFacedWall(&pv), 2);
  pv = View(wv, 2);
  EXPECT_EQ(FindFacedWall(&pv), 1);
  pv = View(wv + 4, 1);
  EXPECT_EQ(FindFacedWall(&pv), -1);
  pv = View(wv, 0);
  EXPECT_EQ(FindFacedWall(&pv), -1);
  pv = View(wv, 5, 8192); // turned round: nothing behind
  EXPECT_EQ(FindFacedWall(&pv), -1);
  EXPECT_EQ(FindFacedWall(nullptr), -1);
}

} // namespace
