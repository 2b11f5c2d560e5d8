// Level file reader of the replacement host.
#include "level.h"
#include "tokens.h"

#include <ctype.h>
#include <errno.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <unordered_map>

namespace {

// Parser state: the level being built plus the lines that later checks
// point back to.
struct LVL_PARSE {
  const char *szFile;
  int iLine;
  std::string *pErr;
  LEVEL lvl;
  std::vector<int> sectorLines;                  // line of each "sector"
  std::vector<std::vector<int>> wallLines;       // line of each "wall", per sector
  std::unordered_map<uint32_t, int> sectorIndex; // tag to index
  int iStartLine;
  bool bHaveStart;
  bool bHavePalette;
};

bool lvl_Fail(LVL_PARSE &ps, int iLine, const char *szFmt, ...) {
  char szMsg[512];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(szMsg, sizeof(szMsg), szFmt, ap);
  va_end(ap);
  char szOut[800];
  snprintf(szOut, sizeof(szOut), "%s:%d: %s", ps.szFile, iLine, szMsg);
  *ps.pErr = szOut;
  return false;
}

// The level reader works on plain strings; quoting only groups words.
bool lvl_Tokenize(LVL_PARSE &ps, const std::string &line, std::vector<TOKEN> &scratch,
                  std::vector<std::string> &tok) {
  tok.clear();
  if (const char *szErr = TokSplit(line, scratch))
    return lvl_Fail(ps, ps.iLine, "%s", szErr);
  for (TOKEN &t : scratch)
    tok.push_back(std::move(t.s));
  return true;
}

bool lvl_Int(LVL_PARSE &ps, const std::string &s, long long llMin, long long llMax, long long &v,
             const char *szWhat) {
  const char *p = s.c_str();
  bool bNeg = false;
  if (*p == '-' || *p == '+') {
    bNeg = *p == '-';
    p++;
  }
  int iBase = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    iBase = 16;
    p += 2;
  }
  if (!*p || *p == '-' || *p == '+' || *p == ' ')
    return lvl_Fail(ps, ps.iLine, "%s: \"%s\" is not a number", szWhat, s.c_str());
  char *pEnd = nullptr;
  errno = 0;
  unsigned long long u = strtoull(p, &pEnd, iBase);
  if (*pEnd || errno)
    return lvl_Fail(ps, ps.iLine, "%s: \"%s\" is not a number", szWhat, s.c_str());
  if (u > 0xFFFFFFFFFull)
    return lvl_Fail(ps, ps.iLine, "%s: %s is out of range", szWhat, s.c_str());
  long long ll = bNeg ? -(long long)u : (long long)u;
  if (ll < llMin || ll > llMax)
    return lvl_Fail(ps, ps.iLine, "%s: %s is out of range %lld..%lld", szWhat, s.c_str(), llMin,
                    llMax);
  v = ll;
  return true;
}

bool lvl_Float(LVL_PARSE &ps, const std::string &s, float &f, const char *szWhat) {
  char *pEnd = nullptr;
  double d = strtod(s.c_str(), &pEnd);
  if (s.empty() || *pEnd || !isfinite(d) || fabs(d) > 1e30)
    return lvl_Fail(ps, ps.iLine, "%s: \"%s\" is not a number", szWhat, s.c_str());
  f = (float)d;
  return true;
}

bool lvl_Double(LVL_PARSE &ps, const std::string &s, double &d, const char *szWhat) {
  float f;
  if (!lvl_Float(ps, s, f, szWhat))
    return false;
  d = strtod(s.c_str(), nullptr);
  return true;
}

bool lvl_Tag(LVL_PARSE &ps, const std::string &s, uint32_t &dw, const char *szWhat) {
  long long v = 0;
  if (!lvl_Int(ps, s, 0, 0xFFFFFFFEll, v, szWhat))
    return false;
  dw = (uint32_t)v;
  return true;
}

bool lvl_Count(LVL_PARSE &ps, const std::vector<std::string> &tok, size_t nMin, size_t nMax) {
  if (tok.size() - 1 < nMin || tok.size() - 1 > nMax) {
    if (nMin == nMax)
      return lvl_Fail(ps, ps.iLine, "\"%s\" takes %zu values, found %zu", tok[0].c_str(), nMin,
                      tok.size() - 1);
    return lvl_Fail(ps, ps.iLine, "\"%s\" takes %zu to %zu values, found %zu", tok[0].c_str(), nMin,
                    nMax, tok.size() - 1);
  }
  return true;
}

// A texture is an index (-2 animated, other negatives none) or the quoted
// name of a texture declared earlier.
bool lvl_Texture(LVL_PARSE &ps, const std::string &s, int32_t &i) {
  const char *p = s.c_str();
  bool bNumeric = *p && (isdigit((unsigned char)*p) || ((*p == '-' || *p == '+') && p[1]));
  if (bNumeric) {
    long long v = 0;
    if (!lvl_Int(ps, s, -1000000, 0x7FFFFFFF, v, "texture"))
      return false;
    if (v >= (long long)ps.lvl.textures.size())
      return lvl_Fail(ps, ps.iLine, "texture %lld is not declared (%zu textures)", v,
                      ps.lvl.textures.size());
    i = (int32_t)v;
    return true;
  }
  for (size_t k = 0; k < ps.lvl.textures.size(); k++) {
    if (ps.lvl.textures[k].szName == s) {
      i = (int32_t)k;
      return true;
    }
  }
  return lvl_Fail(ps, ps.iLine, "texture \"%s\" is not declared", s.c_str());
}

// Floors and ceilings: TEX ELEV [ALIGN_X ALIGN_Z [ANGLE]]; overlays: TEX
// [ALIGN_X ALIGN_Z [ANGLE]]; wall surfaces (bTrailingElev) may add ELEV last.
bool lvl_Surface(LVL_PARSE &ps, const std::vector<std::string> &tok, bool bElev, CF_DATA &cf,
                 bool bTrailingElev = false) {
  size_t nFixed = bElev ? 2 : 1;
  if (!lvl_Count(ps, tok, nFixed, nFixed + (bTrailingElev ? 4 : 3)))
    return false;
  if (tok.size() - 1 == nFixed + 1)
    return lvl_Fail(ps, ps.iLine, "\"%s\": alignment needs both x and z", tok[0].c_str());
  CF_DATA c = cf;
  if (!lvl_Texture(ps, tok[1], c.iTextureIndex))
    return false;
  size_t k = 2;
  if (bElev && !lvl_Float(ps, tok[k++], c.fElev, "elevation"))
    return false;
  if (tok.size() > k + 1) {
    if (!lvl_Float(ps, tok[k], c.fAlignX, "align x") ||
        !lvl_Float(ps, tok[k + 1], c.fAlignZ, "align z"))
      return false;
    k += 2;
  }
  if (tok.size() > k) {
    long long v = 0;
    if (!lvl_Int(ps, tok[k], 0, 65535, v, "angle"))
      return false;
    c.wAngle = (uint16_t)v;
    k++;
  }
  if (tok.size() > k && !lvl_Float(ps, tok[k], c.fElev, "elevation"))
    return false;
  cf = c;
  return true;
}

bool lvl_Name(LVL_PARSE &ps, const std::string &s, char *sz, size_t nSize, const char *szWhat) {
  if (s.size() > nSize - 1)
    return lvl_Fail(ps, ps.iLine, "%s is longer than %zu characters", szWhat, nSize - 1);
  memset(sz, 0, nSize);
  memcpy(sz, s.data(), s.size());
  return true;
}

LVL_SECTOR *lvl_CurSector(LVL_PARSE &ps, const std::string &kw) {
  if (ps.lvl.sectors.empty()) {
    lvl_Fail(ps, ps.iLine, "\"%s\" outside a sector", kw.c_str());
    return nullptr;
  }
  return &ps.lvl.sectors.back();
}

LVL_WALL *lvl_CurWall(LVL_PARSE &ps, const std::string &kw) {
  if (ps.lvl.sectors.empty() || ps.lvl.sectors.back().walls.empty()) {
    lvl_Fail(ps, ps.iLine, "\"%s\" outside a wall", kw.c_str());
    return nullptr;
  }
  return &ps.lvl.sectors.back().walls.back();
}

// Table lines "colormap K FIRST V..." fill entries of table K from FIRST on.
bool lvl_TableEntries(LVL_PARSE &ps, const std::vector<std::string> &tok,
                      std::vector<std::vector<uint8_t>> &tables) {
  if (tok.size() < 4)
    return lvl_Fail(ps, ps.iLine, "\"%s\" takes a table, a first entry and values", tok[0].c_str());
  long long k, first;
  if (!lvl_Int(ps, tok[1], 0, (long long)tables.size() - 1, k, "table") ||
      !lvl_Int(ps, tok[2], 0, 255, first, "entry"))
    return false;
  if (first + (long long)(tok.size() - 3) > 256)
    return lvl_Fail(ps, ps.iLine, "table entries run past 255");
  for (size_t i = 3; i < tok.size(); i++) {
    long long v = 0;
    if (!lvl_Int(ps, tok[i], 0, 255, v, "table value"))
      return false;
    tables[(size_t)k][(size_t)(first + (long long)(i - 3))] = (uint8_t)v;
  }
  return true;
}

bool lvl_Line(LVL_PARSE &ps, const std::vector<std::string> &tok) {
  const std::string &kw = tok[0];
  LEVEL &lvl = ps.lvl;
  long long v = 0;
  if (kw == "texture") {
    if (!lvl_Count(ps, tok, 3, 3))
      return false;
    if (lvl.textures.size() >= LVL_MAX_TEXTURES)
      return lvl_Fail(ps, ps.iLine, "more than %d textures", LVL_MAX_TEXTURES);
    LVL_TEXTURE t;
    long long w, h;
    if (!lvl_Int(ps, tok[1], 1, 65535, w, "width") || !lvl_Int(ps, tok[2], 1, 65535, h, "height"))
      return false;
    if (tok[3].empty() || tok[3].size() > LVL_MAX_TEXTURE_NAME)
      return lvl_Fail(ps, ps.iLine, "texture name must have 1 to %d characters",
                      LVL_MAX_TEXTURE_NAME);
    t.w = (uint16_t)w;
    t.h = (uint16_t)h;
    t.szName = tok[3];
    lvl.textures.push_back(t);
    return true;
  }
  if (kw == "palette") {
    if (!lvl_Count(ps, tok, 1, 1))
      return false;
    if (tok[1] != "ramp" && tok[1] != "gray")
      return lvl_Fail(ps, ps.iLine, "palette must be \"ramp\" or \"gray\"");
    LevelPalette(lvl.palette, tok[1] == "gray");
    ps.bHavePalette = true;
    return true;
  }
  if (kw == "color") {
    if (!lvl_Count(ps, tok, 4, 4))
      return false;
    long long i, r, g, b;
    if (!lvl_Int(ps, tok[1], 0, 255, i, "colour index") || !lvl_Int(ps, tok[2], 0, 255, r, "red") ||
        !lvl_Int(ps, tok[3], 0, 255, g, "green") || !lvl_Int(ps, tok[4], 0, 255, b, "blue"))
      return false;
    if (!ps.bHavePalette) {
      LevelPalette(lvl.palette, false);
      ps.bHavePalette = true;
    }
    lvl.palette[i].rgbRed = (uint8_t)r;
    lvl.palette[i].rgbGreen = (uint8_t)g;
    lvl.palette[i].rgbBlue = (uint8_t)b;
    return true;
  }
  if (kw == "colormaps" || kw == "shadetables") {
    if (!lvl_Count(ps, tok, 1, 2) || !lvl_Int(ps, tok[1], 0, LVL_MAX_TABLES, v, "table count"))
      return false;
    bool bMaps = kw == "colormaps";
    std::vector<std::vector<uint8_t>> &tables = bMaps ? lvl.colorMaps : lvl.shadeTables;
    const char *szMixed = bMaps ? "fade" : "blend";
    if (tok.size() == 2 || tok[2] == "shift") {
      LevelGenTables(tables, (int)v, !bMaps);
      return true;
    }
    if (tok[2] != szMixed)
      return lvl_Fail(ps, ps.iLine, "%s takes \"shift\" or \"%s\"", kw.c_str(), szMixed);
    if (!ps.bHavePalette) {
      LevelPalette(lvl.palette, false);
      ps.bHavePalette = true;
    }
    if (bMaps)
      LevelFadeTables(tables, (int)v, lvl.palette);
    else
      LevelBlendTables(tables, (int)v, lvl.palette);
    return true;
  }
  if (kw == "colormap")
    return lvl_TableEntries(ps, tok, lvl.colorMaps);
  if (kw == "shadetable")
    return lvl_TableEntries(ps, tok, lvl.shadeTables);
  if (kw == "resource") {
    if (!lvl_Count(ps, tok, 2, 2))
      return false;
    if (tok[1].empty() || tok[1].size() > 4)
      return lvl_Fail(ps, ps.iLine, "resource type code must have 1 to 4 characters");
    if (tok[2].size() > LVL_MAX_RESOURCE_TEXT)
      return lvl_Fail(ps, ps.iLine, "resource text is longer than %d characters",
                      LVL_MAX_RESOURCE_TEXT);
    uint32_t dwCode = LevelResourceCode(tok[1].c_str());
    for (const LVL_RESOURCE &r : lvl.resources)
      if (r.dwCode == dwCode)
        return lvl_Fail(ps, ps.iLine, "resource \"%s\" given twice", tok[1].c_str());
    lvl.resources.push_back(LVL_RESOURCE{dwCode, tok[2]});
    return true;
  }
  if (kw == "actor") {
    if (!lvl_Count(ps, tok, 5, 5))
      return false;
    if (lvl.actors.size() >= LVL_MAX_ACTORS)
      return lvl_Fail(ps, ps.iLine, "more than %d actors", LVL_MAX_ACTORS);
    LVL_ACTOR a;
    memset(&a, 0, sizeof(a));
    long long type, dir;
    uint32_t dwTag;
    if (!lvl_Int(ps, tok[1], -0x7FFFFFFFll, 0x7FFFFFFF, type, "actor type") ||
        !lvl_Float(ps, tok[2], a.eo.x, "x") || !lvl_Float(ps, tok[3], a.eo.y, "y") ||
        !lvl_Int(ps, tok[4], -32768, 65535, dir, "direction") ||
        !lvl_Tag(ps, tok[5], dwTag, "actor tag"))
      return false;
    a.eo.iType = (int32_t)type;
    a.eo.sDir = (int16_t)(uint16_t)(dir & 0xFFFF);
    a.eo.dwTag = dwTag;
    lvl.actors.push_back(a);
    return true;
  }
  if (kw == "start") {
    if (!lvl_Count(ps, tok, 3, 4))
      return false;
    if (ps.bHaveStart)
      return lvl_Fail(ps, ps.iLine, "second \"start\"");
    if (!lvl_Float(ps, tok[1], lvl.fStartX, "x") || !lvl_Float(ps, tok[2], lvl.fStartY, "y") ||
        !lvl_Int(ps, tok[3], -32768, 65535, v, "heading"))
      return false;
    lvl.sStartHeading = (int16_t)(uint16_t)(v & 0xFFFF);
    if (tok.size() == 5 && !lvl_Tag(ps, tok[4], lvl.dwStartSector, "start sector"))
      return false;
    ps.bHaveStart = true;
    ps.iStartLine = ps.iLine;
    return true;
  }
  if (kw == "sector") {
    if (!lvl_Count(ps, tok, 1, 1))
      return false;
    if (lvl.sectors.size() >= LVL_MAX_SECTORS)
      return lvl_Fail(ps, ps.iLine, "more than %d sectors", LVL_MAX_SECTORS);
    uint32_t dwTag;
    if (!lvl_Tag(ps, tok[1], dwTag, "sector tag"))
      return false;
    auto it = ps.sectorIndex.find(dwTag);
    if (it != ps.sectorIndex.end())
      return lvl_Fail(ps, ps.iLine, "sector tag %s already used on line %d", tok[1].c_str(),
                      ps.sectorLines[(size_t)it->second]);
    ps.sectorIndex[dwTag] = (int)lvl.sectors.size();
    lvl.sectors.emplace_back();
    LevelInitSector(lvl.sectors.back().sd, dwTag);
    ps.sectorLines.push_back(ps.iLine);
    ps.wallLines.emplace_back();
    return true;
  }
  if (kw == "wall") {
    LVL_SECTOR *s = lvl_CurSector(ps, kw);
    if (!s || !lvl_Count(ps, tok, 5, 7))
      return false;
    if (s->walls.size() >= LVL_MAX_WALLS_PER_SECTOR)
      return lvl_Fail(ps, ps.iLine, "more than %d walls in a sector", LVL_MAX_WALLS_PER_SECTOR);
    LVL_WALL w;
    uint32_t dwTag;
    if (!lvl_Tag(ps, tok[1], dwTag, "wall tag"))
      return false;
    LevelInitWall(w, dwTag);
    if (!lvl_Float(ps, tok[2], w.v1x, "x1") || !lvl_Float(ps, tok[3], w.v1y, "y1") ||
        !lvl_Float(ps, tok[4], w.v2x, "x2") || !lvl_Float(ps, tok[5], w.v2y, "y2"))
      return false;
    if (tok.size() > 6) {
      if (tok[6] != "adjoin" || tok.size() != 8)
        return lvl_Fail(ps, ps.iLine, "after the vertices only \"adjoin SECTOR_TAG\" may follow");
      if (!lvl_Tag(ps, tok[7], w.dwAdjoinTag, "adjoin sector"))
        return false;
      w.wd.bHasAdjoin = 1;
    }
    if (w.v1x == w.v2x && w.v1y == w.v2y)
      return lvl_Fail(ps, ps.iLine, "wall %s has no length", tok[1].c_str());
    std::vector<int> &lines = ps.wallLines.back();
    for (size_t i = 0; i < s->walls.size(); i++)
      if (s->walls[i].wd.dwWallTag == dwTag)
        return lvl_Fail(ps, ps.iLine, "wall tag %s already used in this sector on line %d",
                        tok[1].c_str(), lines[i]);
    s->walls.push_back(w);
    lines.push_back(ps.iLine);
    return true;
  }

  // Wall attributes: the last wall of the current sector.
  if (kw == "upper" || kw == "middle" || kw == "lower" || kw == "overlay") {
    LVL_WALL *w = lvl_CurWall(ps, kw);
    if (!w)
      return false;
    CF_DATA &cf = kw == "upper"    ? w->wd.cfdUpper
                  : kw == "middle" ? w->wd.cfdMiddle
                  : kw == "lower"  ? w->wd.cfdLower
                                   : w->wd.cfdOverlay;
    return lvl_Surface(ps, tok, false, cf, true);
  }
  if (kw == "wall-flags") {
    LVL_WALL *w = lvl_CurWall(ps, kw);
    long long f1, f2 = 0;
    if (!w || !lvl_Count(ps, tok, 1, 2) || !lvl_Int(ps, tok[1], 0, 0xFFFFFFFFll, f1, "flag1") ||
        (tok.size() > 2 && !lvl_Int(ps, tok[2], 0, 0xFFFFFFFFll, f2, "flag2")))
      return false;
    w->wd.dwFlag1 = (uint32_t)f1;
    w->wd.dwFlag2 = (uint32_t)f2;
    return true;
  }
  if (kw == "walk") {
    LVL_WALL *w = lvl_CurWall(ps, kw);
    if (!w || !lvl_Count(ps, tok, 1, 1) ||
        !lvl_Int(ps, tok[1], -0x7FFFFFFFll, 0x7FFFFFFF, v, "walk mode"))
      return false;
    w->wd.wmWalkMode = (int32_t)v;
    return true;
  }

  // Sector attributes: the current sector.
  static const char *const szSectorWords[] = {
      "name",          "sound",           "light",       "friction",     "gravity",
      "elasticity",    "velocity",        "flags",       "floor",        "ceiling",
      "floor-overlay", "ceiling-overlay", "floor-slope", "ceiling-slope"};
  bool bSectorWord = false;
  for (const char *sz : szSectorWords)
    bSectorWord = bSectorWord || kw == sz;
  if (!bSectorWord)
    return lvl_Fail(ps, ps.iLine, "unknown keyword \"%s\"", kw.c_str());
  LVL_SECTOR *s = lvl_CurSector(ps, kw);
  if (!s)
    return false;
  SECTOR_DATA &sd = s->sd;
  if (kw == "name") {
    return lvl_Count(ps, tok, 1, 1) &&
           lvl_Name(ps, tok[1], sd.szSectorName, sizeof(sd.szSectorName), "sector name");
  }
  if (kw == "sound") {
    return lvl_Count(ps, tok, 1, 1) &&
           lvl_Name(ps, tok[1], sd.szSoundName, sizeof(sd.szSoundName), "sound name");
  }
  if (kw == "light") {
    if (!lvl_Count(ps, tok, 1, 1) || !lvl_Int(ps, tok[1], 0, 65535, v, "light"))
      return false;
    sd.wLight = (uint16_t)v;
    return true;
  }
  if (kw == "friction")
    return lvl_Count(ps, tok, 1, 1) && lvl_Float(ps, tok[1], sd.fFriction, "friction");
  if (kw == "gravity")
    return lvl_Count(ps, tok, 1, 1) && lvl_Float(ps, tok[1], sd.fGravity, "gravity");
  if (kw == "elasticity")
    return lvl_Count(ps, tok, 1, 1) && lvl_Float(ps, tok[1], sd.fElasticity, "elasticity");
  if (kw == "velocity") {
    return lvl_Count(ps, tok, 3, 3) && lvl_Double(ps, tok[1], sd.dVX, "vx") &&
           lvl_Double(ps, tok[2], sd.dVY, "vy") && lvl_Double(ps, tok[3], sd.dVZ, "vz");
  }
  if (kw == "flags") {
    long long f[3] = {0, 0, 0};
    if (!lvl_Count(ps, tok, 1, 3))
      return false;
    for (size_t i = 1; i < tok.size(); i++)
      if (!lvl_Int(ps, tok[i], 0, 0xFFFFFFFFll, f[i - 1], "flag"))
        return false;
    sd.dwFlag1 = (uint32_t)f[0];
    sd.dwFlag2 = (uint32_t)f[1];
    sd.dwFlag3 = (uint32_t)f[2];
    return true;
  }
  if (kw == "floor")
    return lvl_Surface(ps, tok, true, sd.cfFloor[0][0]);
  if (kw == "ceiling")
    return lvl_Surface(ps, tok, true, sd.cfCeiling[0]);
  if (kw == "floor-overlay")
    return lvl_Surface(ps, tok, false, sd.cfFloor[0][1]);
  if (kw == "ceiling-overlay")
    return lvl_Surface(ps, tok, false, sd.cfCeiling[1]);
  if (kw == "floor-slope" || kw == "ceiling-slope") {
    SLOPE_DATA &sl = kw == "floor-slope" ? sd.sdFloor : sd.sdCeiling;
    uint32_t dwS, dwW;
    if (!lvl_Count(ps, tok, 3, 3) || !lvl_Tag(ps, tok[1], dwS, "hinge sector") ||
        !lvl_Tag(ps, tok[2], dwW, "hinge wall") ||
        !lvl_Int(ps, tok[3], -0x7FFFFFFFll, 0x7FFFFFFF, v, "slope angle"))
      return false;
    sl.dwHingeSectorTag = dwS;
    sl.dwHingeWallTag = dwW;
    sl.iAngle = (int32_t)v;
    return true;
  }
  return lvl_Fail(ps, ps.iLine, "unknown keyword \"%s\"", kw.c_str());
}

bool lvl_Same(float a, float b) {
  return fabsf(a - b) <= 1e-3f;
}

// Whole-level checks after the last line: loops close, adjoins resolve.
bool lvl_Finish(LVL_PARSE &ps) {
  LEVEL &lvl = ps.lvl;
  if (lvl.sectors.empty())
    return lvl_Fail(ps, ps.iLine, "the level has no sector");
  for (size_t i = 0; i < lvl.sectors.size(); i++) {
    LVL_SECTOR &s = lvl.sectors[i];
    const std::vector<int> &lines = ps.wallLines[i];
    if (s.walls.size() < 3)
      return lvl_Fail(ps, ps.sectorLines[i], "sector has %zu walls, needs at least 3",
                      s.walls.size());
    // Walls run in loops: each wall ends where the next begins, and the last
    // wall of a loop ends where the loop began.
    size_t iLoopStart = 0;
    for (size_t k = 0; k < s.walls.size(); k++) {
      const LVL_WALL &w = s.walls[k];
      const LVL_WALL &first = s.walls[iLoopStart];
      bool bCloses = lvl_Same(w.v2x, first.v1x) && lvl_Same(w.v2y, first.v1y);
      if (bCloses && k > iLoopStart) {
        iLoopStart = k + 1;
        continue;
      }
      if (k + 1 < s.walls.size() && lvl_Same(w.v2x, s.walls[k + 1].v1x) &&
          lvl_Same(w.v2y, s.walls[k + 1].v1y))
        continue;
      return lvl_Fail(ps, lines[k],
                      "wall ends at (%g, %g), neither the next wall's start nor its loop's start",
                      (double)w.v2x, (double)w.v2y);
    }
    for (size_t k = 0; k < s.walls.size(); k++) {
      LVL_WALL &w = s.walls[k];
      if (!w.wd.bHasAdjoin)
        continue;
      auto it = ps.sectorIndex.find(w.dwAdjoinTag);
      int j = it == ps.sectorIndex.end() ? -1 : it->second;
      if (j < 0)
        return lvl_Fail(ps, lines[k], "adjoin to sector %u, which does not exist",
                        (unsigned)w.dwAdjoinTag);
      w.wd.fAdjoinFloor = lvl.sectors[(size_t)j].sd.cfFloor[0][0].fElev;
      w.wd.fAdjoinCeiling = lvl.sectors[(size_t)j].sd.cfCeiling[0].fElev;
    }
  }
  if (ps.bHaveStart) {
    if (lvl.dwStartSector != 0xFFFFFFFFu && LevelSectorByTag(lvl, lvl.dwStartSector) < 0)
      return lvl_Fail(ps, ps.iStartLine, "start sector %u does not exist",
                      (unsigned)lvl.dwStartSector);
  } else {
    float fx = 0, fy = 0;
    for (const LVL_WALL &x : lvl.sectors[0].walls) {
      fx += x.v1x;
      fy += x.v1y;
    }
    lvl.fStartX = fx / (float)lvl.sectors[0].walls.size();
    lvl.fStartY = fy / (float)lvl.sectors[0].walls.size();
  }
  if (!ps.bHavePalette)
    LevelPalette(lvl.palette, false);
  return true;
}

} // namespace

bool LevelParse(const std::string &text, const char *szFile, LEVEL &lvlOut, std::string &err) {
  LVL_PARSE ps;
  ps.szFile = szFile;
  ps.iLine = 0;
  ps.pErr = &err;
  ps.iStartLine = 0;
  ps.bHaveStart = false;
  ps.bHavePalette = false;
  memset(ps.lvl.palette, 0, sizeof(ps.lvl.palette));
  ps.lvl.fStartX = ps.lvl.fStartY = 0;
  ps.lvl.sStartHeading = 0;
  ps.lvl.dwStartSector = 0xFFFFFFFFu;

  size_t pos = 0;
  std::vector<std::string> tok;
  std::vector<TOKEN> scratch;
  std::string line;
  while (TokNextLine(text, pos, line)) {
    ps.iLine++;
    if (line.size() > LVL_MAX_LINE)
      return lvl_Fail(ps, ps.iLine, "line longer than %d characters", LVL_MAX_LINE);
    if (line.find('\0') != std::string::npos)
      return lvl_Fail(ps, ps.iLine, "line contains a NUL character");
    if (!lvl_Tokenize(ps, line, scratch, tok))
      return false;
    if (tok.empty())
      continue;
    if (!lvl_Line(ps, tok))
      return false;
  }
  if (!lvl_Finish(ps))
    return false;
  lvlOut = std::move(ps.lvl);
  return true;
}

bool LevelLoad(const char *szPath, LEVEL &lvl, std::string &err) {
  FILE *f = fopen(szPath, "rb");
  if (!f) {
    err = std::string(szPath) + ": cannot read";
    return false;
  }
  std::string text;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0) {
    text.append(buf, n);
    if (text.size() > 256u * 1024 * 1024) {
      fclose(f);
      err = std::string(szPath) + ": file too large";
      return false;
    }
  }
  fclose(f);
  return LevelParse(text, szPath, lvl, err);
}
