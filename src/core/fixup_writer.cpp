// The fixup file: formatting a level's fixup table as text, and the file's
// name.
#include "fixup_writer.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "fixup_tables.h"
#include "kred_records.h"

namespace {

// Level names are cut off at this length (".NFU" and the terminator fill a
// 120-byte name).
const size_t cbFwMaxLevelName = 115;
const size_t cbFwNameBuffer = 120;

// Length of a text that may fill its array without a terminator.
size_t fw_BoundedLen(const char *sz, size_t cbArray) {
  const void *pEnd = memchr(sz, 0, cbArray);
  return pEnd == nullptr ? cbArray : (size_t)((const char *)pEnd - sz);
}

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void fw_Appendf(std::string &out, const char *szFormat, ...) {
  char szLine[256];
  va_list va;
  va_start(va, szFormat);
  int n = vsnprintf(szLine, sizeof(szLine), szFormat, va);
  va_end(va);
  if (n < 0)
    return;
  if ((size_t)n < sizeof(szLine)) {
    out.append(szLine, (size_t)n);
    return;
  }
  // Longer than the line buffer (long texture names): format in place.
  size_t cbOld = out.size();
  out.resize(cbOld + (size_t)n + 1);
  va_start(va, szFormat);
  vsnprintf(&out[cbOld], (size_t)n + 1, szFormat, va);
  va_end(va);
  out.resize(cbOld + (size_t)n);
}

// The name a surface had when its record was kept.
const char *fw_TextureName(const _kred_fixup *pf, int iSurface) {
  const char *sz = pf->ppszTextures == nullptr ? nullptr : pf->ppszTextures[iSurface];
  return sz == nullptr ? "?" : sz;
}

// Degrees with one decimal, times ten: 16384 units per turn, rounded.
uint32_t fw_AngleTenths(uint16_t wAngle) {
  return ((uint32_t)wAngle * 3600u + 8192u) >> 14;
}

void fw_FormatSurface(std::string &out, const char *szLabel, const CF_DATA &cf,
                      const char *szTexture, bool bElev) {
  uint32_t t = fw_AngleTenths(cf.wAngle);
  if (bElev)
    fw_Appendf(out, "  %s: %g %s %g %g %u.%u\r\n", szLabel, (double)cf.fElev, szTexture,
               (double)cf.fAlignX, (double)cf.fAlignZ, (unsigned)(t / 10), (unsigned)(t % 10));
  else
    fw_Appendf(out, "  %s: %s %g %g %u.%u\r\n", szLabel, szTexture, (double)cf.fAlignX,
               (double)cf.fAlignZ, (unsigned)(t / 10), (unsigned)(t % 10));
}

void fw_FormatSector(std::string &out, const _kred_fixup *pf, const SECTOR_DATA &sd) {
  fw_Appendf(out, "FIXUP: SECTOR\r\n");
  fw_Appendf(out, "  TAG: %lX\r\n", (unsigned long)sd.dwSectorTag);
  fw_Appendf(out, "  LIGHT: %u\r\n", (unsigned)sd.wLight);
  fw_Appendf(out, "  FLAG_1: %lx\r\n", (unsigned long)sd.dwFlag1);
  fw_Appendf(out, "  FLAG_2: %lx\r\n", (unsigned long)sd.dwFlag2);
  fw_Appendf(out, "  FLAG_3: %lx\r\n", (unsigned long)sd.dwFlag3);
  fw_FormatSurface(out, "CEILING", sd.cfCeiling[0], fw_TextureName(pf, 0), true);
  fw_FormatSurface(out, "OVERLAY", sd.cfCeiling[1], fw_TextureName(pf, 1), false);
  fw_Appendf(out, "  FLOORS: 1\r\n");
  fw_FormatSurface(out, "FLOOR", sd.cfFloor[0][0], fw_TextureName(pf, 2), true);
  fw_FormatSurface(out, "OVERLAY", sd.cfFloor[0][1], fw_TextureName(pf, 3), false);
  fw_Appendf(out, "  FLOOR SLOPE: %lX %lX %d\r\n", (unsigned long)sd.sdFloor.dwHingeSectorTag,
             (unsigned long)sd.sdFloor.dwHingeWallTag, (int)sd.sdFloor.iAngle);
  fw_Appendf(out, "  CEILING SLOPE: %lX %lX %d\r\n", (unsigned long)sd.sdCeiling.dwHingeSectorTag,
             (unsigned long)sd.sdCeiling.dwHingeWallTag, (int)sd.sdCeiling.iAngle);
  fw_Appendf(out, "  FRICTION: %g\r\n", (double)sd.fFriction);
  fw_Appendf(out, "  GRAVITY: %g\r\n", (double)sd.fGravity);
  fw_Appendf(out, "  ELASTICITY: %g\r\n", (double)sd.fElasticity);
  fw_Appendf(out, "  VELOCITY: %g %g %g\r\n", sd.dVX, sd.dVY, sd.dVZ);
  // The host may fill a name array to the end without a terminator.
  int nSound = (int)fw_BoundedLen(sd.szSoundName, sizeof(sd.szSoundName));
  if (nSound > 0)
    fw_Appendf(out, "  STEP SOUND: %.*s\r\n", nSound, sd.szSoundName);
  else
    fw_Appendf(out, "  STEP SOUND: NULL\r\n");
  int nName = (int)fw_BoundedLen(sd.szSectorName, sizeof(sd.szSectorName));
  if (nName > 0)
    fw_Appendf(out, "  SECTOR NAME: %.*s\r\n", nName, sd.szSectorName);
  else
    fw_Appendf(out, "  SECTOR NAME: #\r\n");
  out.append("\r\n");
}

void fw_FormatWallSurface(std::string &out, const char *szLabel, const CF_DATA &cf,
                          const char *szTexture) {
  fw_Appendf(out, "  %s: %s %g %g\r\n", szLabel, szTexture, (double)cf.fAlignX, (double)cf.fAlignZ);
}

void fw_FormatWall(std::string &out, const _kred_fixup *pf, const WALL_DATA &wd) {
  fw_Appendf(out, "FIXUP: WALL\r\n");
  fw_Appendf(out, "  SECTOR_TAG: %lX\r\n", (unsigned long)pf->dwModTag1);
  fw_Appendf(out, "  WALL_TAG: %lX\r\n", (unsigned long)wd.dwWallTag);
  fw_FormatWallSurface(out, "UPPER_TEXTURE", wd.cfdUpper, fw_TextureName(pf, 0));
  fw_FormatWallSurface(out, "MIDDLE_TEXTURE", wd.cfdMiddle, fw_TextureName(pf, 1));
  fw_FormatWallSurface(out, "LOWER_TEXTURE", wd.cfdLower, fw_TextureName(pf, 2));
  fw_FormatWallSurface(out, "OVERLAY_TEXTURE", wd.cfdOverlay, fw_TextureName(pf, 3));
  fw_Appendf(out, "  FLAG_1: %lx\r\n", (unsigned long)wd.dwFlag1);
  fw_Appendf(out, "  FLAG_2: %lx\r\n", (unsigned long)wd.dwFlag2);
  out.append("\r\n");
}

void fw_FormatVertex(std::string &out, const VERTEX_DATA &vd) {
  fw_Appendf(out, "FIXUP: VERTEX\r\n");
  fw_Appendf(out, "  OLD_VERTEX: %g %g\r\n", vd.dOldPosX, vd.dOldPosY);
  fw_Appendf(out, "  NEW_VERTEX: %g %g\r\n", vd.dNewPosX, vd.dNewPosY);
  out.append("\r\n");
}

} // namespace

void Fixup_FormatAll(std::string &out) {
  Fixup_FormatList(out, ofMaster);
}

void Fixup_FormatList(std::string &out, const _kred_fixup *pHead) {
  for (const _kred_fixup *pf = pHead; pf != nullptr; pf = pf->ofNextFixup) {
    const void *pPayload = FixupPayload(const_cast<_kred_fixup *>(pf));
    // A payload shorter than its type's record is written like an unknown
    // type rather than read past its end.
    if (pf->oftType == OFT_SECTOR && pf->iSize >= (int)sizeof(SECTOR_DATA))
      fw_FormatSector(out, pf, *(const SECTOR_DATA *)pPayload);
    else if (pf->oftType == OFT_WALL && pf->iSize >= (int)sizeof(WALL_DATA))
      fw_FormatWall(out, pf, *(const WALL_DATA *)pPayload);
    else if (pf->oftType == OFT_VERTEX && pf->iSize >= (int)sizeof(VERTEX_DATA))
      fw_FormatVertex(out, *(const VERTEX_DATA *)pPayload);
    else
      out.append("\r\n");
  }
  out.append("FIXUP: DONE\r\n");
}

int Fixup_MakeFileName(char *szOut, size_t cbOut, const char *szLevel) {
  if (szOut != nullptr && cbOut > 0)
    szOut[0] = '\0';
  if (szLevel == nullptr || szLevel[0] == '\0')
    return FIXUP_NAME_MISSING;
  size_t cbLevel = fw_BoundedLen(szLevel, cbFwMaxLevelName + 1);
  if (cbLevel > cbFwMaxLevelName)
    return FIXUP_NAME_TOO_LONG;
  size_t cbRoom = cbOut < cbFwNameBuffer ? cbOut : cbFwNameBuffer;
  if (szOut == nullptr || cbLevel + sizeof(".NFU") > cbRoom)
    return FIXUP_NAME_TOO_LONG;
  snprintf(szOut, cbRoom, "%s.NFU", szLevel);
  return FIXUP_NAME_OK;
}
