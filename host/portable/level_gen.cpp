// Built-in level content of the replacement host: the palette and its
// tables, default sector and wall records, the generated grid level for
// benchmarks, and the lookups by tag and by position.
#include "level.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

void LevelPalette(KRED_RGBQUAD *pal, bool bGray) {
  // Sixteen ramps of sixteen shades, each ramp its own hue.
  static const uint8_t rgbHue[16][3] = {
      {255, 255, 255}, {255, 0, 0},    {0, 255, 0},    {0, 0, 255},    {255, 255, 0}, {0, 255, 255},
      {255, 0, 255},   {255, 128, 0},  {128, 255, 0},  {0, 128, 255},  {128, 0, 255}, {255, 0, 128},
      {160, 120, 80},  {80, 160, 120}, {120, 80, 160}, {200, 200, 160}};
  for (int i = 0; i < 256; i++) {
    int iRamp = bGray ? 0 : i >> 4;
    int iLevel = bGray ? i : (i & 15) * 17;
    pal[i].rgbRed = (uint8_t)(rgbHue[iRamp][0] * iLevel / 255);
    pal[i].rgbGreen = (uint8_t)(rgbHue[iRamp][1] * iLevel / 255);
    pal[i].rgbBlue = (uint8_t)(rgbHue[iRamp][2] * iLevel / 255);
    pal[i].rgbReserved = 0;
  }
}

void LevelGenTables(std::vector<std::vector<uint8_t>> &tables, int n, bool bShade) {
  tables.assign((size_t)n, std::vector<uint8_t>(256));
  for (int k = 0; k < n; k++) {
    for (int i = 0; i < 256; i++) {
      int iShade = i & 15, iRamp = i & 0xF0;
      // Colour maps darken towards the ramp's first entry; shade tables step
      // one ramp further per table.
      int v = bShade ? ((iRamp + 16 * k) & 0xF0) | iShade : iRamp | (iShade * (n - k) / n);
      tables[(size_t)k][(size_t)i] = (uint8_t)v;
    }
  }
}

void LevelInitSector(SECTOR_DATA &sd, uint32_t dwTag) {
  memset(&sd, 0, sizeof(sd));
  sd.dwStructSize = sizeof(SECTOR_DATA);
  sd.dwSectorTag = dwTag;
  sd.wLight = 128;
  sd.fFriction = 1.0f;
  sd.fGravity = 1.0f;
  sd.wFloorCount = 1;
  sd.cfCeiling[0].iTextureIndex = -1;
  sd.cfCeiling[0].fElev = 64.0f;
  sd.cfCeiling[1].iTextureIndex = -1;
  sd.cfFloor[0][0].iTextureIndex = -1;
  sd.cfFloor[0][1].iTextureIndex = -1;
}

void LevelInitWall(LVL_WALL &w, uint32_t dwTag) {
  memset(&w, 0, sizeof(w));
  w.wd.dwStructSize = sizeof(WALL_DATA);
  w.wd.dwWallTag = dwTag;
  w.wd.cfdUpper.iTextureIndex = -1;
  w.wd.cfdMiddle.iTextureIndex = -1;
  w.wd.cfdLower.iTextureIndex = -1;
  w.wd.cfdOverlay.iTextureIndex = -1;
}

uint32_t LevelResourceCode(const char *sz) {
  uint32_t dw = 0;
  bool bEnd = false;
  for (int i = 0; i < 4; i++) {
    uint8_t c = bEnd ? 0 : (uint8_t)sz[i];
    if (!c)
      bEnd = true;
    dw |= (uint32_t)c << (24 - 8 * i);
  }
  return dw;
}

int LevelNearestColor(const KRED_RGBQUAD *pal, int r, int g, int b) {
  int iBest = 0;
  long lBest = -1;
  for (int i = 0; i < 256; i++) {
    long dr = pal[i].rgbRed - r, dg = pal[i].rgbGreen - g, db = pal[i].rgbBlue - b;
    long d = dr * dr + dg * dg + db * db;
    if (lBest < 0 || d < lBest) {
      lBest = d;
      iBest = i;
    }
  }
  return iBest;
}

void LevelFadeTables(std::vector<std::vector<uint8_t>> &tables, int n, const KRED_RGBQUAD *pal) {
  tables.assign((size_t)n, std::vector<uint8_t>(256));
  for (int k = 0; k < n; k++) {
    for (int i = 0; i < 256; i++) {
      // Map 0 keeps every colour; map k scales the light by (n - k) / n.
      int v = i;
      if (k > 0)
        v = LevelNearestColor(pal, pal[i].rgbRed * (n - k) / n, pal[i].rgbGreen * (n - k) / n,
                              pal[i].rgbBlue * (n - k) / n);
      tables[(size_t)k][(size_t)i] = (uint8_t)v;
    }
  }
}

void LevelBlendTables(std::vector<std::vector<uint8_t>> &tables, int n, const KRED_RGBQUAD *pal) {
  tables.assign((size_t)n, std::vector<uint8_t>(256));
  for (int k = 0; k < n; k++) {
    // The tint of table k: the brightest colour of ramp k (of 16).
    const KRED_RGBQUAD &t = pal[((k & 15) << 4) | 15];
    for (int i = 0; i < 256; i++) {
      tables[(size_t)k][(size_t)i] = (uint8_t)LevelNearestColor(pal, (pal[i].rgbRed + t.rgbRed) / 2,
                                                                (pal[i].rgbGreen + t.rgbGreen) / 2,
                                                                (pal[i].rgbBlue + t.rgbBlue) / 2);
    }
  }
}

void LevelDefaultTables(LEVEL &lvl) {
  LevelPalette(lvl.palette, false);
  LevelGenTables(lvl.colorMaps, 2, false);
  LevelGenTables(lvl.shadeTables, 2, true);
}

bool LevelGenerate(int iSectors, int iWalls, LEVEL &lvl, std::string &err) {
  if (iSectors < 1 || iSectors > LVL_MAX_SECTORS || iWalls < 4 ||
      iWalls > LVL_MAX_WALLS_PER_SECTOR) {
    char sz[160];
    snprintf(sz, sizeof(sz), "--gen-level: sectors 1..%d and walls per sector 4..%d",
             LVL_MAX_SECTORS, LVL_MAX_WALLS_PER_SECTOR);
    err = sz;
    return false;
  }
  LEVEL g;
  LevelDefaultTables(g);
  for (int i = 0; i < 20; i++) {
    char sz[64];
    snprintf(sz, sizeof(sz), "TEXTURES\\GEN\\GENTEX%02d.PCX", i);
    g.textures.push_back(LVL_TEXTURE{sz, 64, 64});
  }
  int iCols = 1;
  while (iCols * iCols < iSectors)
    iCols++;
  const float fSize = 100.0f;
  g.sectors.resize((size_t)iSectors);
  for (int i = 0; i < iSectors; i++) {
    int col = i % iCols, row = i / iCols;
    float x0 = (float)col * fSize, y0 = (float)row * fSize;
    LVL_SECTOR &s = g.sectors[(size_t)i];
    LevelInitSector(s.sd, (uint32_t)(i + 1));
    snprintf(s.sd.szSectorName, sizeof(s.sd.szSectorName), "GRID_%d_%d", col, row);
    s.sd.wLight = (uint16_t)(64 + (i * 7) % 192);
    s.sd.cfFloor[0][0].iTextureIndex = i % 20;
    s.sd.cfCeiling[0].iTextureIndex = (i + 1) % 20;
    // Corners counter-clockwise; side k gets iWalls / 4 walls plus one of
    // the remainder.
    const float cx[5] = {x0, x0 + fSize, x0 + fSize, x0, x0};
    const float cy[5] = {y0, y0, y0 + fSize, y0 + fSize, y0};
    int neighbour[4] = {row > 0 ? i - iCols : -1,
                        (col + 1 < iCols && i + 1 < iSectors) ? i + 1 : -1,
                        i + iCols < iSectors ? i + iCols : -1, col > 0 ? i - 1 : -1};
    s.walls.reserve((size_t)iWalls);
    for (int k = 0; k < 4; k++) {
      int n = iWalls / 4 + (k < iWalls % 4 ? 1 : 0);
      for (int j = 0; j < n; j++) {
        LVL_WALL w;
        LevelInitWall(w, (uint32_t)(i * iWalls + (int)s.walls.size() + 1));
        w.v1x = cx[k] + (cx[k + 1] - cx[k]) * (float)j / (float)n;
        w.v1y = cy[k] + (cy[k + 1] - cy[k]) * (float)j / (float)n;
        w.v2x = j + 1 == n ? cx[k + 1] : cx[k] + (cx[k + 1] - cx[k]) * (float)(j + 1) / (float)n;
        w.v2y = j + 1 == n ? cy[k + 1] : cy[k] + (cy[k + 1] - cy[k]) * (float)(j + 1) / (float)n;
        w.wd.cfdMiddle.iTextureIndex = (i + k) % 20;
        if (neighbour[k] >= 0) {
          w.wd.bHasAdjoin = 1;
          w.dwAdjoinTag = (uint32_t)(neighbour[k] + 1);
          w.wd.fAdjoinCeiling = 64.0f;
        }
        s.walls.push_back(w);
      }
    }
  }
  g.fStartX = fSize / 2;
  g.fStartY = fSize / 2;
  g.sStartHeading = 0;
  g.dwStartSector = 0xFFFFFFFFu;
  g.resources.push_back(LVL_RESOURCE{LevelResourceCode("WAX "), "generated level: no sprites"});
  lvl = std::move(g);
  return true;
}

int LevelSectorByTag(const LEVEL &lvl, uint32_t dwTag) {
  for (size_t i = 0; i < lvl.sectors.size(); i++)
    if (lvl.sectors[i].sd.dwSectorTag == dwTag)
      return (int)i;
  return -1;
}

int LevelWallByTag(const LVL_SECTOR &s, uint32_t dwTag) {
  for (size_t i = 0; i < s.walls.size(); i++)
    if (s.walls[i].wd.dwWallTag == dwTag)
      return (int)i;
  return -1;
}

bool LevelSectorContains(const LVL_SECTOR &s, float x, float y) {
  // Even-odd rule over every wall, so holes (second loops) count too.
  bool bIn = false;
  for (const LVL_WALL &w : s.walls) {
    if ((w.v1y > y) != (w.v2y > y)) {
      float fx = w.v1x + (y - w.v1y) * (w.v2x - w.v1x) / (w.v2y - w.v1y);
      if (x < fx)
        bIn = !bIn;
    }
  }
  return bIn;
}

int LevelFindSector(const LEVEL &lvl, float x, float y) {
  for (size_t i = 0; i < lvl.sectors.size(); i++)
    if (LevelSectorContains(lvl.sectors[i], x, y))
      return (int)i;
  return -1;
}
