// Level data: fields of the host's sector and wall records that scenarios
// read and set.
#include "host_fields.h"

#include <float.h>
#include <math.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define KH_FIELD(NAME, TYPE, REC, MEMBER, FLAGS)                                                   \
  { NAME, TYPE, offsetof(REC, MEMBER), sizeof(((REC *)nullptr)->MEMBER), FLAGS }
// A textured surface: its texture, elevation, alignment and angle.
#define KH_SURFACE(NAME, ELEV, REC, CF)                                                            \
  KH_FIELD(NAME "-tex", FT_I32, REC, CF.iTextureIndex, 0),                                         \
      KH_FIELD(ELEV, FT_FLOAT, REC, CF.fElev, 0),                                                  \
      KH_FIELD(NAME "-alignx", FT_FLOAT, REC, CF.fAlignX, 0),                                      \
      KH_FIELD(NAME "-alignz", FT_FLOAT, REC, CF.fAlignZ, 0),                                      \
      KH_FIELD(NAME "-angle", FT_U16, REC, CF.wAngle, 0)

static const FIELD sectorFields[] = {
    KH_FIELD("struct-size", FT_U32, SECTOR_DATA, dwStructSize, 0),
    KH_FIELD("ordinal", FT_U32, SECTOR_DATA, bOrdinal, FF_KEY),
    KH_FIELD("tag", FT_U32, SECTOR_DATA, dwSectorTag, FF_KEY | FF_HEX),
    KH_FIELD("name", FT_TEXT, SECTOR_DATA, szSectorName, 0),
    KH_FIELD("light", FT_U16, SECTOR_DATA, wLight, 0),
    KH_FIELD("friction", FT_FLOAT, SECTOR_DATA, fFriction, 0),
    KH_FIELD("gravity", FT_FLOAT, SECTOR_DATA, fGravity, 0),
    KH_FIELD("flag1", FT_U32, SECTOR_DATA, dwFlag1, FF_HEX),
    KH_FIELD("flag2", FT_U32, SECTOR_DATA, dwFlag2, FF_HEX),
    KH_FIELD("flag3", FT_U32, SECTOR_DATA, dwFlag3, FF_HEX),
    KH_SURFACE("ceiling", "ceiling", SECTOR_DATA, cfCeiling[0]),
    KH_SURFACE("ceiling-overlay", "ceiling-overlay-elev", SECTOR_DATA, cfCeiling[1]),
    KH_FIELD("floor-count", FT_U16, SECTOR_DATA, wFloorCount, 0),
    KH_SURFACE("floor", "floor", SECTOR_DATA, cfFloor[0][0]),
    KH_SURFACE("floor-overlay", "floor-overlay-elev", SECTOR_DATA, cfFloor[0][1]),
    KH_FIELD("floor-slope-sector", FT_U32, SECTOR_DATA, sdFloor.dwHingeSectorTag, FF_HEX),
    KH_FIELD("floor-slope-wall", FT_U32, SECTOR_DATA, sdFloor.dwHingeWallTag, FF_HEX),
    KH_FIELD("floor-slope-angle", FT_I32, SECTOR_DATA, sdFloor.iAngle, 0),
    KH_FIELD("ceiling-slope-sector", FT_U32, SECTOR_DATA, sdCeiling.dwHingeSectorTag, FF_HEX),
    KH_FIELD("ceiling-slope-wall", FT_U32, SECTOR_DATA, sdCeiling.dwHingeWallTag, FF_HEX),
    KH_FIELD("ceiling-slope-angle", FT_I32, SECTOR_DATA, sdCeiling.iAngle, 0),
    KH_FIELD("sound", FT_TEXT, SECTOR_DATA, szSoundName, 0),
    KH_FIELD("elasticity", FT_FLOAT, SECTOR_DATA, fElasticity, 0),
    KH_FIELD("vx", FT_DOUBLE, SECTOR_DATA, dVX, 0),
    KH_FIELD("vy", FT_DOUBLE, SECTOR_DATA, dVY, 0),
    KH_FIELD("vz", FT_DOUBLE, SECTOR_DATA, dVZ, 0),
};

static const FIELD wallFields[] = {
    KH_FIELD("struct-size", FT_U32, WALL_DATA, dwStructSize, 0),
    KH_FIELD("tag", FT_U32, WALL_DATA, dwWallTag, FF_KEY | FF_HEX),
    KH_FIELD("walk", FT_I32, WALL_DATA, wmWalkMode, 0),
    KH_SURFACE("upper", "upper-elev", WALL_DATA, cfdUpper),
    KH_SURFACE("middle", "middle-elev", WALL_DATA, cfdMiddle),
    KH_SURFACE("lower", "lower-elev", WALL_DATA, cfdLower),
    KH_SURFACE("overlay", "overlay-elev", WALL_DATA, cfdOverlay),
    KH_FIELD("flag1", FT_U32, WALL_DATA, dwFlag1, FF_HEX),
    KH_FIELD("flag2", FT_U32, WALL_DATA, dwFlag2, FF_HEX),
    KH_FIELD("adjoin", FT_U32, WALL_DATA, bHasAdjoin, 0),
    KH_FIELD("adjoin-floor", FT_FLOAT, WALL_DATA, fAdjoinFloor, 0),
    KH_FIELD("adjoin-ceiling", FT_FLOAT, WALL_DATA, fAdjoinCeiling, 0),
};

const FIELD_SET gSectorFields = {sectorFields, sizeof(sectorFields) / sizeof(sectorFields[0]),
                                 "sector"};
const FIELD_SET gWallFields = {wallFields, sizeof(wallFields) / sizeof(wallFields[0]), "wall"};

const FIELD *FindField(const FIELD_SET &fs, const std::string &s) {
  for (size_t i = 0; i < fs.n; i++)
    if (s == fs.p[i].szName)
      return &fs.p[i];
  return nullptr;
}

const FIELD &NeedField(const CMD &c, size_t i, const FIELD_SET &fs) {
  if (i >= c.tok.size())
    ScriptError(c.iLine, "%s: missing field", c.tok[0].s.c_str());
  const FIELD *f = c.tok[i].bQuoted ? nullptr : FindField(fs, c.tok[i].s);
  if (!f)
    ScriptError(c.iLine, "unknown %s field \"%s\"", fs.szRec, c.tok[i].s.c_str());
  return *f;
}

double FieldNumber(const void *pRec, const FIELD &f) {
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

// Puts token iValue into the field of the record; a value the field cannot
// hold is a scenario error.
void FieldStore(const CMD &c, size_t iValue, const FIELD &f, void *pRec) {
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
    if (f.iType == FT_FLOAT && fabs(d) > FLT_MAX)
      ScriptError(c.iLine, "%s: %s is out of the range of a float", f.szName, s.c_str());
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

std::string FieldText(const void *pRec, const FIELD &f) {
  const char *p = (const char *)pRec + f.nOff;
  char sz[64];
  switch (f.iType) {
  case FT_TEXT: {
    std::string out = "\"";
    for (size_t i = 0; i < f.nSize && p[i]; i++) {
      unsigned char ch = (unsigned char)p[i];
      if (ch == '"' || ch == '\\')
        out += '\\';
      if (ch < 0x20 || ch >= 0x7F) {
        snprintf(sz, sizeof(sz), "\\x%02X", ch);
        out += sz;
      } else {
        out += (char)ch;
      }
    }
    if (strnlen(p, f.nSize) == f.nSize)
      return out + "\" (no terminator)";
    return out + "\"";
  }
  case FT_FLOAT:
    snprintf(sz, sizeof(sz), "%.9g", *(const float *)p);
    break;
  case FT_DOUBLE:
    snprintf(sz, sizeof(sz), "%.17g", *(const double *)p);
    break;
  case FT_I32:
    snprintf(sz, sizeof(sz), "%ld", (long)*(const int32_t *)p);
    break;
  default: {
    unsigned long u =
        f.iType == FT_U16 ? *(const uint16_t *)p : (unsigned long)*(const uint32_t *)p;
    snprintf(sz, sizeof(sz), (f.uFlags & FF_HEX) ? "0x%lX" : "%lu", u);
  }
  }
  return sz;
}

bool FieldSame(const void *pA, const void *pB, const FIELD &f) {
  const char *a = (const char *)pA + f.nOff, *b = (const char *)pB + f.nOff;
  if (f.iType != FT_TEXT)
    return memcmp(a, b, f.nSize) == 0;
  size_t n = strnlen(a, f.nSize);
  return n == strnlen(b, f.nSize) && memcmp(a, b, n) == 0;
}

int NeedSector(const CMD &c, size_t i) {
  uint32_t dwTag = (uint32_t)ArgInt(c, i);
  EnterCriticalSection(&gcsLevel);
  int k = LevelSectorByTag(gLevel, dwTag);
  LeaveCriticalSection(&gcsLevel);
  if (k < 0)
    ScriptError(c.iLine, "no sector with tag %s", c.tok[i].s.c_str());
  return k;
}

int NeedWall(const CMD &c, size_t iSector, size_t iWall, int *piSector) {
  int s = NeedSector(c, iSector);
  uint32_t dwTag = (uint32_t)ArgInt(c, iWall);
  EnterCriticalSection(&gcsLevel);
  int k = LevelWallByTag(gLevel.sectors[(size_t)s], dwTag);
  LeaveCriticalSection(&gcsLevel);
  if (k < 0)
    ScriptError(c.iLine, "no wall %s in sector %s", c.tok[iWall].s.c_str(),
                c.tok[iSector].s.c_str());
  *piSector = s;
  return k;
}

// The field of the record against token iValue: text exactly, numbers
// within 1e-4 relative.
static bool FieldEquals(const CMD &c, size_t iValue, const void *pRec, const FIELD &f) {
  const std::string &want = c.tok[iValue].s;
  if (f.iType == FT_TEXT) {
    const char *sz = (const char *)pRec + f.nOff;
    std::string have(sz, strnlen(sz, f.nSize));
    return Check(want == have, "%s is \"%s\", expected \"%s\"", f.szName, have.c_str(),
                 want.c_str());
  }
  double dValue = FieldNumber(pRec, f), dWant = ArgFloat(c, iValue);
  return Check(fabs(dValue - dWant) <= 1e-4 * (1.0 + fabs(dWant)), "%s is %.9g, expected %s",
               f.szName, dValue, want.c_str());
}

// The sector or wall that an expect-sector or expect-wall names, and the
// field; all but the value are checked when the scenario is read.
static const FIELD &ExpectTarget(const CMD &c, int *piSector, int *piWall) {
  bool bWall = c.tok[0].s == "expect-wall";
  *piWall = bWall ? NeedWall(c, 1, 2, piSector) : -1;
  if (!bWall)
    *piSector = NeedSector(c, 1);
  const FIELD &f = NeedField(c, bWall ? 3 : 2, bWall ? gWallFields : gSectorFields);
  if (f.iType != FT_TEXT)
    ArgFloat(c, bWall ? 4 : 3);
  return f;
}

bool chk_ExpectField(const CMD &c) {
  int iSector, iWall;
  ExpectTarget(c, &iSector, &iWall);
  return true;
}

bool cmd_ExpectSector(const CMD &c) {
  int i, k;
  const FIELD &f = ExpectTarget(c, &i, &k);
  EnterCriticalSection(&gcsLevel);
  SECTOR_DATA sd = gLevel.sectors[(size_t)i].sd;
  LeaveCriticalSection(&gcsLevel);
  return FieldEquals(c, 3, &sd, f);
}

bool cmd_ExpectWall(const CMD &c) {
  int i, k;
  const FIELD &f = ExpectTarget(c, &i, &k);
  EnterCriticalSection(&gcsLevel);
  WALL_DATA wd = gLevel.sectors[(size_t)i].walls[(size_t)k].wd;
  LeaveCriticalSection(&gcsLevel);
  return FieldEquals(c, 4, &wd, f);
}

// A value as the field's bits, for records no level file can hold: a text
// of exactly the field's size (no terminator), or a number given as the
// field's bits in hexadecimal (0x7FC00000 is a float NaN).
static void FieldStoreRaw(const CMD &c, size_t iValue, const FIELD &f, void *pRec) {
  char *p = (char *)pRec + f.nOff;
  const std::string &s = c.tok[iValue].s;
  if (f.iType == FT_TEXT) {
    if (s.size() != f.nSize)
      ScriptError(c.iLine, "%s: a raw text fills all %zu bytes", f.szName, f.nSize);
    memcpy(p, s.data(), f.nSize);
    return;
  }
  char *pEnd = nullptr;
  unsigned long long v = strtoull(s.c_str(), &pEnd, 16);
  bool bHex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && *pEnd == '\0';
  if (!bHex || (f.nSize < 8 && v >> (8 * f.nSize) != 0))
    ScriptError(c.iLine, "%s: raw bits are a hexadecimal number of at most %zu bytes", f.szName,
                f.nSize);
  memcpy(p, &v, f.nSize); // little-endian: the low bytes
}

// set-sector TAG FIELD VALUE and set-wall SECTOR_TAG WALL_TAG FIELD VALUE
// (and their -raw forms): the game changes one field of its own record. The
// value is read into a scratch record, so a bad one stops the scenario
// before anything changed.
static const FIELD &SetTarget(const CMD &c, int *piSector, int *piWall, void *pScratch) {
  bool bWall = c.tok[0].s.compare(0, 8, "set-wall") == 0;
  *piWall = bWall ? NeedWall(c, 1, 2, piSector) : -1;
  if (!bWall)
    *piSector = NeedSector(c, 1);
  const FIELD &f = NeedField(c, bWall ? 3 : 2, bWall ? gWallFields : gSectorFields);
  if (f.uFlags & FF_KEY)
    ScriptError(c.iLine, "%s: %s addresses the record and cannot be set", c.tok[0].s.c_str(),
                f.szName);
  size_t n = c.tok[0].s.size();
  if (n > 4 && c.tok[0].s.compare(n - 4, 4, "-raw") == 0)
    FieldStoreRaw(c, bWall ? 4 : 3, f, pScratch);
  else
    FieldStore(c, bWall ? 4 : 3, f, pScratch);
  return f;
}

bool chk_SetField(const CMD &c) {
  SECTOR_DATA sd; // large enough for either record
  static_assert(sizeof(SECTOR_DATA) >= sizeof(WALL_DATA), "scratch record");
  int iSector, iWall;
  SetTarget(c, &iSector, &iWall, &sd);
  return true;
}

bool cmd_SetField(const CMD &c) {
  SECTOR_DATA sdNew;
  memset(&sdNew, 0, sizeof(sdNew));
  int i, k;
  const FIELD &f = SetTarget(c, &i, &k, &sdNew);
  EnterCriticalSection(&gcsLevel);
  LVL_SECTOR &s = gLevel.sectors[(size_t)i];
  char *pRec = k < 0 ? (char *)&s.sd : (char *)&s.walls[(size_t)k].wd;
  memcpy(pRec + f.nOff, (const char *)&sdNew + f.nOff, f.nSize);
  LeaveCriticalSection(&gcsLevel);
  return true;
}

// refuse-wall SECTOR_TAG WALL_TAG on|off: the wall stops (on) or starts
// again (off) answering request 2100, as a wall the game no longer has.
bool chk_RefuseWall(const CMD &c) {
  int iSector;
  NeedWall(c, 1, 2, &iSector);
  if (!IsWord(c, 3, "on") && !IsWord(c, 3, "off"))
    ScriptError(c.iLine, "refuse-wall: on or off, not %s", c.tok[3].s.c_str());
  return true;
}

bool cmd_RefuseWall(const CMD &c) {
  chk_RefuseWall(c);
  HostSetWallRefused((uint32_t)ArgInt(c, 1), (uint32_t)ArgInt(c, 2), IsWord(c, 3, "on"));
  return true;
}
