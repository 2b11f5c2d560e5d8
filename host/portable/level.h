// The replacement host's level: sectors with their walls, textures, palette
// tables, resource texts, actors and a start position, read from a line-based
// text file (docs/level-format.md) or generated as a grid for benchmarks.
// Portable: no platform headers, compiled natively into the unit tests.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

#include "kred_records.h"

// Limits of the reader; a file beyond them is rejected with its line.
enum {
  LVL_MAX_LINE = 1024,
  LVL_MAX_SECTORS = 100000,
  LVL_MAX_WALLS_PER_SECTOR = 1000,
  LVL_MAX_TEXTURES = 4096,
  LVL_MAX_TEXTURE_NAME = 255,
  LVL_MAX_TABLES = 64,
  LVL_MAX_ACTORS = 1000,
  LVL_MAX_RESOURCE_TEXT = 500,
  LVL_SECTOR_NAME_MAX = 79,
  LVL_SOUND_NAME_MAX = 39
};

struct LVL_TEXTURE {
  std::string szName;
  uint16_t w;
  uint16_t h;
};

struct LVL_WALL {
  WALL_DATA wd;         // dwWallTag, surfaces, flags, walk mode, adjoin
  float v1x, v1y;       // first vertex
  float v2x, v2y;       // second vertex
  uint32_t dwAdjoinTag; // sector on the other side, when wd.bHasAdjoin
};

struct LVL_SECTOR {
  SECTOR_DATA sd; // dwSectorTag, name, sound, light, surfaces, ...
  std::vector<LVL_WALL> walls;
};

struct LVL_ACTOR {
  EDITOR_OBJECT eo;
};

struct LVL_RESOURCE {
  uint32_t dwCode; // four characters, the first in the top byte
  std::string szText;
};

struct LEVEL {
  std::vector<LVL_TEXTURE> textures;
  std::vector<LVL_SECTOR> sectors;
  std::vector<LVL_ACTOR> actors;
  std::vector<LVL_RESOURCE> resources;
  KRED_RGBQUAD palette[256];
  std::vector<std::vector<uint8_t>> colorMaps;   // each 256 entries
  std::vector<std::vector<uint8_t>> shadeTables; // each 256 entries
  float fStartX, fStartY;
  int16_t sStartHeading;
  uint32_t dwStartSector; // 0xFFFFFFFF: found from the position
};

// Reads a level from text; szFile names it in error messages. On failure
// returns false, leaves lvl untouched and puts "FILE:LINE: message" in err.
bool LevelParse(const std::string &text, const char *szFile, LEVEL &lvl, std::string &err);

// Reads a level file; an unreadable file gives "FILE: cannot read".
bool LevelLoad(const char *szPath, LEVEL &lvl, std::string &err);

// A grid of iSectors square sectors with iWalls walls each (3 or more),
// neighbours adjoined, a default palette, tables and textures.
bool LevelGenerate(int iSectors, int iWalls, LEVEL &lvl, std::string &err);

// Index of the sector whose wall loops contain (x, y), or -1.
int LevelFindSector(const LEVEL &lvl, float x, float y);

// Whether the sector's wall loops contain (x, y) (even-odd rule, so holes
// count).
bool LevelSectorContains(const LVL_SECTOR &s, float x, float y);

// Index of the sector with that tag, or -1.
int LevelSectorByTag(const LEVEL &lvl, uint32_t dwTag);

// Index of the sector's wall with that tag, or -1.
int LevelWallByTag(const LVL_SECTOR &s, uint32_t dwTag);

// Four-character resource code: first character in the top byte, missing
// characters count as 0.
uint32_t LevelResourceCode(const char *sz);

// Sixteen ramps of sixteen shades, each ramp its own hue (or one grey ramp).
void LevelPalette(KRED_RGBQUAD *pal, bool bGray);
// n tables: colour maps darken towards each ramp's first entry, shade
// tables step one ramp further per table.
void LevelGenTables(std::vector<std::vector<uint8_t>> &tables, int n, bool bShade);
// A sector or wall as a level file starts it, before its own lines.
void LevelInitSector(SECTOR_DATA &sd, uint32_t dwTag);
void LevelInitWall(LVL_WALL &w, uint32_t dwTag);

// Fills the default palette, two colour maps and two shade tables.
void LevelDefaultTables(LEVEL &lvl);

// The palette entry nearest to a colour (squared distance, lowest index on
// a tie).
int LevelNearestColor(const KRED_RGBQUAD *pal, int r, int g, int b);
// n colour maps that fade the palette step by step: map 0 keeps every
// colour, map k shows each colour at (n - k) / n of its light.
void LevelFadeTables(std::vector<std::vector<uint8_t>> &tables, int n, const KRED_RGBQUAD *pal);
// n shade tables that blend: table k mixes each colour half and half with
// the brightest colour of ramp k (k modulo 16).
void LevelBlendTables(std::vector<std::vector<uint8_t>> &tables, int n, const KRED_RGBQUAD *pal);
