// The replacement host's level file reader and grid generator.
#include "level.h"

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "test_values.h"

namespace {

// A small level with every keyword once: two rooms side by side.
const char kTwoRooms[] = R"(# two rooms
texture 64 32 "TEXTURES\WALLS\BRICK01.PCX"
texture 128 128 "TEXTURES\FLOORS\COBBLESTONE.PCX"
palette gray
color 1 10 20 30
colormaps 2
colormap 1 4 7 8 9
shadetables 1
resource "WAX " "sprites: 10"
resource "PL" "maps"
actor 1 50 50 4096 0x501
actor 2 150 50 -1 7
start 50 40 8192 0x10
sector 0x10
  name "Left Room"
  sound "STEP1.VOC"
  light 200
  friction 0.5
  gravity 2
  elasticity 0.25
  velocity 1.5 -2 0.125
  flags 0x80000001 2 3
  floor "TEXTURES\FLOORS\COBBLESTONE.PCX" -8 4 5 1024
  ceiling 0 96
  floor-overlay -2 1 2
  ceiling-overlay 1 3 4 16383
  floor-slope 0x20 0x2001 -512
  ceiling-slope 0x10 0x1002 77
  wall 0x1001 0 0 100 0
    middle 0 8 16
    wall-flags 9 0x10
    walk 3
  wall 0x1002 100 0 100 100 adjoin 0x20
    upper 1 1 2 300 12.5
    lower -1
    overlay "TEXTURES\WALLS\BRICK01.PCX" 0 0
  wall 0x1003 100 100 0 100
  wall 0x1004 0 100 0 0
sector 0x20
  floor 1 4
  ceiling 1 80
  wall 0x2001 100 0 200 0
  wall 0x2002 200 0 200 100
  wall 0x2003 200 100 100 100
  wall 0x2004 100 100 100 0 adjoin 0x10
)";

bool Parse(const std::string &text, LEVEL &lvl, std::string &err) {
  return LevelParse(text, "t.lvl", lvl, err);
}

TEST(Level, ReadsEveryField) {
  LEVEL lvl;
  std::string err;
  ASSERT_TRUE(Parse(kTwoRooms, lvl, err)) << err;
  ASSERT_EQ(lvl.textures.size(), 2u);
  EXPECT_EQ(lvl.textures[0].szName, "TEXTURES\\WALLS\\BRICK01.PCX");
  EXPECT_EQ(V(lvl.textures[0].w, lvl.textures[0].h), V(64, 32));

  const KRED_RGBQUAD *pal = lvl.palette;
  EXPECT_EQ(V(pal[1].rgbRed, pal[1].rgbGreen, pal[1].rgbBlue, pal[200].rgbRed),
            V(10, 20, 30, 200)); // set, and the gray ramp
  ASSERT_EQ(lvl.colorMaps.size(), 2u);
  ASSERT_EQ(lvl.shadeTables.size(), 1u);
  // Set entries, and the first generated map is the identity.
  EXPECT_EQ(V(lvl.colorMaps[1][4], lvl.colorMaps[1][6], lvl.colorMaps[0][100]), V(7, 9, 100));

  // Codes: the first character in the top byte, short ones padded with 0.
  ASSERT_EQ(lvl.resources.size(), 2u);
  EXPECT_EQ(lvl.resources[0].dwCode, 0x57415820u);
  EXPECT_EQ(lvl.resources[1].dwCode, 0x504C0000u);
  EXPECT_EQ(lvl.resources[0].szText, "sprites: 10");

  ASSERT_EQ(lvl.actors.size(), 2u);
  const EDITOR_OBJECT &a0 = lvl.actors[0].eo, &a1 = lvl.actors[1].eo;
  EXPECT_EQ(V(a0.sDir, a0.dwTag, a1.sDir, a1.iType), V(4096, 0x501, -1, 2));
  EXPECT_EQ(V(lvl.fStartX, lvl.sStartHeading, lvl.dwStartSector), V(50, 8192, 0x10));

  ASSERT_EQ(lvl.sectors.size(), 2u);
  const SECTOR_DATA &sd = lvl.sectors[0].sd;
  EXPECT_STREQ(sd.szSectorName, "Left Room");
  EXPECT_STREQ(sd.szSoundName, "STEP1.VOC");
  EXPECT_EQ(V(sd.dwStructSize, sd.dwSectorTag, sd.wLight, sd.fFriction, sd.fGravity, sd.fElasticity,
              sd.dVX, sd.dVY, sd.dVZ, sd.dwFlag1, sd.dwFlag2, sd.dwFlag3, sd.wFloorCount),
            V(sizeof(SECTOR_DATA), 0x10, 200, 0.5, 2, 0.25, 1.5, -2, 0.125, 0x80000001u, 2, 3, 1));
  // Surfaces: texture (by name or number), elevation, alignment, angle.
  const CF_DATA &fl = sd.cfFloor[0][0], &fo = sd.cfFloor[0][1];
  const CF_DATA &ce = sd.cfCeiling[0], &co = sd.cfCeiling[1];
  EXPECT_EQ(V(fl.iTextureIndex, fl.fElev, fl.fAlignX, fl.fAlignZ, fl.wAngle), V(1, -8, 4, 5, 1024));
  EXPECT_EQ(V(ce.iTextureIndex, ce.fElev, fo.iTextureIndex, fo.fAlignZ, co.wAngle),
            V(0, 96, -2, 2, 16383));
  EXPECT_EQ(V(sd.sdFloor.dwHingeSectorTag, sd.sdFloor.dwHingeWallTag, sd.sdFloor.iAngle,
              sd.sdCeiling.iAngle),
            V(0x20, 0x2001, -512, 77));

  const std::vector<LVL_WALL> &w = lvl.sectors[0].walls;
  ASSERT_EQ(w.size(), 4u);
  const WALL_DATA &w0 = w[0].wd, &w1 = w[1].wd;
  // Unset surfaces have no texture.
  EXPECT_EQ(V(w0.dwStructSize, w0.dwWallTag, w0.cfdMiddle.iTextureIndex, w0.cfdMiddle.fAlignZ,
              w0.cfdUpper.iTextureIndex, w0.dwFlag1, w0.dwFlag2, w0.wmWalkMode, w0.bHasAdjoin),
            V(sizeof(WALL_DATA), 0x1001, 0, 16, -1, 9, 0x10, 3, 0));
  // An adjoin carries the far sector's floor and ceiling heights.
  EXPECT_EQ(V(w1.cfdUpper.wAngle, w1.cfdUpper.fElev, w1.cfdOverlay.iTextureIndex, w1.bHasAdjoin,
              w[1].dwAdjoinTag, w1.fAdjoinFloor, w1.fAdjoinCeiling,
              lvl.sectors[1].walls[3].wd.fAdjoinFloor),
            V(300, 12.5, 0, 1, 0x20, 4, 80, -8));

  EXPECT_EQ(V(LevelFindSector(lvl, 50, 50), LevelFindSector(lvl, 150, 50),
              LevelFindSector(lvl, 250, 50), LevelFindSector(lvl, 50, -1),
              LevelSectorByTag(lvl, 0x20), LevelSectorByTag(lvl, 0x30)),
            V(0, 1, -1, -1, 1, -1));
}

TEST(Level, DemoLevelLoads) {
  LEVEL lvl;
  std::string err;
  ASSERT_TRUE(LevelLoad(KRED_SOURCE_DIR "/data/demo.lvl", lvl, err)) << err;
  EXPECT_GE(lvl.sectors.size(), 8u);
  EXPECT_EQ(lvl.textures.size(), 20u);
  EXPECT_GE(LevelFindSector(lvl, lvl.fStartX, lvl.fStartY), 0); // the start lies inside a sector
  EXPECT_FALSE(LevelLoad("/nonexistent/demo.lvl", lvl, err));
  EXPECT_EQ(err, "/nonexistent/demo.lvl: cannot read");
}

// Light of a palette entry, for comparing shades.
int Light(const KRED_RGBQUAD &q) {
  return q.rgbRed + q.rgbGreen + q.rgbBlue;
}

TEST(Level, FadeMapsDarkenAndBlendTablesMix) {
  LEVEL lvl;
  std::string err;
  const std::string tables = "palette ramp\ncolormaps 4 fade\nshadetables 3 blend\n";
  const std::string room = "sector 1\nwall 1 0 0 10 0\nwall 2 10 0 10 10\nwall 3 10 10 0 0\n";
  // A later "colormaps" replaces the maps made before.
  ASSERT_TRUE(Parse(tables + "colormaps 2 shift\n" + room, lvl, err)) << err;
  EXPECT_EQ(lvl.colorMaps.size(), 2u);
  ASSERT_TRUE(Parse(tables + room, lvl, err)) << err;
  ASSERT_EQ(lvl.colorMaps.size(), 4u);
  ASSERT_EQ(lvl.shadeTables.size(), 3u);
  const KRED_RGBQUAD *pal = lvl.palette;
  for (int i = 0; i < 256; i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(lvl.colorMaps[0][(size_t)i], i);
    // Each map is no brighter than the one before it, the last about a quarter.
    for (int k = 1; k < 4; k++)
      EXPECT_LE(Light(pal[lvl.colorMaps[(size_t)k][(size_t)i]]),
                Light(pal[lvl.colorMaps[(size_t)k - 1][(size_t)i]]) + 6);
    EXPECT_LE(Light(pal[lvl.colorMaps[3][(size_t)i]]), Light(pal[i]) / 4 + 40);
  }
  // Black blended with ramp 1's brightest (pure red) is the half-red entry.
  const KRED_RGBQUAD &q = pal[lvl.shadeTables[1][0]];
  EXPECT_NEAR(q.rgbRed, 127, 10);
  EXPECT_EQ(q.rgbGreen, 0);
  EXPECT_EQ(q.rgbBlue, 0);
  // Table 0 blends with white: every colour gets lighter, white stays white.
  for (int i = 0; i < 256; i++)
    EXPECT_GE(Light(pal[lvl.shadeTables[0][(size_t)i]]) + 30, Light(pal[i])) << i;
  EXPECT_EQ(Light(pal[lvl.shadeTables[0][15]]), 3 * 255);
  EXPECT_EQ(LevelNearestColor(pal, 0, 0, 0), 0); // ties go to the lowest index
}

TEST(Level, ErrorsNameTheLine) {
  const std::string head = "texture 8 8 \"A.PCX\"\n"; // line 1
  const std::string room = "sector 1\n"               // line 2
                           "wall 1 0 0 10 0\n"
                           "wall 2 10 0 10 10\n"
                           "wall 3 10 10 0 0\n"; // lines 3-5
  // clang-format off
  struct { std::string text; int iLine; const char *szPart; } cases[] = {
      {head + "bogus 1\n" + room, 2, "unknown keyword"},
      {head + room + "light 70000\n", 6, "out of range"},
      {head + room + "light 12x\n", 6, "not a number"},
      {head + room + "light\n", 6, "takes 1 values"},
      {head + room + "name \"open\n", 6, "unterminated"},
      {head + room + "floor 1 0\n", 6, "texture 1 is not declared"},
      {head + room + "floor \"B.PCX\" 0\n", 6, "\"B.PCX\" is not declared"},
      {head + room + "floor 0 0 1\n", 6, "needs both x and z"},
      {head + room + "middle 0\n" + "upper 0 1 2 70000\n", 7, "angle"},
      {head + "name \"x\"\n" + room, 2, "outside a sector"},
      {head + "middle 0\n" + room, 2, "outside a wall"},
      {head + room + "sector 1\n", 6, "already used on line 2"},
      {head + room + "wall 2 0 0 5 5\n", 6, "already used in this sector on line 4"},
      {head + room + "wall 9 3 3 3 3\n", 6, "no length"},
      {head + "sector 2\nwall 1 0 0 10 0\nwall 2 10 0 10 10\nwall 3 10 10 0 5\n", 5,
       "neither the next wall's start"},
      {head + "sector 2\nwall 1 0 0 10 0\nwall 2 10 0 0 0\n", 2, "needs at least 3"},
      {head + room + "wall 4 0 0 20 0 adjoin 77\nwall 5 20 0 0 0\n", 6, "adjoin to sector 77"},
      {head + room + "wall 4 0 0 20 0 next 77\n", 6, "only \"adjoin SECTOR_TAG\""},
      {head + "start 1 1 0 5\n" + room, 2, "start sector 5 does not exist"},
      {head + room + "start 1 1 0\nstart 2 2 0\n", 7, "second \"start\""},
      {head + "sector 0xFFFFFFFF\n", 2, "out of range"},
      {head + "resource \"TOOLONG\" \"x\"\n", 2, "1 to 4 characters"},
      {head + "resource \"WAX \" \"a\"\nresource \"WAX \" \"b\"\n", 3, "given twice"},
      {head + "palette rainbow\n", 2, "ramp"},
      {head + "colormaps 2\ncolormap 2 0 1\n", 3, "out of range"},
      {head + "colormaps 1\ncolormap 0 250 1 2 3 4 5 6 7\n", 3, "run past 255"},
      {head + "colormaps 2 blend\n", 2, "\"shift\" or \"fade\""},
      {head + "shadetables 2 fade\n", 2, "\"shift\" or \"blend\""},
      {head + "shadetables 2 blend 3\n", 2, "takes 1 to 2 values"},
      {head + "texture 0 8 \"B\"\n", 2, "width"},
      {head, 1, "no sector"},
  };
  // clang-format on
  for (const auto &c : cases) {
    LEVEL lvl;
    lvl.textures.push_back(LVL_TEXTURE{"KEEP", 1, 1});
    std::string err;
    EXPECT_FALSE(Parse(c.text, lvl, err)) << c.text;
    std::string want = "t.lvl:" + std::to_string(c.iLine) + ": ";
    EXPECT_EQ(err.compare(0, want.size(), want), 0) << err << "\n" << c.text;
    EXPECT_NE(err.find(c.szPart), std::string::npos) << err;
    // Nothing half-read reaches the caller's level.
    ASSERT_EQ(lvl.textures.size(), 1u);
    EXPECT_EQ(lvl.textures[0].szName, "KEEP");
    EXPECT_TRUE(lvl.sectors.empty());
  }
}

TEST(Level, Limits) {
  const std::string room = "sector 1\nwall 1 0 0 10 0\nwall 2 10 0 10 10\nwall 3 10 10 0 0\n";
  // clang-format off
  struct { std::string line; bool bOk; } cases[] = {
      {"name \"" + std::string(79, 'n') + "\"", true},
      {"name \"" + std::string(80, 'n') + "\"", false},
      {"sound \"" + std::string(39, 's') + "\"", true},
      {"sound \"" + std::string(40, 's') + "\"", false},
      {"light 65535", true},
      {"light -1", false},
      {"flags 0xFFFFFFFF", true},
      {"flags 0x100000000", false},
      {"# " + std::string(LVL_MAX_LINE - 2, 'c'), true},
      {"# " + std::string(LVL_MAX_LINE - 1, 'c'), false},
      {"floor -2 0", true},
      {"floor -7 0", true},
      {"friction nan", false},
      {"friction 1e40", false},
  };
  // clang-format on
  for (const auto &c : cases) {
    LEVEL lvl;
    std::string err;
    EXPECT_EQ(Parse(room + c.line + "\n", lvl, err), c.bOk) << c.line.substr(0, 40) << " " << err;
  }
}

TEST(Level, GeneratedGrid) {
  LEVEL lvl;
  std::string err;
  ASSERT_TRUE(LevelGenerate(50, 10, lvl, err)) << err;
  ASSERT_EQ(lvl.sectors.size(), 50u);
  for (size_t i = 0; i < lvl.sectors.size(); i++) {
    const LVL_SECTOR &s = lvl.sectors[i];
    ASSERT_EQ(s.walls.size(), 10u);
    for (size_t k = 0; k < s.walls.size(); k++) {
      const LVL_WALL &w = s.walls[k], &next = s.walls[(k + 1) % s.walls.size()];
      EXPECT_FLOAT_EQ(w.v2x, next.v1x);
      EXPECT_FLOAT_EQ(w.v2y, next.v1y);
      if (w.wd.bHasAdjoin) {
        EXPECT_GE(LevelSectorByTag(lvl, w.dwAdjoinTag), 0);
      }
    }
    // Each sector's centre (the mean of its corners) finds that very sector.
    float fX = 0, fY = 0;
    for (const LVL_WALL &w : s.walls) {
      fX += w.v1x / 10;
      fY += w.v1y / 10;
    }
    EXPECT_EQ(LevelFindSector(lvl, fX, fY), (int)i);
  }
  EXPECT_FALSE(LevelGenerate(0, 10, lvl, err));
  EXPECT_FALSE(LevelGenerate(10, 3, lvl, err));
  EXPECT_EQ(lvl.sectors.size(), 50u); // a refused request keeps the old level
}

} // namespace
