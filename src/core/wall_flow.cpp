// The wall edit flow, against the host's service function and the change
// tables. Walls are addressed by tag; the caller resolved them.
#include "wall_flow.h"

#include <string.h>

#include "fields.h"
#include "fixup_tables.h"

uint32_t dwWallTag = 0;

namespace {

// One surface of the working record, and where it lives in a wall.
struct WW_SURFACE {
  int32_t WINWALL_RESULTS::*piTexture;
  double WINWALL_RESULTS::*pdAlignX;
  double WINWALL_RESULTS::*pdAlignY;
  CF_DATA WALL_DATA::*pcf;
};

const WW_SURFACE wwSurfaces[4] = {
    {&WINWALL_RESULTS::iUpperTexture, &WINWALL_RESULTS::ptUpperAlign_x,
     &WINWALL_RESULTS::ptUpperAlign_y, &WALL_DATA::cfdUpper},
    {&WINWALL_RESULTS::iMiddleTexture, &WINWALL_RESULTS::ptMiddleAlign_x,
     &WINWALL_RESULTS::ptMiddleAlign_y, &WALL_DATA::cfdMiddle},
    {&WINWALL_RESULTS::iLowerTexture, &WINWALL_RESULTS::ptLowerAlign_x,
     &WINWALL_RESULTS::ptLowerAlign_y, &WALL_DATA::cfdLower},
    {&WINWALL_RESULTS::iSignTexture, &WINWALL_RESULTS::ptSignAlign_x,
     &WINWALL_RESULTS::ptSignAlign_y, &WALL_DATA::cfdOverlay},
};

uint8_t ww_FlagState(uint32_t dwFlags, int i) {
  return (dwFlags >> i) & 1u ? WW_FLAG_SET : WW_FLAG_CLEAR;
}

void ww_Request(WALL_DATA_REQUEST *req, uint32_t dwSectorTag, uint32_t dwTag, WALL_DATA *wall) {
  memset(req, 0, sizeof(*req));
  req->bOrdinal = 0;
  req->dwSectorTag = dwSectorTag;
  req->dwWallTag = dwTag;
  req->wd = wall;
}

// Asks the host for a wall. The request is built afresh for every call, so
// nothing the host left in it is ever followed.
bool ww_ReadWall(KRED_CALLBACK pCallBack, uint32_t dwSectorTag, uint32_t dwTag, WALL_DATA *wall) {
  if (pCallBack == nullptr)
    return false;
  memset(wall, 0, sizeof(*wall));
  WALL_DATA_REQUEST req;
  ww_Request(&req, dwSectorTag, dwTag, wall);
  return pCallBack(KREQ_GET_WALL, (uintptr_t)&req) == 0;
}

void ww_SendWall(KRED_CALLBACK pCallBack, uint32_t dwSectorTag, uint32_t dwTag, WALL_DATA *wall) {
  WALL_DATA_REQUEST req;
  ww_Request(&req, dwSectorTag, dwTag, wall);
  pCallBack(KREQ_SET_WALL, (uintptr_t)&req);
}

} // namespace

int StartAWallTable(KRED_CALLBACK pCallBack, WINWALL_RESULTS *wd, uint32_t dwSectorTag,
                    uint32_t dwTag, bool *pbKept) {
  if (wd == nullptr)
    return 0;
  memset(wd, 0, sizeof(*wd));
  WALL_DATA wall;
  if (!ww_ReadWall(pCallBack, dwSectorTag, dwTag, &wall))
    return 0;
  dwWallTag = dwTag;
  bool bKept = AddToRevertTable(OFT_WALL, dwSectorTag, dwTag, &wall, (int)sizeof(wall));
  if (pbKept != nullptr && !bKept)
    *pbKept = false;
  for (const WW_SURFACE &s : wwSurfaces) {
    const CF_DATA &cf = wall.*s.pcf;
    wd->*s.piTexture = cf.iTextureIndex;
    wd->*s.pdAlignX = (double)cf.fAlignX;
    wd->*s.pdAlignY = (double)cf.fAlignZ;
  }
  for (int i = 0; i < 32; i++)
    wd->bFlagSet[i] = ww_FlagState(wall.dwFlag1, i);
  return 1;
}

bool AddToWallTable(KRED_CALLBACK pCallBack, WINWALL_RESULTS *wd, uint32_t dwSectorTag,
                    uint32_t dwTag, bool *pbRead) {
  if (pbRead != nullptr)
    *pbRead = false;
  if (wd == nullptr)
    return true;
  WALL_DATA wall;
  if (!ww_ReadWall(pCallBack, dwSectorTag, dwTag, &wall))
    return true; // left out of the record; nothing to keep
  if (pbRead != nullptr)
    *pbRead = true;
  bool bKept = AddToRevertTable(OFT_WALL, dwSectorTag, dwTag, &wall, (int)sizeof(wall));
  dwWallTag = 0;
  for (const WW_SURFACE &s : wwSurfaces) {
    const CF_DATA &cf = wall.*s.pcf;
    if (cf.iTextureIndex != wd->*s.piTexture)
      wd->*s.piTexture = WW_TEXTURE_DIFFERS;
    if ((double)cf.fAlignX != wd->*s.pdAlignX)
      wd->*s.pdAlignX = KRED_NOTHING;
    if ((double)cf.fAlignZ != wd->*s.pdAlignY)
      wd->*s.pdAlignY = KRED_NOTHING;
  }
  for (int i = 0; i < 32; i++)
    if (ww_FlagState(wall.dwFlag1, i) != wd->bFlagSet[i])
      wd->bFlagSet[i] = WW_FLAG_DIFFERS;
  return bKept;
}

bool CreateWallData(KRED_CALLBACK pCallBack, WINWALL_RESULTS *wd, uint32_t dwSectorTag,
                    const uint32_t *pdwWallTags, int cWalls, bool *pbRead) {
  dwWallTag = 0;
  if (pbRead != nullptr)
    for (int i = 0; i < cWalls; i++)
      pbRead[i] = false;
  if (wd == nullptr)
    return true;
  memset(wd, 0, sizeof(*wd));
  if (pdwWallTags == nullptr)
    return true;
  bool bKept = true;
  bool bStarted = false;
  for (int i = 0; i < cWalls; i++) {
    bool bRead = false;
    if (!bStarted) {
      bRead = StartAWallTable(pCallBack, wd, dwSectorTag, pdwWallTags[i], &bKept) != 0;
      bStarted = bRead;
    } else if (!AddToWallTable(pCallBack, wd, dwSectorTag, pdwWallTags[i], &bRead)) {
      bKept = false;
    }
    if (pbRead != nullptr)
      pbRead[i] = bRead;
  }
  return bKept;
}

void MixWallResults(const WINWALL_RESULTS *wr, WALL_DATA *wd) {
  if (wr == nullptr || wd == nullptr)
    return;
  for (const WW_SURFACE &s : wwSurfaces) {
    CF_DATA &cf = wd->*s.pcf;
    // An animated texture is never replaced: a texture chosen for several
    // walls whose textures differed would otherwise land on it too.
    if (wr->*s.piTexture != WW_TEXTURE_DIFFERS && cf.iTextureIndex != -2)
      cf.iTextureIndex = wr->*s.piTexture;
    if (wr->*s.pdAlignX != KRED_NOTHING)
      cf.fAlignX = Fields_ToFloat(wr->*s.pdAlignX);
    if (wr->*s.pdAlignY != KRED_NOTHING)
      cf.fAlignZ = Fields_ToFloat(wr->*s.pdAlignY);
  }
  for (int i = 0; i < 32; i++) {
    if (wr->bFlagSet[i] == WW_FLAG_CLEAR)
      wd->dwFlag1 &= ~(1u << i);
    else if (wr->bFlagSet[i] == WW_FLAG_SET)
      wd->dwFlag1 |= 1u << i;
  }
}

bool PostWallResults(KRED_CALLBACK pCallBack, const WINWALL_RESULTS *wr, uint32_t dwSectorTag,
                     const uint32_t *pdwWallTags, int cWalls, int *pcMissing) {
  if (pcMissing != nullptr)
    *pcMissing = 0;
  if (wr == nullptr || pdwWallTags == nullptr)
    return true;
  bool bKept = true;
  for (int i = 0; i < cWalls; i++) {
    WALL_DATA wall;
    if (!ww_ReadWall(pCallBack, dwSectorTag, pdwWallTags[i], &wall)) {
      if (pcMissing != nullptr)
        (*pcMissing)++;
      continue;
    }
    MixWallResults(wr, &wall);
    if (!AddToFixupTable(OFT_WALL, dwSectorTag, pdwWallTags[i], &wall, (int)sizeof(wall)))
      bKept = false;
    ww_SendWall(pCallBack, dwSectorTag, pdwWallTags[i], &wall);
  }
  return bKept;
}

bool RevertWallDialog(KRED_CALLBACK pCallBack, uint32_t dwSectorTag, const uint32_t *pdwWallTags,
                      int cWalls, int *pcMissing) {
  if (pcMissing != nullptr)
    *pcMissing = 0;
  if (pdwWallTags == nullptr)
    return true;
  bool bKept = true;
  for (int i = 0; i < cWalls; i++) {
    const WALL_DATA *pSaved =
        (const WALL_DATA *)FindRevertTableEntry(OFT_WALL, dwSectorTag, pdwWallTags[i]);
    if (pSaved == nullptr)
      continue;
    // A wall that is gone (another level, a stale selection) is not written.
    WALL_DATA wall;
    if (!ww_ReadWall(pCallBack, dwSectorTag, pdwWallTags[i], &wall)) {
      if (pcMissing != nullptr)
        (*pcMissing)++;
      continue;
    }
    // The host gets a copy: the saved state must survive whatever it does.
    memcpy(&wall, pSaved, sizeof(wall));
    if (!AddToFixupTable(OFT_WALL, dwSectorTag, pdwWallTags[i], &wall, (int)sizeof(wall)))
      bKept = false;
    ww_SendWall(pCallBack, dwSectorTag, pdwWallTags[i], &wall);
  }
  return bKept;
}
