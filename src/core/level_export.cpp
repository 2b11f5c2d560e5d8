// The whole-level export: one host request per sector and per wall, each
// answer recorded in the fixup table under the tags the host put into the
// request.
#include "level_export.h"

#include <string.h>

#include "fixup_tables.h"

namespace {

// Bounds of the walk, for a host that never answers "no such sector" or
// "no such wall": far above any real level.
const uint32_t dwLeMaxSectors = 1000000;
const uint32_t dwLeMaxWallsPerSector = 100000;

// Copies a possibly unterminated text into dst, cut to fit, always
// terminated.
void le_CopyBounded(char *szDst, size_t cbDst, const char *szSrc, size_t cbSrc) {
  const void *pEnd = memchr(szSrc, 0, cbSrc);
  size_t n = pEnd == nullptr ? cbSrc : (size_t)((const char *)pEnd - szSrc);
  if (n >= cbDst)
    n = cbDst - 1;
  memcpy(szDst, szSrc, n);
  szDst[n] = '\0';
}

// The names the editor gave the sector replace the host's; the sound name
// loses its extension.
void le_ApplyOverdub(SECTOR_DATA &sd) {
  const SECTOR_OVERDUB *pod = (const SECTOR_OVERDUB *)FindAnOverdub(OFT_SECTOR, sd.dwSectorTag, 0);
  if (pod != nullptr) {
    le_CopyBounded(sd.szSoundName, sizeof(sd.szSoundName), pod->szSoundName,
                   sizeof(pod->szSoundName));
    le_CopyBounded(sd.szSectorName, sizeof(sd.szSectorName), pod->szSectorName,
                   sizeof(pod->szSectorName));
  }
  // Mend a sound name that fills its array, then drop the extension.
  sd.szSoundName[sizeof(sd.szSoundName) - 1] = '\0';
  char *pDot = strchr(sd.szSoundName, '.');
  if (pDot != nullptr)
    *pDot = '\0';
}

} // namespace

WHOLE_LEVEL_EXPORT Fixup_AddWholeLevel(KRED_CALLBACK pCallBack) {
  WHOLE_LEVEL_EXPORT r = {0, 0, 0};
  if (pCallBack == nullptr)
    return r;
  SECTOR_DATA sd;
  memset(&sd, 0, sizeof(sd));
  WALL_DATA wall;
  memset(&wall, 0, sizeof(wall));
  WALL_DATA_REQUEST req;
  memset(&req, 0, sizeof(req));

  for (uint32_t i = 0; i < dwLeMaxSectors; i++) {
    // Addressed anew before every request: a game that fills the whole record
    // in its answer would otherwise turn the next request into one by tag.
    sd.bOrdinal = 1;
    sd.dwSectorTag = i;
    if (pCallBack(KREQ_GET_SECTOR, (uintptr_t)&sd) != 0)
      break;
    r.iSectors++;
    le_ApplyOverdub(sd);
    if (!AddToFixupTable(OFT_SECTOR, sd.dwSectorTag, 0, &sd, (int)sizeof(sd)))
      r.iNotRecorded++;

    for (uint32_t j = 0; j < dwLeMaxWallsPerSector; j++) {
      req.wd = &wall; // the host has no business changing it; never follow its change
      req.bOrdinal = 1;
      req.dwSectorTag = i;
      req.dwWallTag = j;
      if (pCallBack(KREQ_GET_WALL, (uintptr_t)&req) != 0)
        break;
      r.iWalls++;
      if (!AddToFixupTable(OFT_WALL, req.dwSectorTag, req.dwWallTag, &wall, (int)sizeof(wall)))
        r.iNotRecorded++;
    }
  }
  return r;
}
