// The host side of the library link: the service function that answers the
// editor's requests from the level, the request log, and the frames.
#include "kredhost.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <utility>

LEVEL gLevel;
CRITICAL_SECTION gcsLevel;
HMODULE ghDll;
PFN_WAKEUP pfnWakeUpDLL;
PFN_UPDATEPOSITION pfnUpdatePosition;
PFN_POSTKEY pfnPostKey;
PFN_EDITORTOTOP pfnEditorToTop;
PFN_KILLOFF pfnKillOffDLL;
DWORD gdwHostThread;
std::atomic<int> giWakeState{0};
std::atomic<int> giClosingCount{0};
std::atomic<int> giBlockEditorMs{0};
std::atomic<int> giBadListReturns{0};
std::atomic<int> giRewakeArmed{0};
volatile uint32_t gdwKillFlag;
PLAYER gPlayer;
uint32_t gdwLastUpdateResult;

static CRITICAL_SECTION csLog;
static std::vector<HOST_REQUEST> requestLog;

// Texture lists handed out by 1010 and not yet returned by 1020.
struct TEXLIST {
  std::vector<std::string> names;
  std::vector<SHARED_TEXTURE_DATA> entries;
};
static std::vector<std::unique_ptr<TEXLIST>> outstandingLists; // under csLog
static bool bTexOverride;
static int iTexOverrideCount, iTexOverrideLen;
// Sizes request 1010 reports instead of the listed ones, by index.
static std::map<int, std::pair<uint16_t, uint16_t>> texSizes;

static char szLevelNameSet[MAX_PATH + 64]; // under csLog
static bool bLevelNameNone;
static char szLevelNameAnswer[MAX_PATH + 64]; // valid until the next request

// Answers a scenario overrides, under csLog.
static bool bPaletteFillNothing;
static bool bPaletteCounts;
static uint32_t dwPaletteMaps, dwPaletteShades;
static std::map<uint32_t, const char *> resourceTexts; // null: answer 0
static std::deque<std::string> resourceTextStore;      // kept: the editor may still read one

// Walls (sector tag, wall tag) whose request 2100 answers "no such wall",
// under csLog.
static std::set<std::pair<uint32_t, uint32_t>> refusedWalls;

static std::vector<WALL_VERTEXES> frameWalls;
static std::vector<EDITOR_OBJECT> frameActors;
static uint32_t dwFrameCount;

void HostInitService() {
  InitializeCriticalSection(&csLog);
  InitializeCriticalSection(&gcsLevel);
  gdwHostThread = GetCurrentThreadId();
}

void HostLogSnapshot(std::vector<HOST_REQUEST> &out) {
  EnterCriticalSection(&csLog);
  out = requestLog;
  LeaveCriticalSection(&csLog);
}

void HostLogClear() {
  EnterCriticalSection(&csLog);
  requestLog.clear();
  LeaveCriticalSection(&csLog);
}

void HostSetTextureOverride(int n, int iLen, bool bEnabled) {
  EnterCriticalSection(&csLog);
  bTexOverride = bEnabled;
  iTexOverrideCount = n;
  iTexOverrideLen = iLen;
  LeaveCriticalSection(&csLog);
}

void HostSetTextureSize(int i, uint16_t w, uint16_t h) {
  EnterCriticalSection(&csLog);
  texSizes[i] = std::make_pair(w, h);
  LeaveCriticalSection(&csLog);
}

void HostSetLevelName(const char *sz) {
  EnterCriticalSection(&csLog);
  bLevelNameNone = sz == nullptr;
  snprintf(szLevelNameSet, sizeof(szLevelNameSet), "%s", sz ? sz : "");
  LeaveCriticalSection(&csLog);
}

void HostSetPaletteAnswer(bool bFillNothing, bool bCounts, uint32_t dwMaps, uint32_t dwShades) {
  EnterCriticalSection(&csLog);
  bPaletteFillNothing = bFillNothing;
  bPaletteCounts = bCounts;
  dwPaletteMaps = dwMaps;
  dwPaletteShades = dwShades;
  LeaveCriticalSection(&csLog);
}

void HostSetResourceText(uint32_t dwCode, int iMode, const char *sz) {
  EnterCriticalSection(&csLog);
  if (iMode == RT_LEVEL) {
    resourceTexts.erase(dwCode);
  } else if (iMode == RT_NONE) {
    resourceTexts[dwCode] = nullptr;
  } else {
    resourceTextStore.push_back(sz);
    resourceTexts[dwCode] = resourceTextStore.back().c_str();
  }
  LeaveCriticalSection(&csLog);
}

static TEXLIST *svc_BuildTextureList() {
  std::unique_ptr<TEXLIST> tl(new TEXLIST);
  if (bTexOverride) {
    for (int i = 0; i < iTexOverrideCount; i++) {
      char sz[32];
      snprintf(sz, sizeof(sz), "%d", i);
      std::string s = std::string("TEXTURES\\T") + sz;
      // Pad or cut to exactly the asked length, keeping the index visible.
      while ((int)s.size() + 4 < iTexOverrideLen)
        s += 'X';
      s += ".PCX";
      if ((int)s.size() > iTexOverrideLen)
        s = s.substr(s.size() - (size_t)iTexOverrideLen);
      tl->names.push_back(s);
    }
  } else {
    for (const LVL_TEXTURE &t : gLevel.textures)
      tl->names.push_back(t.szName);
  }
  for (size_t i = 0; i < tl->names.size(); i++) {
    SHARED_TEXTURE_DATA e;
    e.w = bTexOverride ? 64 : gLevel.textures[i].w;
    e.h = bTexOverride ? 64 : gLevel.textures[i].h;
    auto it = texSizes.find((int)i);
    if (it != texSizes.end()) {
      e.w = it->second.first;
      e.h = it->second.second;
    }
    e.szName = tl->names[i].c_str();
    tl->entries.push_back(e);
  }
  SHARED_TEXTURE_DATA end = {0, 0, nullptr};
  tl->entries.push_back(end);
  TEXLIST *p = tl.get();
  outstandingLists.push_back(std::move(tl));
  return p;
}

static int svc_SectorIndex(uint32_t bOrdinal, uint32_t dwSector) {
  if (bOrdinal)
    return dwSector < gLevel.sectors.size() ? (int)dwSector : -1;
  return LevelSectorByTag(gLevel, dwSector);
}

// The wall a 2100 or 2110 request names, by ordinals or by tags, or null;
// *ppSector gets its sector. Called with gcsLevel held.
static LVL_WALL *svc_Wall(const WALL_DATA_REQUEST *r, LVL_SECTOR **ppSector) {
  int i = svc_SectorIndex(r->bOrdinal, r->dwSectorTag);
  if (i < 0)
    return nullptr;
  LVL_SECTOR &s = gLevel.sectors[(size_t)i];
  int k = r->bOrdinal ? (r->dwWallTag < s.walls.size() ? (int)r->dwWallTag : -1)
                      : LevelWallByTag(s, r->dwWallTag);
  if (k < 0)
    return nullptr;
  *ppSector = &s;
  return &s.walls[(size_t)k];
}

void HostSetWallRefused(uint32_t dwSector, uint32_t dwWall, bool bRefused) {
  EnterCriticalSection(&csLog);
  if (bRefused)
    refusedWalls.insert(std::make_pair(dwSector, dwWall));
  else
    refusedWalls.erase(std::make_pair(dwSector, dwWall));
  LeaveCriticalSection(&csLog);
}

static bool svc_Refused(uint32_t dwSector, uint32_t dwWall) {
  EnterCriticalSection(&csLog);
  bool b = refusedWalls.count(std::make_pair(dwSector, dwWall)) != 0;
  LeaveCriticalSection(&csLog);
  return b;
}

static uint32_t svc_Palette(PALETTE_REQUEST *pr) {
  if (!pr)
    return 0;
  EnterCriticalSection(&csLog);
  bool bFillNothing = bPaletteFillNothing, bCounts = bPaletteCounts;
  uint32_t dwCount = pr->pt == 1 ? dwPaletteMaps : dwPaletteShades;
  LeaveCriticalSection(&csLog);
  if (pr->pt == 0) {
    if (pr->rgb && !bFillNothing)
      memcpy(pr->rgb, gLevel.palette, sizeof(gLevel.palette));
    return 0;
  }
  if (pr->pt != 1 && pr->pt != 2)
    return 0;
  // Tables are filled only for numbers the level has, whatever count a
  // scenario makes the host report.
  const std::vector<std::vector<uint8_t>> &tables =
      pr->pt == 1 ? gLevel.colorMaps : gLevel.shadeTables;
  if (pr->table && pr->pn >= 0 && (size_t)pr->pn < tables.size())
    memcpy(pr->table, tables[(size_t)pr->pn].data(), 256);
  return bCounts ? dwCount : (uint32_t)tables.size();
}

static uint32_t svc_ResourceText(uint32_t dwCode) {
  EnterCriticalSection(&csLog);
  auto it = resourceTexts.find(dwCode);
  bool bOverride = it != resourceTexts.end();
  const char *sz = bOverride ? it->second : nullptr;
  LeaveCriticalSection(&csLog);
  if (bOverride)
    return (uint32_t)(uintptr_t)sz;
  for (const LVL_RESOURCE &r : gLevel.resources)
    if (r.dwCode == dwCode)
      return (uint32_t)(uintptr_t)r.szText.c_str();
  return 0;
}

std::atomic<bool> gbFixedUsage{false};
RenderUsage gruFixed;

uint32_t KRED_CDECL HostService(uint16_t wCode, uintptr_t dwArg) {
  bool bHost = GetCurrentThreadId() == gdwHostThread;
  EnterCriticalSection(&csLog);
  size_t iEntry = requestLog.size();
  requestLog.push_back(HOST_REQUEST{wCode, dwArg, bHost, giWakeState.load() == 2, 0});
  LeaveCriticalSection(&csLog);

  if (!bHost) {
    int iMs = giBlockEditorMs.exchange(0);
    if (iMs > 0)
      Sleep((DWORD)iMs);
  }

  switch (wCode) {
  case KREQ_CLOSING:
    giClosingCount++;
    // A scenario may start the next run from inside this one's closing.
    if (giRewakeArmed.exchange(0))
      HostRewakeInline();
    return 0;
  case KREQ_TEXTURE_LIST: {
    EnterCriticalSection(&csLog);
    TEXLIST *p = svc_BuildTextureList();
    // The log may have been cleared meanwhile by the scenario.
    if (iEntry < requestLog.size() && requestLog[iEntry].wCode == wCode)
      requestLog[iEntry].dwResult = (uintptr_t)p->entries.data();
    LeaveCriticalSection(&csLog);
    return (uint32_t)(uintptr_t)p->entries.data();
  }
  case KREQ_TEXTURE_LIST_DONE: {
    bool bFound = false;
    EnterCriticalSection(&csLog);
    for (size_t i = 0; i < outstandingLists.size(); i++) {
      if ((uintptr_t)outstandingLists[i]->entries.data() == dwArg) {
        outstandingLists.erase(outstandingLists.begin() + (ptrdiff_t)i);
        bFound = true;
        break;
      }
    }
    LeaveCriticalSection(&csLog);
    if (!bFound) {
      giBadListReturns++;
      HostOut("host: request 1020 with %#lx, which 1010 did not hand out", (unsigned long)dwArg);
    }
    return 0;
  }
  case KREQ_GET_SECTOR: {
    SECTOR_DATA *p = (SECTOR_DATA *)dwArg;
    if (!p)
      return 1;
    EnterCriticalSection(&gcsLevel);
    int i = svc_SectorIndex(p->bOrdinal, p->dwSectorTag);
    if (i >= 0) {
      uint32_t bOrdinal = p->bOrdinal;
      *p = gLevel.sectors[(size_t)i].sd;
      p->bOrdinal = bOrdinal;
    }
    LeaveCriticalSection(&gcsLevel);
    return i >= 0 ? 0 : 1;
  }
  case KREQ_GET_WALL:
  case KREQ_SET_WALL: {
    WALL_DATA_REQUEST *r = (WALL_DATA_REQUEST *)dwArg;
    if (!r || !r->wd)
      return 1;
    EnterCriticalSection(&gcsLevel);
    LVL_SECTOR *s = nullptr;
    LVL_WALL *w = svc_Wall(r, &s);
    if (w && wCode == KREQ_GET_WALL && svc_Refused(s->sd.dwSectorTag, w->wd.dwWallTag))
      w = nullptr;
    if (w && wCode == KREQ_GET_WALL) {
      *r->wd = w->wd;
      r->dwSectorTag = s->sd.dwSectorTag;
      r->dwWallTag = w->wd.dwWallTag;
    } else if (w) {
      HostSentWall(s->sd.dwSectorTag, w->wd.dwWallTag, *r->wd);
      // The editor's record, keeping the host's size and tag.
      uint32_t dwSize = w->wd.dwStructSize, dwTag = w->wd.dwWallTag;
      w->wd = *r->wd;
      w->wd.dwStructSize = dwSize;
      w->wd.dwWallTag = dwTag;
    }
    LeaveCriticalSection(&gcsLevel);
    if (!w && wCode == KREQ_SET_WALL)
      HostOut("host: request 2110 for wall %#x of sector %#x (by %s), which the level does not "
              "have",
              (unsigned)r->dwWallTag, (unsigned)r->dwSectorTag, r->bOrdinal ? "ordinal" : "tag");
    return w ? 0 : 1;
  }
  case KREQ_SET_SECTOR: {
    SECTOR_DATA *p = (SECTOR_DATA *)dwArg;
    if (!p)
      return 1;
    EnterCriticalSection(&gcsLevel);
    int i = LevelSectorByTag(gLevel, p->dwSectorTag);
    if (i >= 0) {
      HostSentSector(*p);
      SECTOR_DATA &sd = gLevel.sectors[(size_t)i].sd;
      uint32_t dwSize = sd.dwStructSize;
      sd = *p;
      sd.dwStructSize = dwSize;
      sd.bOrdinal = 0;
      // Cut the strings in case the editor sent them unterminated.
      sd.szSectorName[sizeof(sd.szSectorName) - 1] = 0;
      sd.szSoundName[sizeof(sd.szSoundName) - 1] = 0;
    }
    LeaveCriticalSection(&gcsLevel);
    if (i < 0)
      HostOut("host: request 3000 for sector %#x, which the level does not have",
              (unsigned)p->dwSectorTag);
    return i >= 0 ? 0 : 1;
  }
  case KREQ_PALETTE:
    return svc_Palette((PALETTE_REQUEST *)dwArg);
  case KREQ_LEVEL_NAME: {
    EnterCriticalSection(&csLog);
    bool bNone = bLevelNameNone;
    snprintf(szLevelNameAnswer, sizeof(szLevelNameAnswer), "%s", szLevelNameSet);
    LeaveCriticalSection(&csLog);
    return bNone ? 0 : (uint32_t)(uintptr_t)szLevelNameAnswer;
  }
  case KREQ_RESOURCE_TEXT:
    return svc_ResourceText((uint32_t)dwArg);
  default:
    HostOut("host: unknown request %u (argument %#lx)", (unsigned)wCode, (unsigned long)dwArg);
    return 0;
  }
}

double HostNowUs() {
  static LARGE_INTEGER liFreq;
  if (!liFreq.QuadPart)
    QueryPerformanceFrequency(&liFreq);
  LARGE_INTEGER li;
  QueryPerformanceCounter(&li);
  return (double)li.QuadPart * 1e6 / (double)liFreq.QuadPart;
}

static int frm_FindSector(float x, float y) {
  if (gPlayer.iSector >= 0 && (size_t)gPlayer.iSector < gLevel.sectors.size()) {
    // Cheap first: the sector the player was in.
    if (LevelSectorContains(gLevel.sectors[(size_t)gPlayer.iSector], x, y))
      return gPlayer.iSector;
  }
  int i = LevelFindSector(gLevel, x, y);
  return i >= 0 ? i : gPlayer.iSector;
}

double HostFrame(float x, float y, int16_t sHeading, int iForceSector) {
  EDITOR_UPDATE_POSITION eup;
  memset(&eup, 0, sizeof(eup));
  EnterCriticalSection(&gcsLevel);
  gPlayer.iSector = iForceSector >= 0 ? iForceSector : frm_FindSector(x, y);
  gPlayer.x = x;
  gPlayer.y = y;
  gPlayer.sHeading = sHeading;
  frameWalls.clear();
  int iAdjoins = 0;
  if (gPlayer.iSector >= 0 && (size_t)gPlayer.iSector < gLevel.sectors.size()) {
    const LVL_SECTOR &s = gLevel.sectors[(size_t)gPlayer.iSector];
    for (const LVL_WALL &w : s.walls) {
      WALL_VERTEXES wv = {w.wd.dwWallTag, w.v1x, w.v1y, w.v2x, w.v2y};
      frameWalls.push_back(wv);
      iAdjoins += w.wd.bHasAdjoin ? 1 : 0;
    }
    eup.dwSectorHandle = s.sd.dwSectorTag;
  } else {
    eup.dwSectorHandle = 0xFFFFFFFFu;
  }
  frameActors.clear();
  for (const LVL_ACTOR &a : gLevel.actors)
    frameActors.push_back(a.eo);
  LeaveCriticalSection(&gcsLevel);

  dwFrameCount++;
  eup.x = x;
  eup.z = y;
  eup.sAngle = sHeading;
  eup.wSectorNumber = (uint16_t)(gPlayer.iSector & 0xFFFF);
  eup.iWallCount = (int32_t)frameWalls.size();
  eup.fpWSet = frameWalls.empty() ? nullptr : frameWalls.data();
  eup.iActorCount = (int32_t)frameActors.size();
  eup.pp = frameActors.empty() ? nullptr : frameActors.data();
  RenderUsage &ru = eup.ruCurrent;
  ru.peakActiveWindows = 4 + (int32_t)(dwFrameCount % 7);
  ru.maxActiveWindows = 64;
  ru.peakWallEdges = 2 * eup.iWallCount + (int32_t)(dwFrameCount % 5);
  ru.maxWallEdges = 2048;
  ru.peakWallWindows = 3 + (int32_t)(dwFrameCount % 4);
  ru.maxWallWindows = 256;
  ru.peakAdjoiningSectors = iAdjoins;
  ru.maxAdjoiningSectors = 128;
  ru.numSectorsVisited = 1 + iAdjoins + (int32_t)(dwFrameCount % 3);
  if (gbFixedUsage.load()) {
    EnterCriticalSection(&gcsLevel);
    ru = gruFixed;
    LeaveCriticalSection(&gcsLevel);
  }

  double t0 = HostNowUs();
  gdwLastUpdateResult = pfnUpdatePosition(&eup);
  return HostNowUs() - t0;
}
