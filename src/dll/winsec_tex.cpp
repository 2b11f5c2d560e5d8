// The sector editor's "Textures" page: the texture, alignment and angle of
// the ceiling and of the chosen floor, in one of two layers (the textures
// and their overlays), with animated surfaces protected; and the map view's
// right button, which positions an overlay.
#include "winsec.h"

#include <stdio.h>
#include <string.h>

// A column's controls: 0 the ceiling, 1 the floor.
struct ST_COLUMN {
  int idList, idX, idXBar, idY, idYBar, idAngle, idAngleBar, idAnimated;
};
static const ST_COLUMN stColumns[WS_COLUMNS] = {
    {IDC_SEC_CEIL_TEX, IDC_SEC_CEIL_X, IDC_SEC_CEIL_X_BAR, IDC_SEC_CEIL_Y, IDC_SEC_CEIL_Y_BAR,
     IDC_SEC_CEIL_ANGLE, IDC_SEC_CEIL_ANGLE_BAR, IDC_SEC_CEIL_ANIMATED},
    {IDC_SEC_FLOOR_TEX, IDC_SEC_FLOOR_X, IDC_SEC_FLOOR_X_BAR, IDC_SEC_FLOOR_Y, IDC_SEC_FLOOR_Y_BAR,
     IDC_SEC_FLOOR_ANGLE, IDC_SEC_FLOOR_ANGLE_BAR, IDC_SEC_FLOOR_ANIMATED}};

// Each column's editing controls, and what stands in for them when its
// surface is animated.
static const int ipCeilTexOnIDs[] = {2000, 2010, 2011, 2020, 2021, 5010, 5010, 5011, 0};
static const int ipFloorTexOnIDs[] = {2100, 2110, 2111, 2120, 2121, 5000, 5000, 5001, 0};
static const int ipCeilTexOffIDs[] = {10010, 0};
static const int ipFloorTexOffIDs[] = {10000, 0};

#define ST_TEXT 40
#define ST_DROPPED_WIDTH 240 // pixels
#define ST_ANIMATED (-2)

// A column's fields in the record, for the layer shown.
struct ST_SURFACE {
  int32_t *piIndex;
  double *pdX;
  double *pdY;
  uint16_t *pwAngle;
};

static bool st_Surface(WINSEC_DLG_DATA *pd, int iCol, int iFloor, ST_SURFACE *ps) {
  WINSEC_RESULTS *wr = pd->wsResults;
  int k = pd->iTexOver == 1 ? 1 : 0;
  if (iCol == 0) {
    *ps = {&wr->iCeilIndex[k], &wr->ptCeil_x[k], &wr->ptCeil_y[k], &wr->wCeilAngle[k]};
    return true;
  }
  if (iFloor < 0 || iFloor >= WS_MAX_FLOORS)
    return false;
  *ps = {&wr->iFloorIndex[iFloor][k], &wr->ptFloor_x[iFloor][k], &wr->ptFloor_y[iFloor][k],
         &wr->wFloorAngle[iFloor][k]};
  return true;
}

// The axes behind a column's alignment bars: the texture's in the texture
// layer, none (nudging bars) in the overlay layer.
static void st_Axes(WINSEC_DLG_DATA *pd, int32_t iIndex, SEC_TEX_AXIS ax[2]) {
  if (pd->iTexOver == 0) {
    SecTex_Axes(iIndex, &ax[0], &ax[1]);
  } else {
    ax[0] = {false, 0.0, 0};
    ax[1] = ax[0];
  }
}

static void st_SetAlignBar(HWND hDlg, WINSEC_DLG_DATA *pd, int iCol, int iAxis,
                           const SEC_TEX_AXIS &axis, double dValue) {
  const ST_COLUMN &c = stColumns[iCol];
  int idBar = iAxis == 0 ? c.idXBar : c.idYBar;
  pd->bNudge[iCol][iAxis] = !axis.bSized;
  if (!axis.bSized) {
    Sec_SetBar(hDlg, idBar, SEC_NUDGE_MIN, SEC_NUDGE_MAX, 0);
    return;
  }
  FloatMod(&dValue, axis.dPeriod);
  Sec_SetBar(hDlg, idBar, 0, axis.iRangeMax, Sec_TruncPos(dValue, 8.0, 0, axis.iRangeMax, 0));
}

static void st_SetAngle(HWND hDlg, int iCol, int iPos, double dUnits) {
  const ST_COLUMN &c = stColumns[iCol];
  Sec_SetBar(hDlg, c.idAngleBar, 0, SEC_ANGLE_MAX, iPos);
  Sec_SetAngleText(hDlg, c.idAngle, dUnits * SEC_DEGREES_PER_UNIT);
}

static void st_ShowColumn(HWND hDlg, WINSEC_DLG_DATA *pd, int iCol) {
  ST_SURFACE s;
  if (!st_Surface(pd, iCol, pd->iFloorChose, &s))
    return;
  const ST_COLUMN &c = stColumns[iCol];
  SEC_TEX_AXIS ax[2];
  st_Axes(pd, *s.piIndex, ax);
  // Texture alignments are shown inside one period; the record keeps its
  // own value until the designer changes the field.
  double dShown[2] = {*s.pdX, *s.pdY};
  for (int k = 0; k < 2; k++)
    if (ax[k].bSized)
      FloatMod(&dShown[k], ax[k].dPeriod);
  int32_t iIndex = *s.piIndex;
  int iEntry = iIndex >= -1 && iIndex < Textures_Count() ? (int)iIndex + 1 : -1;
  Sec_SetSel(hDlg, c.idList, iEntry);
  Sec_SetDouble(hDlg, c.idX, dShown[0]);
  Sec_SetDouble(hDlg, c.idY, dShown[1]);
  st_SetAngle(hDlg, iCol, *s.pwAngle > SEC_ANGLE_MAX ? SEC_ANGLE_MAX : *s.pwAngle,
              (double)*s.pwAngle);
  st_SetAlignBar(hDlg, pd, iCol, 0, ax[0], *s.pdX);
  st_SetAlignBar(hDlg, pd, iCol, 1, ax[1], *s.pdY);
  Sec_MarkSel(pd, hDlg, c.idList);
  Sec_MarkText(pd, hDlg, c.idX);
  Sec_MarkText(pd, hDlg, c.idY);
  Sec_MarkPos(pd, hDlg, c.idAngleBar);
  HidePCXOptions(hDlg);
}

// Takes what the designer changed in a column into the record (layer shown,
// floor iFloor). Untouched controls leave their fields as they are, and an
// animated surface keeps its texture.
static void st_StoreColumn(HWND hDlg, WINSEC_DLG_DATA *pd, int iCol, int iFloor, bool bIndex) {
  ST_SURFACE s;
  if (!st_Surface(pd, iCol, iFloor, &s))
    return;
  const ST_COLUMN &c = stColumns[iCol];
  if (Sec_TakeText(pd, hDlg, c.idX))
    *s.pdX = Sec_GetDouble(hDlg, c.idX);
  if (Sec_TakeText(pd, hDlg, c.idY))
    *s.pdY = Sec_GetDouble(hDlg, c.idY);
  if (Sec_TakePos(pd, hDlg, c.idAngleBar))
    *s.pwAngle = (uint16_t)Sec_BarPos(hDlg, c.idAngleBar);
  if (bIndex && *s.piIndex != ST_ANIMATED && Sec_TakeSel(pd, hDlg, c.idList)) {
    int iSel = (int)Sec_Send(hDlg, c.idList, CB_GETCURSEL, 0, 0);
    if (iSel >= 0)
      *s.piIndex = iSel - 1;
  }
}

void SecTex_FillLists(HWND hDlg, WINSEC_DLG_DATA *pd) {
  // The generation before the names: a table built meanwhile fills the
  // lists again at the next opening.
  pd->dwTexGeneration = Textures_Generation();
  pd->bTexListsFilled = RunTexturesReady();
  int n = pd->bTexListsFilled ? Textures_Count() : 0;
  for (const ST_COLUMN &c : stColumns) {
    HWND hList = Sec_Ctl(hDlg, c.idList);
    SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(hList, CB_RESETCONTENT, 0, 0);
    SendMessageA(hList, CB_INITSTORAGE, (WPARAM)(n + 1), (LPARAM)((n + 1) * 24));
    // Entry k + 1 is texture k; a list that runs out of room stops there.
    LRESULT i = SendMessageA(hList, CB_ADDSTRING, 0, (LPARAM)szUnknownDesc);
    if (i >= 0)
      SendMessageA(hList, CB_SETITEMDATA, (WPARAM)i, (LPARAM)szUnknownName);
    for (int k = 0; k < n && i >= 0; k++) {
      i = SendMessageA(hList, CB_ADDSTRING, 0, (LPARAM)feTextures[k].szName);
      if (i >= 0)
        SendMessageA(hList, CB_SETITEMDATA, (WPARAM)i, (LPARAM)feTextures[k].szFile);
    }
    SendMessageA(hList, WM_SETREDRAW, TRUE, 0);
    // Long texture names show in full when the list drops down.
    SendMessageA(hList, CB_SETDROPPEDWIDTH, ST_DROPPED_WIDTH, 0);
  }
}

void SecTex_ShowCeiling(HWND hDlg, WINSEC_DLG_DATA *pd) {
  st_ShowColumn(hDlg, pd, 0);
}

void SecTex_FloorChosen(HWND hDlg, WINSEC_DLG_DATA *pd, int iFloor) {
  if (iFloor < 0 || iFloor >= (int)wCurrentNumberOfFloors || iFloor >= WS_MAX_FLOORS)
    return;
  if (iFloor != pd->iFloorChose && pd->iFloorChose != -1)
    st_StoreColumn(hDlg, pd, 1, pd->iFloorChose, true);
  pd->iFloorChose = iFloor;
  st_ShowColumn(hDlg, pd, 1);
}

void SecTex_ShowLayer(HWND hDlg, WINSEC_DLG_DATA *pd) {
  bool bOverlays = pd->iTexOver == 1;
  Sec_SetLabel(hDlg, IDC_SEC_TEX_LAYER,
               bOverlays ? "Floor / Ceiling Overlays" : "Floor / Ceiling Textures");
  Sec_SetLabel(hDlg, IDC_SEC_TEX_ROW, bOverlays ? "Overlay" : "Texture");
}

void SecTex_SwitchLayer(HWND hDlg, WINSEC_DLG_DATA *pd, int iLayer) {
  if ((iLayer != 0 && iLayer != 1) || iLayer == pd->iTexOver)
    return;
  if (pd->iFloorChose != -1)
    st_StoreColumn(hDlg, pd, 1, pd->iFloorChose, true);
  st_StoreColumn(hDlg, pd, 0, 0, true);
  pd->iTexOver = iLayer;
  SecTex_ShowLayer(hDlg, pd);
  SendMessageA(hDlg, WM_KRED_NEWRESULTS, 0, 0);
}

bool SecTex_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply) {
  for (int iCol = 0; iCol < WS_COLUMNS; iCol++) {
    const ST_COLUMN &c = stColumns[iCol];
    HWND hBar = Sec_Ctl(hDlg, id);
    if (id == c.idAngleBar) {
      int iPos = StepScrollBar(hBar, iCode, iThumb, WS_PAGE_STEP);
      Sec_SetAngleText(hDlg, c.idAngle, iPos * SEC_DEGREES_PER_UNIT);
      if (bApply)
        Sec_SendApply(hDlg);
      return true;
    }
    if (id != c.idXBar && id != c.idYBar)
      continue;
    int iAxis = id == c.idXBar ? 0 : 1;
    int idEdit = id - 1;
    int iPos = StepScrollBar(hBar, iCode, iThumb, WS_PAGE_STEP);
    char sz[ST_TEXT];
    if (!pd->bNudge[iCol][iAxis]) {
      snprintf(sz, sizeof(sz), "%g", (double)iPos / 8.0);
      Sec_SetText(hDlg, idEdit, sz);
    } else {
      // The bar moves the value by its position, then returns to 0.
      double d = Sec_GetDouble(hDlg, idEdit);
      SetScrollPos(hBar, SB_CTL, 0, TRUE);
      if (d == KRED_NOTHING || iPos == 0)
        return true; // no value to move, or no move
      float f = (float)((double)Fields_ToFloat(d) + (double)iPos / 8.0);
      snprintf(sz, sizeof(sz), "%g", (double)f);
      Sec_SetText(hDlg, idEdit, sz);
    }
    if (bApply)
      Sec_SendApply(hDlg);
    return true;
  }
  return false;
}

void SecTex_ApplyAngle(HWND hDlg, WINSEC_DLG_DATA *pd) {
  ST_SURFACE s;
  st_Surface(pd, 0, 0, &s);
  if (Sec_TakePos(pd, hDlg, IDC_SEC_CEIL_ANGLE_BAR))
    *s.pwAngle = (uint16_t)Sec_BarPos(hDlg, IDC_SEC_CEIL_ANGLE_BAR);
}

void SecTex_ApplyAlignments(HWND hDlg, WINSEC_DLG_DATA *pd) {
  ST_SURFACE s;
  st_Surface(pd, 0, 0, &s);
  if (Sec_TakeText(pd, hDlg, IDC_SEC_CEIL_X))
    *s.pdX = Sec_GetDouble(hDlg, IDC_SEC_CEIL_X);
  if (Sec_TakeText(pd, hDlg, IDC_SEC_CEIL_Y))
    *s.pdY = Sec_GetDouble(hDlg, IDC_SEC_CEIL_Y);
  if (pd->iFloorChose != -1)
    st_StoreColumn(hDlg, pd, 1, pd->iFloorChose, false);
}

void SecTex_ApplyIndices(HWND hDlg, WINSEC_DLG_DATA *pd) {
  for (int iCol = 0; iCol < WS_COLUMNS; iCol++) {
    ST_SURFACE s;
    if (!st_Surface(pd, iCol, iCol == 0 ? 0 : pd->iFloorChose, &s))
      continue;
    const ST_COLUMN &c = stColumns[iCol];
    if (*s.piIndex == ST_ANIMATED || !Sec_TakeSel(pd, hDlg, c.idList))
      continue;
    int iSel = (int)Sec_Send(hDlg, c.idList, CB_GETCURSEL, 0, 0);
    if (iSel >= 0)
      *s.piIndex = iSel - 1;
  }
}

void SecTex_ResetRanges(HWND hDlg, WINSEC_DLG_DATA *pd) {
  for (int iCol = 0; iCol < WS_COLUMNS; iCol++) {
    ST_SURFACE s;
    if (!st_Surface(pd, iCol, iCol == 0 ? 0 : pd->iFloorChose, &s))
      continue;
    const ST_COLUMN &c = stColumns[iCol];
    SEC_TEX_AXIS ax[2];
    st_Axes(pd, *s.piIndex, ax);
    st_SetAlignBar(hDlg, pd, iCol, 0, ax[0], Sec_GetDouble(hDlg, c.idX));
    st_SetAlignBar(hDlg, pd, iCol, 1, ax[1], Sec_GetDouble(hDlg, c.idY));
  }
}

void HidePCXOptions(HWND hDlg) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (pd == NULL || pd->wsResults == NULL)
    return;
  const int *ipOn[WS_COLUMNS] = {ipCeilTexOnIDs, ipFloorTexOnIDs};
  const int *ipOff[WS_COLUMNS] = {ipCeilTexOffIDs, ipFloorTexOffIDs};
  for (int iCol = 0; iCol < WS_COLUMNS; iCol++) {
    if (pd->iSetChosen != 1) {
      for (const int *p = ipOff[iCol]; *p != 0; p++)
        Sec_Show(hDlg, *p, false);
      continue;
    }
    ST_SURFACE s;
    bool bAnimated =
        st_Surface(pd, iCol, iCol == 0 ? 0 : pd->iFloorChose, &s) && *s.piIndex == ST_ANIMATED;
    for (const int *p = ipOn[iCol]; *p != 0; p++)
      Sec_Show(hDlg, *p, !bAnimated);
    for (const int *p = ipOff[iCol]; *p != 0; p++)
      Sec_Show(hDlg, *p, bAnimated);
  }
}

void SectorEditorRightButton(HWND hView, int x, int y) {
  HWND hSec = hDialogSet[1];
  if (hSec == NULL || !IsWindow(hSec) || (rtChoice != 0 && rtChoice != 1) || hView == NULL)
    return;
  RECT rc;
  GetClientRect(hView, &rc);
  int iZoom = GetScrollPos(Sec_Ctl(GetParent(hView), IDC_MAIN_ZOOM), SB_CTL);
  if (iZoom < 1)
    iZoom = 1;
  int iSlot = Snapshot_BeginRead();
  float fPlayerX = pvSet[iSlot].x, fPlayerY = pvSet[iSlot].y;
  Snapshot_EndRead();
  float wx = 0, wy = 0;
  ConvertScreenToWorld((rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2, x, y, fPlayerX, fPlayerY,
                       &wx, &wy, iZoom);
  SendMessageA(hSec, WM_COMMAND, IDC_SEC_LAYER, 1);
  char sz[ST_TEXT];
  int idX = rtChoice == 1 ? IDC_SEC_CEIL_X : IDC_SEC_FLOOR_X;
  int idY = rtChoice == 1 ? IDC_SEC_CEIL_Y : IDC_SEC_FLOOR_Y;
  snprintf(sz, sizeof(sz), "%g", (double)wx);
  Sec_SetText(hSec, idX, sz);
  snprintf(sz, sizeof(sz), "%g", (double)wy);
  Sec_SetText(hSec, idY, sz);
  PostMessageA(hSec, WM_COMMAND, IDC_SEC_APPLY, 0);
}
