#include "fixup_writer.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "fixup_tables.h"
#include "kred_records.h"
#include "textures.h"

namespace {

const SHARED_TEXTURE_DATA stdTextures[] = {
    {64, 64, "WALL1.PCX"}, {64, 32, "FLOOR.PCX"}, {16, 16, "TEX\\SKY A.PCX"}, {0, 0, nullptr}};

class FixupWriter : public ::testing::Test {
protected:
  void SetUp() override {
    FreeChangeTables();
    ASSERT_TRUE(Textures_Alloc());
    ASSERT_EQ(Textures_Build(stdTextures), 3);
  }
  void TearDown() override {
    FreeChangeTables();
    Textures_Free();
  }
};

std::string FormatAll() {
  std::string s;
  Fixup_FormatAll(s);
  return s;
}

// clang-format off
SECTOR_DATA SampleSector() {
  SECTOR_DATA sd = {};
  sd.dwStructSize = 296; sd.dwSectorTag = 0x1A2B; sd.wLight = 200; sd.fFriction = 0.75f;
  sd.fGravity = 1e6f; sd.fElasticity = 0.0001f; sd.dwFlag1 = 0x8001; sd.dwFlag3 = 0xAB;
  sd.cfCeiling[0] = {1, 64, 0.5f, -1.25f, 4096, 0}; sd.cfCeiling[1] = {INT32_MIN, 0, 0, 0, 0, 0};
  sd.wFloorCount = 3; // always written as one floor
  sd.cfFloor[0][0] = {0, -8, 1, 2, 8192, 0}; sd.cfFloor[0][1] = {-2, 0, 3.5f, 0, 100, 0};
  sd.sdFloor = {0xDEAD, 0x1, -45}; sd.sdCeiling = {0xFFFFFFFF, 0x80000000, INT32_MIN};
  sd.dVX = 1.5; sd.dVY = -2; sd.dVZ = 1234567;
  strcpy(sd.szSectorName, "Main Hall");
  strcpy(sd.szSoundName, "DRIP");
  return sd;
}
// clang-format on

const char szSampleSectorBlock[] = "FIXUP: SECTOR\r\n"
                                   "  TAG: 1A2B\r\n"
                                   "  LIGHT: 200\r\n"
                                   "  FLAG_1: 8001\r\n"
                                   "  FLAG_2: 0\r\n"
                                   "  FLAG_3: ab\r\n"
                                   "  CEILING: 64 FLOOR.PCX 0.5 -1.25 90.0\r\n"
                                   "  OVERLAY: - 0 0 0.0\r\n"
                                   "  FLOORS: 1\r\n"
                                   "  FLOOR: -8 WALL1.PCX 1 2 180.0\r\n"
                                   "  OVERLAY: ### 3.5 0 2.2\r\n"
                                   "  FLOOR SLOPE: DEAD 1 -45\r\n"
                                   "  CEILING SLOPE: FFFFFFFF 80000000 -2147483648\r\n"
                                   "  FRICTION: 0.75\r\n"
                                   "  GRAVITY: 1e+06\r\n"
                                   "  ELASTICITY: 0.0001\r\n"
                                   "  VELOCITY: 1.5 -2 1.23457e+06\r\n"
                                   "  STEP SOUND: DRIP\r\n"
                                   "  SECTOR NAME: Main Hall\r\n"
                                   "\r\n";

// clang-format off
WALL_DATA SampleWall() {
  return WALL_DATA{0, 0xC0FFEE, 2, {-2, 5, 0, 0, 4096, 0}, {2, 0, 0.25f, 16, 0, 0},
                   {0, 0, -3, 0.125f, 0, 0}, {INT32_MAX, 0, 7, 8, 0, 0}, 0xFFFFFFFF, 0x20, 1, 0, 0};
}
// clang-format on

const char szSampleWallBlock[] = "FIXUP: WALL\r\n"
                                 "  SECTOR_TAG: FFFFFFFF\r\n"
                                 "  WALL_TAG: C0FFEE\r\n"
                                 "  UPPER_TEXTURE: ### 0 0\r\n"
                                 "  MIDDLE_TEXTURE: TEX\\SKY A.PCX 0.25 16\r\n"
                                 "  LOWER_TEXTURE: WALL1.PCX -3 0.125\r\n"
                                 "  OVERLAY_TEXTURE: ? 7 8\r\n"
                                 "  FLAG_1: ffffffff\r\n"
                                 "  FLAG_2: 20\r\n"
                                 "\r\n";

std::vector<std::string> Lines(const std::string &s) {
  std::vector<std::string> v;
  size_t i = 0;
  for (size_t e; (e = s.find("\r\n", i)) != std::string::npos; i = e + 2)
    v.push_back(s.substr(i, e - i));
  if (i < s.size())
    v.push_back(s.substr(i) + "<no CR LF>");
  return v;
}

// The line of the first (only) block that starts with szPrefix.
std::string LineStarting(const std::string &s, const char *szPrefix) {
  for (const std::string &l : Lines(s))
    if (l.compare(0, strlen(szPrefix), szPrefix) == 0)
      return l;
  return "<missing " + std::string(szPrefix) + ">";
}

TEST_F(FixupWriter, BlocksInListOrderByteForByte) {
  SECTOR_DATA sd = SampleSector();
  WALL_DATA wd = SampleWall();
  VERTEX_DATA vd = {1.5, -2, 100000, 0.001};
  uint32_t dwOdd = 0;
  AddToFixupTable(OFT_SECTOR, sd.dwSectorTag, 0, &sd, sizeof(sd));
  AddToFixupTable(OFT_WALL, 0xFFFFFFFF, 3, &wd, sizeof(wd));
  AddToFixupTable(OFT_VERTEX, 1, 2, &vd, sizeof(vd));
  AddToFixupTable(7, 1, 2, &dwOdd, sizeof(dwOdd));
  AddToFixupTable(-1, 1, 2, nullptr, 0);
  std::string want = std::string(szSampleSectorBlock) + szSampleWallBlock +
                     "FIXUP: VERTEX\r\n"
                     "  OLD_VERTEX: 1.5 -2\r\n"
                     "  NEW_VERTEX: 100000 0.001\r\n"
                     "\r\n"
                     "\r\n"
                     "\r\n"
                     "FIXUP: DONE\r\n";
  EXPECT_EQ(FormatAll(), want);
}

// Formatting leaves the tables as they are, gives the same text again and
// appends to what the caller holds; each level's table is formatted on its
// own, whichever level is selected.
TEST_F(FixupWriter, EachLevelFormattedOnItsOwnAndAgainTheSame) {
  EXPECT_EQ(FormatAll(), "FIXUP: DONE\r\n");
  SECTOR_DATA sd = SampleSector();
  WALL_DATA wd = SampleWall();
  ASSERT_TRUE(ChangeTables_SelectLevel("A"));
  AddToFixupTable(OFT_SECTOR, sd.dwSectorTag, 0, &sd, sizeof(sd));
  ASSERT_TRUE(ChangeTables_SelectLevel("B"));
  AddToFixupTable(OFT_WALL, 0xFFFFFFFF, 3, &wd, sizeof(wd));
  std::string a = "X", b;
  Fixup_FormatList(a, ChangeTables_LevelFixups(0));
  Fixup_FormatList(b, ChangeTables_LevelFixups(1));
  EXPECT_EQ(a, "X" + std::string(szSampleSectorBlock) + "FIXUP: DONE\r\n");
  EXPECT_EQ(b, std::string(szSampleWallBlock) + "FIXUP: DONE\r\n");
  EXPECT_EQ(FormatAll(), b);
  EXPECT_EQ(ChangeTables_Count(ChangeTables_LevelFixups(1)), 1);
}

TEST_F(FixupWriter, AnglesInDegreesWithOneDecimal) {
  // clang-format off
  const struct { uint16_t wAngle; const char *sz; } cases[] = {
      {0, "0.0"}, {1, "0.0"}, {2, "0.0"}, {3, "0.1"}, {100, "2.2"}, {4096, "90.0"}, {8192, "180.0"},
      {16383, "360.0"}, {16384, "360.0"}, {32768, "720.0"}, {65535, "1440.0"}};
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.wAngle);
    FreeChangeTables();
    SECTOR_DATA sd = SampleSector();
    sd.cfCeiling[0].wAngle = c.wAngle;
    sd.cfCeiling[1].wAngle = c.wAngle;
    AddToFixupTable(OFT_SECTOR, 1, 0, &sd, sizeof(sd));
    std::string s = FormatAll();
    EXPECT_EQ(LineStarting(s, "  CEILING:"),
              std::string("  CEILING: 64 FLOOR.PCX 0.5 -1.25 ") + c.sz);
    EXPECT_EQ(LineStarting(s, "  OVERLAY:"), std::string("  OVERLAY: - 0 0 ") + c.sz);
  }
}

// Empty names have words of their own; names that fill their arrays are
// written up to the array's end, not beyond.
TEST_F(FixupWriter, EmptyAndUnterminatedNames) {
  const struct {
    char c;
    std::string sSound, sName;
  } cases[] = {{'\0', "NULL", "#"}, {'Z', std::string(40, 'Z'), std::string(80, 'Z')}};
  for (const auto &c : cases) {
    FreeChangeTables();
    SECTOR_DATA sd = SampleSector();
    memset(sd.szSoundName, c.c, sizeof(sd.szSoundName));
    memset(sd.szSectorName, c.c, sizeof(sd.szSectorName));
    AddToFixupTable(OFT_SECTOR, 1, 0, &sd, sizeof(sd));
    std::string s = FormatAll();
    EXPECT_EQ(Lines(s).size(), 21u);
    EXPECT_EQ(LineStarting(s, "  STEP SOUND:"), "  STEP SOUND: " + c.sSound);
    EXPECT_EQ(LineStarting(s, "  SECTOR NAME:"), "  SECTOR NAME: " + c.sName);
  }
}

// The text is pinned where every C library the editor is built with agrees
// (two exponent digits, "inf", a denormal's digits).
TEST_F(FixupWriter, NonFiniteAndExtremeFloatsGiveOneLinePerField) {
  const struct {
    float f;
    const char *sz;
  } values[] = {{NAN, "nan"},        {-NAN, "nan"},        {INFINITY, "inf"},
                {-INFINITY, "-inf"}, {3.4e38f, "3.4e+38"}, {-1e-40f, "-9.99995e-41"},
                {1e-5f, "1e-05"}};
  for (const auto &v : values) {
    SCOPED_TRACE(v.sz);
    float f = v.f;
    FreeChangeTables();
    SECTOR_DATA sd = SampleSector();
    sd.fFriction = sd.fGravity = sd.fElasticity = f;
    sd.cfCeiling[0].fElev = sd.cfCeiling[0].fAlignX = f;
    sd.dVX = sd.dVY = sd.dVZ = (double)f;
    WALL_DATA wd = SampleWall();
    wd.cfdLower.fAlignX = wd.cfdLower.fAlignZ = f;
    VERTEX_DATA vd = {f, f, f, f};
    AddToFixupTable(OFT_SECTOR, 1, 0, &sd, sizeof(sd));
    AddToFixupTable(OFT_WALL, 1, 1, &wd, sizeof(wd));
    AddToFixupTable(OFT_VERTEX, 0, 0, &vd, sizeof(vd));
    std::string s = FormatAll();
    // A NaN with its sign bit set is "-nan" from glibc, "nan" from the
    // library's own printf.
    for (size_t i; (i = s.find("-nan")) != std::string::npos;)
      s.erase(i, 1);
    std::vector<std::string> l = Lines(s);
    ASSERT_EQ(l.size(), 20u + 10u + 4u + 1u);
    for (const std::string &line : l)
      EXPECT_EQ(line.find_first_of("\r\n<"), std::string::npos) << line;
    std::string t = v.sz;
    EXPECT_EQ(l[13], "  FRICTION: " + t);
    EXPECT_EQ(l[16], "  VELOCITY: " + t + " " + t + " " + t);
    EXPECT_EQ(l[25], "  LOWER_TEXTURE: WALL1.PCX " + t + " " + t);
    EXPECT_EQ(l[31], "  OLD_VERTEX: " + t + " " + t);
  }
}

TEST_F(FixupWriter, ShortPayloadIsNotReadPastItsEnd) {
  // A sector or wall entry smaller than its record is written like an
  // unknown type.
  uint8_t b[16] = {};
  AddToFixupTable(OFT_SECTOR, 1, 0, b, sizeof(b));
  AddToFixupTable(OFT_WALL, 1, 1, b, sizeof(b));
  AddToFixupTable(OFT_VERTEX, 1, 1, b, sizeof(b));
  EXPECT_EQ(FormatAll(), "\r\n\r\n\r\nFIXUP: DONE\r\n");
}

TEST_F(FixupWriter, FileNameLimits) {
  std::string s115(115, 'L'), s116(116, 'L'), s300(300, 'L');
  // clang-format off
  const struct { const char *szLevel; size_t cbOut; int iResult; std::string want; } cases[] = {
      {"LEVELS\\CASTLE.LVL", 120, FIXUP_NAME_OK, "LEVELS\\CASTLE.LVL.NFU"},
      {"A", 6, FIXUP_NAME_OK, "A.NFU"},
      {"A", 5, FIXUP_NAME_TOO_LONG, ""},
      {s115.c_str(), 120, FIXUP_NAME_OK, s115 + ".NFU"},
      {s115.c_str(), 4096, FIXUP_NAME_OK, s115 + ".NFU"},
      {s115.c_str(), 119, FIXUP_NAME_TOO_LONG, ""},
      {s116.c_str(), 4096, FIXUP_NAME_TOO_LONG, ""},
      {s300.c_str(), 4096, FIXUP_NAME_TOO_LONG, ""},
      {"", 120, FIXUP_NAME_MISSING, ""},
      {nullptr, 120, FIXUP_NAME_MISSING, ""},
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szLevel == nullptr ? "(null)" : c.szLevel);
    SCOPED_TRACE(c.cbOut);
    std::vector<char> out(c.cbOut, 'x');
    EXPECT_EQ(Fixup_MakeFileName(out.data(), out.size(), c.szLevel), c.iResult);
    ASSERT_NE(memchr(out.data(), 0, out.size()), nullptr);
    EXPECT_EQ(std::string(out.data()), c.want);
  }
  EXPECT_EQ(Fixup_MakeFileName(nullptr, 0, "A"), FIXUP_NAME_TOO_LONG);
}

// The texture names of every wall block, in block order.
std::vector<std::string> WallTextureNames(const std::string &s) {
  std::vector<std::string> v;
  for (const std::string &l : Lines(s)) {
    if (l.find("_TEXTURE: ") == std::string::npos)
      continue;
    size_t c = l.find(": ") + 2, e = l.rfind(' ', l.rfind(' ') - 1);
    v.push_back(l.substr(c, e - c));
  }
  return v;
}

// A record keeps the names its textures had when it was recorded: a later
// texture list changes only what is recorded after it.
TEST_F(FixupWriter, TextureNamesAreThoseOfTheRecordingTime) {
  const SHARED_TEXTURE_DATA otherTextures[] = {{8, 8, "A.PCX"}, {8, 8, "B.PCX"}, {8, 8, "C.PCX"},
                                               {8, 8, "D.PCX"}, {8, 8, "E.PCX"}, {0, 0, nullptr}};
  WALL_DATA wd = SampleWall();
  wd.cfdUpper.iTextureIndex = 0;
  wd.cfdMiddle.iTextureIndex = 2;
  wd.cfdLower.iTextureIndex = 3;   // the terminator of three textures
  wd.cfdOverlay.iTextureIndex = 4; // past it
  AddToFixupTable(OFT_WALL, 1, 1, &wd, sizeof(wd));
  typedef std::vector<std::string> Names;
  const Names first = {"WALL1.PCX", "TEX\\SKY A.PCX", "---", "?"};
  const Names other = {"A.PCX", "C.PCX", "D.PCX", "E.PCX"};
  const Names none = {"?", "?", "?", "?"};
  EXPECT_EQ(WallTextureNames(FormatAll()), first);

  const struct {
    const char *szStep;
    const SHARED_TEXTURE_DATA *pList; // null: no table at all
    uint32_t dwRecord;                // wall recorded after the change, 0 none
    std::vector<Names> want;          // the walls' names afterwards
  } steps[] = {
      {"another list", otherTextures, 2, {first, other}},
      {"the first list again", stdTextures, 0, {first, other}},
      {"no table", nullptr, 3, {first, other, none}},
      {"wall 1 recorded again", otherTextures, 1, {other, other, none}},
  };
  for (const auto &st : steps) {
    SCOPED_TRACE(st.szStep);
    if (st.pList == nullptr) {
      Textures_Free();
    } else {
      ASSERT_TRUE(Textures_Alloc());
      Textures_Build(st.pList);
    }
    if (st.dwRecord != 0)
      AddToFixupTable(OFT_WALL, 1, st.dwRecord, &wd, sizeof(wd));
    Names want;
    for (const Names &n : st.want)
      want.insert(want.end(), n.begin(), n.end());
    EXPECT_EQ(WallTextureNames(FormatAll()), want);
  }
}

} // namespace
