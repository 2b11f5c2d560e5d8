// The sector edit flow, against the host's service function and the change
// tables.
#include "sector_flow.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "fields.h"
#include "fixup_tables.h"

namespace {

// Length of a text that may fill its array of cb bytes without a terminator.
size_t sf_Len(const char *sz, size_t cb) {
  const void *pEnd = memchr(sz, 0, cb);
  return pEnd == nullptr ? cb : (size_t)((const char *)pEnd - sz);
}

// Copies a text of at most cbSrc bytes (terminated or not) into an array of
// cbDst bytes, cut to fit; the rest of the array is zeroed, so recorded
// copies hold no leftovers of an older name.
void sf_Copy(char *szDst, size_t cbDst, const char *szSrc, size_t cbSrc) {
  size_t n = sf_Len(szSrc, cbSrc);
  if (n >= cbDst)
    n = cbDst - 1;
  memmove(szDst, szSrc, n);
  memset(szDst + n, 0, cbDst - n);
}

// A double of the working record back into a float field of the host's
// record. What the editor reads from its fields is always a finite number
// and is cut to the float range; a value that is no number (NaN, an
// infinity) can only be the game's own, untouched, and goes back as it came.
float sf_ToFloat(double d) {
  return isfinite(d) ? Fields_ToFloat(d) : (float)d;
}

void sf_CopySurface(int32_t *piIndex, double *pdX, double *pdY, uint16_t *pwAngle,
                    const CF_DATA &cf) {
  *piIndex = cf.iTextureIndex;
  *pdX = (double)cf.fAlignX;
  *pdY = (double)cf.fAlignZ;
  *pwAngle = cf.wAngle;
}

void sf_FillSurface(CF_DATA *cf, int32_t iIndex, double dX, double dY, uint16_t wAngle) {
  cf->iTextureIndex = iIndex;
  cf->fAlignX = sf_ToFloat(dX);
  cf->fAlignZ = sf_ToFloat(dY);
  cf->wAngle = wAngle;
}

// The names of a sector record, for the overdub table.
void sf_MakeOverdub(SECTOR_OVERDUB *od, const SECTOR_DATA &sd) {
  memset(od, 0, sizeof(*od));
  sf_Copy(od->szSoundName, sizeof(od->szSoundName), sd.szSoundName, sizeof(sd.szSoundName));
  Sector_CutSoundName(od->szSoundName, (int)sizeof(od->szSoundName));
  sf_Copy(od->szSectorName, sizeof(od->szSectorName), sd.szSectorName, sizeof(sd.szSectorName));
}

void sf_SetStatus(int *piStatus, int iStatus) {
  if (piStatus != nullptr)
    *piStatus = iStatus;
}

void sf_NotKept(bool *pbKept) {
  if (pbKept != nullptr)
    *pbKept = false;
}

} // namespace

void Sector_CutSoundName(char *szSound, int cb) {
  if (szSound == nullptr || cb <= 0)
    return;
  size_t n = sf_Len(szSound, (size_t)cb);
  if (n == (size_t)cb)
    n--;
  const char *pDot = (const char *)memchr(szSound, '.', n);
  if (pDot != nullptr)
    n = (size_t)(pDot - szSound);
  memset(szSound + n, 0, (size_t)cb - n);
}

WINSEC_RESULTS *MakeWRFromSectorData(const SECTOR_DATA *sd) {
  if (sd == nullptr)
    return nullptr;
  WINSEC_RESULTS *wr = (WINSEC_RESULTS *)calloc(1, sizeof(WINSEC_RESULTS));
  if (wr == nullptr)
    return nullptr;
  size_t cbName = sf_Len(sd->szSectorName, sizeof(sd->szSectorName));
  if (cbName == sizeof(sd->szSectorName))
    cbName--;
  wr->szSecName = (char *)malloc(cbName + 1);
  if (wr->szSecName == nullptr) {
    free(wr);
    return nullptr;
  }
  memcpy(wr->szSecName, sd->szSectorName, cbName);
  wr->szSecName[cbName] = '\0';

  wr->dwSecTag = sd->dwSectorTag;
  const CF_DATA &cfCeil = sd->cfCeiling[0];
  const CF_DATA &cfFloor = sd->cfFloor[0][0];
  wr->fFloorElev[0] = (double)cfFloor.fElev;
  wr->iSecLight = (int32_t)sd->wLight;
  wr->fFriction = sd->fFriction;
  wr->fGravity = sd->fGravity;
  wr->fCeilThick = (double)cfCeil.fElev - (double)cfFloor.fElev;
  wr->fCeilHeight = (double)cfCeil.fElev;
  for (int k = 0; k < 2; k++) {
    sf_CopySurface(&wr->iCeilIndex[k], &wr->ptCeil_x[k], &wr->ptCeil_y[k], &wr->wCeilAngle[k],
                   sd->cfCeiling[k]);
    sf_CopySurface(&wr->iFloorIndex[0][k], &wr->ptFloor_x[0][k], &wr->ptFloor_y[0][k],
                   &wr->wFloorAngle[0][k], sd->cfFloor[0][k]);
  }
  for (int i = 0; i < 32; i++)
    wr->bFlagSet[i] = (sd->dwFlag1 >> i) & 1u ? WS_FLAG_SET : WS_FLAG_CLEAR;
  wr->sdFloor = sd->sdFloor;
  wr->sdCeiling = sd->sdCeiling;
  wr->fElasticity = sd->fElasticity;
  sf_Copy(wr->szStepSoundName, sizeof(wr->szStepSoundName), sd->szSoundName,
          sizeof(sd->szSoundName));
  wr->dVX = sd->dVX;
  wr->dVY = sd->dVY;
  wr->dVZ = sd->dVZ;
  return wr;
}

void Sector_FillSD(SECTOR_DATA *sd, const WINSEC_RESULTS *wr) {
  memset(sd, 0, sizeof(*sd));
  sd->dwSectorTag = wr->dwSecTag;
  if (wr->szSecName != nullptr)
    sf_Copy(sd->szSectorName, sizeof(sd->szSectorName), wr->szSecName, strlen(wr->szSecName));
  sd->wLight = (uint16_t)(uint32_t)wr->iSecLight;
  sd->fFriction = wr->fFriction;
  sd->fGravity = wr->fGravity;
  for (int i = 0; i < 32; i++)
    if (wr->bFlagSet[i] == WS_FLAG_SET)
      sd->dwFlag1 |= 1u << i;
  for (int k = 0; k < 2; k++) {
    sf_FillSurface(&sd->cfCeiling[k], wr->iCeilIndex[k], wr->ptCeil_x[k], wr->ptCeil_y[k],
                   wr->wCeilAngle[k]);
    sf_FillSurface(&sd->cfFloor[0][k], wr->iFloorIndex[0][k], wr->ptFloor_x[0][k],
                   wr->ptFloor_y[0][k], wr->wFloorAngle[0][k]);
  }
  sd->cfCeiling[0].fElev = sf_ToFloat(wr->fCeilHeight);
  sd->cfFloor[0][0].fElev = sf_ToFloat(wr->fFloorElev[0]);
  sd->wFloorCount = 1;
  sd->sdFloor = wr->sdFloor;
  sd->sdCeiling = wr->sdCeiling;
  sf_Copy(sd->szSoundName, sizeof(sd->szSoundName), wr->szStepSoundName,
          sizeof(wr->szStepSoundName));
  sd->fElasticity = wr->fElasticity;
  sd->dVX = wr->dVX;
  sd->dVY = wr->dVY;
  sd->dVZ = wr->dVZ;
}

SECTOR_DATA *MakeSDFromWR(const WINSEC_RESULTS *wsResults) {
  if (wsResults == nullptr)
    return nullptr;
  SECTOR_DATA *sd = (SECTOR_DATA *)malloc(sizeof(SECTOR_DATA));
  if (sd != nullptr)
    Sector_FillSD(sd, wsResults);
  return sd;
}

void KillWR(WINSEC_RESULTS *wr) {
  if (wr == nullptr)
    return;
  free(wr->szSecName);
  free(wr);
}

bool PostSectorResults(KRED_CALLBACK pCallBack, const WINSEC_RESULTS *wr) {
  if (wr == nullptr)
    return true;
  SECTOR_DATA sd;
  Sector_FillSD(&sd, wr);
  Sector_CutSoundName(sd.szSoundName, (int)sizeof(sd.szSoundName));
  SECTOR_OVERDUB od;
  sf_MakeOverdub(&od, sd);
  bool bKept = AddToOverdubTable(OFT_SECTOR, sd.dwSectorTag, 0, &od, (int)sizeof(od));
  if (!AddToFixupTable(OFT_SECTOR, sd.dwSectorTag, 0, &sd, (int)sizeof(sd)))
    bKept = false;
  if (pCallBack != nullptr)
    pCallBack(KREQ_SET_SECTOR, (uintptr_t)&sd);
  return bKept;
}

WINSEC_RESULTS *Sector_ReadForEditor(KRED_CALLBACK pCallBack, uint32_t dwSecTag, int *piStatus,
                                     bool *pbKept) {
  SECTOR_DATA sd;
  memset(&sd, 0, sizeof(sd));
  sd.bOrdinal = 0;
  sd.dwSectorTag = dwSecTag;
  if (pCallBack == nullptr || pCallBack(KREQ_GET_SECTOR, (uintptr_t)&sd) != 0) {
    sf_SetStatus(piStatus, SECTOR_FLOW_NOT_FOUND);
    return nullptr;
  }
  // Everything below is keyed by the tag asked for, whatever the host left.
  sd.dwSectorTag = dwSecTag;
  const SECTOR_OVERDUB *pod = (const SECTOR_OVERDUB *)FindAnOverdub(OFT_SECTOR, dwSecTag, 0);
  if (pod != nullptr) {
    sf_Copy(sd.szSoundName, sizeof(sd.szSoundName), pod->szSoundName, sizeof(pod->szSoundName));
    sf_Copy(sd.szSectorName, sizeof(sd.szSectorName), pod->szSectorName, sizeof(pod->szSectorName));
  }
  // A host name that fills its array is cut to fit with its terminator.
  sd.szSectorName[sizeof(sd.szSectorName) - 1] = '\0';
  Sector_CutSoundName(sd.szSoundName, (int)sizeof(sd.szSoundName));
  if (!AddToRevertTable(OFT_SECTOR, dwSecTag, 0, &sd, (int)sizeof(sd)))
    sf_NotKept(pbKept);
  WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
  sf_SetStatus(piStatus, wr == nullptr ? SECTOR_FLOW_NO_MEMORY : SECTOR_FLOW_OK);
  return wr;
}

WINSEC_RESULTS *RevertSectorDialog(KRED_CALLBACK pCallBack, uint32_t dwSecTag, int *piStatus,
                                   bool *pbKept) {
  SECTOR_DATA *pSaved = (SECTOR_DATA *)FindRevertTableEntry(OFT_SECTOR, dwSecTag, 0);
  if (pSaved == nullptr) {
    sf_SetStatus(piStatus, SECTOR_FLOW_NOT_FOUND);
    return nullptr;
  }
  Sector_CutSoundName(pSaved->szSoundName, (int)sizeof(pSaved->szSoundName));
  pSaved->szSectorName[sizeof(pSaved->szSectorName) - 1] = '\0';
  // The working record first: without it nothing is recorded or sent, so
  // the tables never claim a state the game did not get.
  WINSEC_RESULTS *wr = MakeWRFromSectorData(pSaved);
  if (wr == nullptr) {
    sf_SetStatus(piStatus, SECTOR_FLOW_NO_MEMORY);
    return nullptr;
  }
  SECTOR_OVERDUB od;
  sf_MakeOverdub(&od, *pSaved);
  bool bKept = AddToOverdubTable(OFT_SECTOR, pSaved->dwSectorTag, 0, &od, (int)sizeof(od));
  if (!AddToFixupTable(OFT_SECTOR, dwSecTag, 0, pSaved, (int)sizeof(*pSaved)))
    bKept = false;
  if (!PostSectorResults(pCallBack, wr))
    bKept = false;
  if (!bKept)
    sf_NotKept(pbKept);
  sf_SetStatus(piStatus, SECTOR_FLOW_OK);
  return wr;
}
