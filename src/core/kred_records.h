// Binary records exchanged with the host game. The layouts are a fixed ABI of
// the 32-bit game: little-endian, 4-byte pointers, doubles on 8-byte offsets.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define KRED_CDECL __cdecl
#else
#define KRED_CDECL
#endif

// The host's service function: request code, one 32-bit argument (number or
// pointer), 32-bit result.
typedef uint32_t(KRED_CDECL *KRED_CALLBACK)(uint16_t wCode, uintptr_t dwArg);

enum {
  KREQ_CLOSING = 1000,
  KREQ_TEXTURE_LIST = 1010,
  KREQ_TEXTURE_LIST_DONE = 1020,
  KREQ_GET_SECTOR = 2000,
  KREQ_GET_WALL = 2100,
  KREQ_SET_WALL = 2110,
  KREQ_PALETTE = 2200,
  KREQ_SET_SECTOR = 3000,
  KREQ_LEVEL_NAME = 3010,
  KREQ_RESOURCE_TEXT = 4000
};

// One entry of the host's texture list (request 1010); a null szName ends it.
struct SHARED_TEXTURE_DATA {
  uint16_t w;
  uint16_t h;
  const char *szName;
};

struct CF_DATA {
  int32_t iTextureIndex;
  float fElev;
  float fAlignX;
  float fAlignZ;
  uint16_t wAngle;
  uint16_t wPad;
};

struct SLOPE_DATA {
  uint32_t dwHingeSectorTag;
  uint32_t dwHingeWallTag;
  int32_t iAngle;
};

struct SECTOR_DATA {
  uint32_t dwStructSize;
  uint32_t bOrdinal;
  uint32_t dwSectorTag;
  char szSectorName[80];
  uint16_t wLight;
  uint16_t wPad1;
  float fFriction;
  float fGravity;
  uint32_t dwFlag1;
  uint32_t dwFlag2;
  uint32_t dwFlag3;
  CF_DATA cfCeiling[2];
  uint16_t wFloorCount;
  uint16_t wPad2;
  CF_DATA cfFloor[1][2];
  SLOPE_DATA sdFloor;
  SLOPE_DATA sdCeiling;
  char szSoundName[40];
  float fElasticity;
  uint32_t dwPad3;
  double dVX;
  double dVY;
  double dVZ;
};

struct WALL_DATA {
  uint32_t dwStructSize;
  uint32_t dwWallTag;
  int32_t wmWalkMode;
  CF_DATA cfdUpper;
  CF_DATA cfdMiddle;
  CF_DATA cfdLower;
  CF_DATA cfdOverlay;
  uint32_t dwFlag1;
  uint32_t dwFlag2;
  uint32_t bHasAdjoin;
  float fAdjoinFloor;
  float fAdjoinCeiling;
};

struct WALL_DATA_REQUEST {
  uint32_t bOrdinal;
  uint32_t dwSectorTag;
  uint32_t dwWallTag;
  WALL_DATA *wd;
};

struct KRED_RGBQUAD {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
};

struct PALETTE_REQUEST {
  int32_t pt;
  int32_t pn;
  uint8_t *table;
  KRED_RGBQUAD *rgb;
};

struct WALL_VERTEXES {
  uint32_t dwWallTag;
  float v1x;
  float v1y;
  float v2x;
  float v2y;
};

struct EDITOR_OBJECT {
  int16_t sDir;
  uint16_t wPad;
  float x;
  float y;
  int32_t iType;
  uint32_t dwTag;
};

struct RenderUsage {
  int32_t peakActiveWindows;
  int32_t maxActiveWindows;
  int32_t peakWallEdges;
  int32_t maxWallEdges;
  int32_t peakWallWindows;
  int32_t maxWallWindows;
  int32_t peakAdjoiningSectors;
  int32_t maxAdjoiningSectors;
  int32_t numSectorsVisited;
};

struct EDITOR_UPDATE_POSITION {
  float x;
  float z;
  int16_t sAngle;
  uint16_t wPad1;
  uint32_t dwSectorHandle;
  uint16_t wSectorNumber;
  uint16_t wPad2;
  int32_t iWallCount;
  WALL_VERTEXES *fpWSet;
  int32_t iActorCount;
  EDITOR_OBJECT *pp;
  RenderUsage ruCurrent;
};

// The editor's own snapshot: the update's layout with y for z.
struct EDITOR_VIEW {
  float x;
  float y;
  int16_t sAngle;
  uint16_t wPad1;
  uint32_t dwSectorHandle;
  uint16_t wSectorNumber;
  uint16_t wPad2;
  int32_t iWallCount;
  WALL_VERTEXES *fpWSet;
  int32_t iActorCount;
  EDITOR_OBJECT *pp;
  RenderUsage ruData;
};

// Layouts without pointers are the same on every target.
static_assert(sizeof(CF_DATA) == 20, "CF_DATA");
static_assert(offsetof(CF_DATA, wAngle) == 16, "CF_DATA.wAngle");
static_assert(sizeof(SLOPE_DATA) == 12, "SLOPE_DATA");
static_assert(sizeof(SECTOR_DATA) == 296, "SECTOR_DATA");
static_assert(offsetof(SECTOR_DATA, szSectorName) == 12, "SECTOR_DATA.szSectorName");
static_assert(offsetof(SECTOR_DATA, wLight) == 92, "SECTOR_DATA.wLight");
static_assert(offsetof(SECTOR_DATA, fFriction) == 96, "SECTOR_DATA.fFriction");
static_assert(offsetof(SECTOR_DATA, dwFlag1) == 104, "SECTOR_DATA.dwFlag1");
static_assert(offsetof(SECTOR_DATA, cfCeiling) == 116, "SECTOR_DATA.cfCeiling");
static_assert(offsetof(SECTOR_DATA, wFloorCount) == 156, "SECTOR_DATA.wFloorCount");
static_assert(offsetof(SECTOR_DATA, cfFloor) == 160, "SECTOR_DATA.cfFloor");
static_assert(offsetof(SECTOR_DATA, sdFloor) == 200, "SECTOR_DATA.sdFloor");
static_assert(offsetof(SECTOR_DATA, sdCeiling) == 212, "SECTOR_DATA.sdCeiling");
static_assert(offsetof(SECTOR_DATA, szSoundName) == 224, "SECTOR_DATA.szSoundName");
static_assert(offsetof(SECTOR_DATA, fElasticity) == 264, "SECTOR_DATA.fElasticity");
static_assert(offsetof(SECTOR_DATA, dVX) == 272, "SECTOR_DATA.dVX");
static_assert(offsetof(SECTOR_DATA, dVZ) == 288, "SECTOR_DATA.dVZ");
static_assert(sizeof(WALL_DATA) == 112, "WALL_DATA");
static_assert(offsetof(WALL_DATA, cfdUpper) == 12, "WALL_DATA.cfdUpper");
static_assert(offsetof(WALL_DATA, cfdOverlay) == 72, "WALL_DATA.cfdOverlay");
static_assert(offsetof(WALL_DATA, dwFlag1) == 92, "WALL_DATA.dwFlag1");
static_assert(offsetof(WALL_DATA, bHasAdjoin) == 100, "WALL_DATA.bHasAdjoin");
static_assert(offsetof(WALL_DATA, fAdjoinCeiling) == 108, "WALL_DATA.fAdjoinCeiling");
static_assert(sizeof(WALL_VERTEXES) == 20, "WALL_VERTEXES");
static_assert(sizeof(EDITOR_OBJECT) == 20, "EDITOR_OBJECT");
static_assert(offsetof(EDITOR_OBJECT, x) == 4, "EDITOR_OBJECT.x");
static_assert(offsetof(EDITOR_OBJECT, iType) == 12, "EDITOR_OBJECT.iType");
static_assert(sizeof(RenderUsage) == 36, "RenderUsage");
static_assert(sizeof(KRED_RGBQUAD) == 4, "KRED_RGBQUAD");

// Records that carry host pointers: checked on the 32-bit target.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SHARED_TEXTURE_DATA) == 8, "SHARED_TEXTURE_DATA");
static_assert(offsetof(SHARED_TEXTURE_DATA, szName) == 4, "SHARED_TEXTURE_DATA.szName");
static_assert(sizeof(WALL_DATA_REQUEST) == 16, "WALL_DATA_REQUEST");
static_assert(offsetof(WALL_DATA_REQUEST, wd) == 12, "WALL_DATA_REQUEST.wd");
static_assert(sizeof(PALETTE_REQUEST) == 16, "PALETTE_REQUEST");
static_assert(offsetof(PALETTE_REQUEST, rgb) == 12, "PALETTE_REQUEST.rgb");
static_assert(sizeof(EDITOR_UPDATE_POSITION) == 72, "EDITOR_UPDATE_POSITION");
static_assert(offsetof(EDITOR_UPDATE_POSITION, dwSectorHandle) == 12, "eup.dwSectorHandle");
static_assert(offsetof(EDITOR_UPDATE_POSITION, wSectorNumber) == 16, "eup.wSectorNumber");
static_assert(offsetof(EDITOR_UPDATE_POSITION, iWallCount) == 20, "eup.iWallCount");
static_assert(offsetof(EDITOR_UPDATE_POSITION, fpWSet) == 24, "eup.fpWSet");
static_assert(offsetof(EDITOR_UPDATE_POSITION, pp) == 32, "eup.pp");
static_assert(offsetof(EDITOR_UPDATE_POSITION, ruCurrent) == 36, "eup.ruCurrent");
static_assert(sizeof(EDITOR_VIEW) == 72, "EDITOR_VIEW");
static_assert(offsetof(EDITOR_VIEW, ruData) == 36, "EDITOR_VIEW.ruData");
#endif
