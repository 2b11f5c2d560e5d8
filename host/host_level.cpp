// Level data: fields of the host's sector and wall records that scenarios
// read and set.
#include "host_cmd.h"

#include <math.h>
#include <stddef.h>
#include <string.h>

// Fields of the host's sector and wall records that scenarios name: where
// each lies in its record and how it is stored.
enum { FT_TEXT, FT_U16, FT_U32, FT_I32, FT_FLOAT, FT_DOUBLE };

struct FIELD {
  const char *szName;
  int iType;
  size_t nOff;  // in the record
  size_t nSize; // bytes; for FT_TEXT the buffer with its terminator
};

#define KH_FIELD(NAME, TYPE, REC, MEMBER)                                                          \
  { NAME, TYPE, offsetof(REC, MEMBER), sizeof(((REC *)nullptr)->MEMBER) }
#define KH_SURFACE(NAME, REC, CF)                                                                  \
  KH_FIELD(NAME "-tex", FT_I32, REC, CF.iTextureIndex),                                            \
      KH_FIELD(NAME "-alignx", FT_FLOAT, REC, CF.fAlignX),                                         \
      KH_FIELD(NAME "-alignz", FT_FLOAT, REC, CF.fAlignZ),                                         \
      KH_FIELD(NAME "-angle", FT_U16, REC, CF.wAngle)

static const FIELD sectorFields[] = {
    KH_FIELD("name", FT_TEXT, SECTOR_DATA, szSectorName),
    KH_FIELD("sound", FT_TEXT, SECTOR_DATA, szSoundName),
    KH_FIELD("light", FT_U16, SECTOR_DATA, wLight),
    KH_FIELD("flag1", FT_U32, SECTOR_DATA, dwFlag1),
    KH_FIELD("flag2", FT_U32, SECTOR_DATA, dwFlag2),
    KH_FIELD("flag3", FT_U32, SECTOR_DATA, dwFlag3),
    KH_FIELD("friction", FT_FLOAT, SECTOR_DATA, fFriction),
    KH_FIELD("gravity", FT_FLOAT, SECTOR_DATA, fGravity),
    KH_FIELD("elasticity", FT_FLOAT, SECTOR_DATA, fElasticity),
    KH_FIELD("vx", FT_DOUBLE, SECTOR_DATA, dVX),
    KH_FIELD("vy", FT_DOUBLE, SECTOR_DATA, dVY),
    KH_FIELD("vz", FT_DOUBLE, SECTOR_DATA, dVZ),
    KH_FIELD("floor", FT_FLOAT, SECTOR_DATA, cfFloor[0][0].fElev),
    KH_FIELD("ceiling", FT_FLOAT, SECTOR_DATA, cfCeiling[0].fElev),
    KH_FIELD("floor-count", FT_U16, SECTOR_DATA, wFloorCount),
    KH_SURFACE("floor", SECTOR_DATA, cfFloor[0][0]),
    KH_SURFACE("ceiling", SECTOR_DATA, cfCeiling[0]),
    KH_SURFACE("floor-overlay", SECTOR_DATA, cfFloor[0][1]),
    KH_SURFACE("ceiling-overlay", SECTOR_DATA, cfCeiling[1]),
    KH_FIELD("floor-slope-sector", FT_U32, SECTOR_DATA, sdFloor.dwHingeSectorTag),
    KH_FIELD("floor-slope-wall", FT_U32, SECTOR_DATA, sdFloor.dwHingeWallTag),
    KH_FIELD("floor-slope-angle", FT_I32, SECTOR_DATA, sdFloor.iAngle),
    KH_FIELD("ceiling-slope-sector", FT_U32, SECTOR_DATA, sdCeiling.dwHingeSectorTag),
    KH_FIELD("ceiling-slope-wall", FT_U32, SECTOR_DATA, sdCeiling.dwHingeWallTag),
    KH_FIELD("ceiling-slope-angle", FT_I32, SECTOR_DATA, sdCeiling.iAngle),
};

static const FIELD wallFields[] = {
    KH_SURFACE("upper", WALL_DATA, cfdUpper),
    KH_FIELD("upper-elev", FT_FLOAT, WALL_DATA, cfdUpper.fElev),
    KH_SURFACE("middle", WALL_DATA, cfdMiddle),
    KH_FIELD("middle-elev", FT_FLOAT, WALL_DATA, cfdMiddle.fElev),
    KH_SURFACE("lower", WALL_DATA, cfdLower),
    KH_FIELD("lower-elev", FT_FLOAT, WALL_DATA, cfdLower.fElev),
    KH_SURFACE("overlay", WALL_DATA, cfdOverlay),
    KH_FIELD("overlay-elev", FT_FLOAT, WALL_DATA, cfdOverlay.fElev),
    KH_FIELD("flag1", FT_U32, WALL_DATA, dwFlag1),
    KH_FIELD("flag2", FT_U32, WALL_DATA, dwFlag2),
    KH_FIELD("walk", FT_I32, WALL_DATA, wmWalkMode),
    KH_FIELD("adjoin", FT_U32, WALL_DATA, bHasAdjoin),
};

template <size_t N>
static const FIELD &NeedField(const CMD &c, size_t i, const FIELD (&fields)[N], const char *szRec) {
  for (const FIELD &f : fields)
    if (c.tok[i].s == f.szName)
      return f;
  ScriptError(c.iLine, "unknown %s field \"%s\"", szRec, c.tok[i].s.c_str());
}

static double FieldNumber(const void *pRec, const FIELD &f) {
  const char *p = (const char *)pRec + f.nOff;
  switch (f.iType) {
  case FT_U16:
    return *(const uint16_t *)p;
  case FT_U32:
    return *(const uint32_t *)p;
  case FT_I32:
    return *(const int32_t *)p;
  case FT_FLOAT:
    return *(const float *)p;
  case FT_DOUBLE:
    return *(const double *)p;
  }
  return 0;
}

// The field of the record against token iValue: text exactly, numbers
// within 1e-4 relative.
static bool FieldEquals(const CMD &c, size_t iValue, const void *pRec, const FIELD &f) {
  const std::string &want = c.tok[iValue].s;
  if (f.iType == FT_TEXT) {
    const char *sz = (const char *)pRec + f.nOff;
    return Check(want == sz, "%s is \"%s\", expected \"%s\"", f.szName, sz, want.c_str());
  }
  double dValue = FieldNumber(pRec, f), dWant = ArgFloat(c, iValue);
  return Check(fabs(dValue - dWant) <= 1e-4 * (1.0 + fabs(dWant)), "%s is %.9g, expected %s",
               f.szName, dValue, want.c_str());
}

// Puts token iValue into the field of the record; a value the field cannot
// hold is a scenario error.
static void FieldStore(const CMD &c, size_t iValue, const FIELD &f, void *pRec) {
  char *p = (char *)pRec + f.nOff;
  const std::string &s = c.tok[iValue].s;
  if (f.iType == FT_TEXT) {
    if (s.size() >= f.nSize)
      ScriptError(c.iLine, "%s takes at most %zu characters", f.szName, f.nSize - 1);
    memset(p, 0, f.nSize);
    memcpy(p, s.data(), s.size());
    return;
  }
  if (f.iType == FT_FLOAT || f.iType == FT_DOUBLE) {
    double d = ArgFloat(c, iValue);
    if (f.iType == FT_FLOAT)
      *(float *)p = (float)d;
    else
      *(double *)p = d;
    return;
  }
  long long v = ArgInt(c, iValue);
  long long llMin = f.iType == FT_I32 ? -0x80000000ll : 0;
  long long llMax = f.iType == FT_U16 ? 0xFFFF : f.iType == FT_U32 ? 0xFFFFFFFFll : 0x7FFFFFFF;
  if (v < llMin || v > llMax)
    ScriptError(c.iLine, "%s: %s is out of range %lld..%lld", f.szName, s.c_str(), llMin, llMax);
  if (f.iType == FT_U16)
    *(uint16_t *)p = (uint16_t)v;
  else if (f.iType == FT_U32)
    *(uint32_t *)p = (uint32_t)v;
  else
    *(int32_t *)p = (int32_t)v;
}

bool cmd_ExpectSector(const CMD &c) {
  uint32_t dwTag = (uint32_t)ArgInt(c, 1);
  const FIELD &f = NeedField(c, 2, sectorFields, "sector");
  EnterCriticalSection(&gcsLevel);
  int i = LevelSectorByTag(gLevel, dwTag);
  SECTOR_DATA sd;
  if (i >= 0)
    sd = gLevel.sectors[(size_t)i].sd;
  LeaveCriticalSection(&gcsLevel);
  if (i < 0)
    ScriptError(c.iLine, "no sector with tag %s", c.tok[1].s.c_str());
  return FieldEquals(c, 3, &sd, f);
}

// set-sector TAG FIELD VALUE: the game changes its own sector.
bool cmd_SetSector(const CMD &c) {
  uint32_t dwTag = (uint32_t)ArgInt(c, 1);
  const FIELD &f = NeedField(c, 2, sectorFields, "sector");
  SECTOR_DATA sdNew;
  memset(&sdNew, 0, sizeof(sdNew));
  FieldStore(c, 3, f, &sdNew);
  EnterCriticalSection(&gcsLevel);
  int i = LevelSectorByTag(gLevel, dwTag);
  if (i >= 0)
    memcpy((char *)&gLevel.sectors[(size_t)i].sd + f.nOff, (const char *)&sdNew + f.nOff, f.nSize);
  LeaveCriticalSection(&gcsLevel);
  if (i < 0)
    ScriptError(c.iLine, "no sector with tag %s", c.tok[1].s.c_str());
  return true;
}

bool cmd_ExpectWall(const CMD &c) {
  uint32_t dwSector = (uint32_t)ArgInt(c, 1), dwWall = (uint32_t)ArgInt(c, 2);
  const FIELD &f = NeedField(c, 3, wallFields, "wall");
  EnterCriticalSection(&gcsLevel);
  int i = LevelSectorByTag(gLevel, dwSector), k = -1;
  WALL_DATA wd;
  if (i >= 0) {
    const LVL_SECTOR &s = gLevel.sectors[(size_t)i];
    k = LevelWallByTag(s, dwWall);
    if (k >= 0)
      wd = s.walls[(size_t)k].wd;
  }
  LeaveCriticalSection(&gcsLevel);
  if (k < 0)
    ScriptError(c.iLine, "no wall %s in sector %s", c.tok[2].s.c_str(), c.tok[1].s.c_str());
  return FieldEquals(c, 4, &wd, f);
}
