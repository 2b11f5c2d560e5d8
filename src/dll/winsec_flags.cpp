// The sector editor's "Flags" page (the low 30 bits of the first flag word)
// and "Slope" page (the floor and ceiling slopes with their "Active" bits,
// angles and hinges, and the sector's velocity); and the main dialog's
// "&Grab Wall", which takes the hinge that "Paste Sector / Wall" puts in.
#include "winsec.h"

#include <stdio.h>

#define SF_FLAGS 64 // entries of bFlagSet; boxes exist for 0..31
#define SF_LABEL 40

struct SF_SLOPE {
  int idAngle, idBar, idSector, idWall;
};
static const SF_SLOPE sfFloor = {IDC_SEC_FSLOPE_ANGLE, IDC_SEC_FSLOPE_BAR, IDC_SEC_FSLOPE_SECTOR,
                                 IDC_SEC_FSLOPE_WALL};
static const SF_SLOPE sfCeiling = {IDC_SEC_CSLOPE_ANGLE, IDC_SEC_CSLOPE_BAR, IDC_SEC_CSLOPE_SECTOR,
                                   IDC_SEC_CSLOPE_WALL};
static const int idVelocity[3] = {IDC_SEC_VX, IDC_SEC_VY, IDC_SEC_VZ};

void SecFlags_Init(HWND hDlg, WINSEC_DLG_DATA *pd) {
  for (int i = 0; i < WS_NAMED_BOXES; i++)
    Sec_GetText(hDlg, IDC_SEC_FLAG0 + i, pd->szBoxLabels[i], WS_BOX_LABEL);
}

void SecFlags_Label(HWND hDlg, WINSEC_DLG_DATA *pd) {
  for (int i = 0; i < WS_NAMED_BOXES; i++)
    Sec_SetLabel(hDlg, IDC_SEC_FLAG0 + i,
                 pd->szFlagNames[i][0] != '\0' ? pd->szFlagNames[i] : pd->szBoxLabels[i]);
}

void SecFlags_Show(HWND hDlg, WINSEC_DLG_DATA *pd) {
  const WINSEC_RESULTS *wr = pd->wsResults;
  for (int i = 0; i < SF_FLAGS; i++) {
    uint8_t b = wr->bFlagSet[i];
    Sec_SetCheck(hDlg, IDC_SEC_FLAG0 + i,
                 b == WS_FLAG_SET     ? BST_CHECKED
                 : b == WS_FLAG_CLEAR ? BST_UNCHECKED
                                      : BST_INDETERMINATE);
  }
}

void SecFlags_Apply(HWND hDlg, WINSEC_DLG_DATA *pd) {
  WINSEC_RESULTS *wr = pd->wsResults;
  for (int i = 0; i < SF_FLAGS; i++) {
    HWND hBox = Sec_Ctl(hDlg, IDC_SEC_FLAG0 + i);
    if (hBox != NULL)
      wr->bFlagSet[i] = (uint8_t)(SendMessageA(hBox, BM_GETCHECK, 0, 0) + 1);
  }
}

static void sf_HingeLabels(HWND hDlg, const SF_SLOPE &s, uint32_t dwSector, uint32_t dwWall) {
  char sz[SF_LABEL];
  snprintf(sz, sizeof(sz), "Sector: %lX", (unsigned long)dwSector);
  Sec_SetLabel(hDlg, s.idSector, sz);
  snprintf(sz, sizeof(sz), "Wall: %lX", (unsigned long)dwWall);
  Sec_SetLabel(hDlg, s.idWall, sz);
}

void SecSlope_ShowLabels(HWND hDlg, WINSEC_DLG_DATA *pd) {
  const WINSEC_RESULTS *wr = pd->wsResults;
  sf_HingeLabels(hDlg, sfFloor, wr->sdFloor.dwHingeSectorTag, wr->sdFloor.dwHingeWallTag);
  sf_HingeLabels(hDlg, sfCeiling, wr->sdCeiling.dwHingeSectorTag, wr->sdCeiling.dwHingeWallTag);
}

static void sf_AngleLabel(HWND hDlg, int idLabel, int iPos) {
  char szOld[SF_LABEL], szNew[SF_LABEL + 16];
  Sec_GetText(hDlg, idLabel, szOld, (int)sizeof(szOld));
  SecSlope_Label(szOld, iPos, szNew, sizeof(szNew));
  Sec_SetLabel(hDlg, idLabel, szNew);
}

void SecSlope_ShowAngles(HWND hDlg, WINSEC_DLG_DATA *pd) {
  const WINSEC_RESULTS *wr = pd->wsResults;
  const SF_SLOPE *ps[2] = {&sfCeiling, &sfFloor};
  const int32_t iAngle[2] = {wr->sdCeiling.iAngle, wr->sdFloor.iAngle};
  for (int k = 0; k < 2; k++) {
    int iPos = SecSlope_PosFromAngle(iAngle[k]);
    Sec_SetBar(hDlg, ps[k]->idBar, SEC_SLOPE_MIN, SEC_SLOPE_MAX, iPos);
    sf_AngleLabel(hDlg, ps[k]->idAngle, iPos);
    Sec_MarkPos(pd, hDlg, ps[k]->idBar);
  }
}

bool SecSlope_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply) {
  (void)pd;
  const SF_SLOPE *ps = id == sfFloor.idBar ? &sfFloor : id == sfCeiling.idBar ? &sfCeiling : NULL;
  if (ps == NULL)
    return false;
  int iPos = StepScrollBar(Sec_Ctl(hDlg, id), iCode, iThumb, WS_PAGE_STEP);
  sf_AngleLabel(hDlg, ps->idAngle, iPos);
  if (bApply)
    Sec_PostApply(hDlg);
  return true;
}

static void sf_ApplySlope(HWND hDlg, WINSEC_DLG_DATA *pd, const SF_SLOPE &s, SLOPE_DATA *psd) {
  if (Sec_TakePos(pd, hDlg, s.idBar))
    psd->iAngle = Sec_BarPos(hDlg, s.idBar);
  psd->dwHingeSectorTag = Sec_GetColonNumber(hDlg, s.idSector);
  psd->dwHingeWallTag = Sec_GetColonNumber(hDlg, s.idWall);
}

void SecSlope_Apply(HWND hDlg, WINSEC_DLG_DATA *pd) {
  sf_ApplySlope(hDlg, pd, sfFloor, &pd->wsResults->sdFloor);
  sf_ApplySlope(hDlg, pd, sfCeiling, &pd->wsResults->sdCeiling);
}

void SecSlope_Paste(HWND hDlg, int id) {
  sf_HingeLabels(hDlg, id == IDC_SEC_FSLOPE_PASTE ? sfFloor : sfCeiling, dwGrabbedSector,
                 dwGrabbedWall);
}

void SecVelocity_Show(HWND hDlg, WINSEC_DLG_DATA *pd) {
  const WINSEC_RESULTS *wr = pd->wsResults;
  const double d[3] = {wr->dVX, wr->dVY, wr->dVZ};
  for (int k = 0; k < 3; k++) {
    Sec_SetDouble(hDlg, idVelocity[k], d[k]);
    Sec_MarkText(pd, hDlg, idVelocity[k]);
  }
}

void SecVelocity_Apply(HWND hDlg, WINSEC_DLG_DATA *pd) {
  WINSEC_RESULTS *wr = pd->wsResults;
  double *pd3[3] = {&wr->dVX, &wr->dVY, &wr->dVZ};
  for (int k = 0; k < 3; k++)
    if (Sec_TakeText(pd, hDlg, idVelocity[k]))
      *pd3[k] = Sec_GetDouble(hDlg, idVelocity[k]);
}

void GrabWallForSlope(void) {
  // One read around the choice and the tags, so the wall index and the
  // snapshot it indexes belong together.
  int iSlot = Selection_BeginRead(NULL);
  int iWall = TargetedWall();
  const EDITOR_VIEW &v = pvSet[iSlot];
  if (iWall >= 0 && iWall < v.iWallCount && v.fpWSet != NULL) {
    dwGrabbedSector = v.dwSectorHandle;
    dwGrabbedWall = v.fpWSet[iWall].dwWallTag;
  }
  Selection_EndRead();
}
