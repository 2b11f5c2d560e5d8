// The wall editor: a modeless dialog on the targeted walls, showing their
// four textures with alignments and their flags. Flags, texture lists and
// alignment scroll bars apply at once; typed alignments with APPLY or DONE.
//
// An apply sends only what the designer changed: a value shown wrapped and
// rounded, a "?" and an untouched texture or flag leave every wall's own
// value exactly as it is.
#include "kreditor.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int iLevelSelected = 0;

// Timer of the refresh after a revert (the game takes a moment to apply the
// walls) or after a command found the game in another level.
#define WW_REFRESH_TIMER 1
#define WW_REVERT_WAIT_MS 500
#define WW_LEVEL_WAIT_MS 1

// The wall flag names, shared by reference count between wall dialogs.
static char *szFlagNames[KRED_FLAG_NAMES];
static char *szFlagNameBlock = NULL;
static int iFlagNamesLock = 0;

// Per level: the "< Animated >" text, shown instead of the texture list.
static const int iOnHideItems[WW_LEVELS] = {IDC_WALL_UPPER_ANIMATED, IDC_WALL_MIDDLE_ANIMATED,
                                            IDC_WALL_LOWER_ANIMATED, IDC_WALL_OVERLAY_ANIMATED};
static const int iOffHideItems[WW_LEVELS] = {IDC_WALL_UPPER_TEXTURE, IDC_WALL_MIDDLE_TEXTURE,
                                             IDC_WALL_LOWER_TEXTURE, IDC_WALL_OVERLAY_TEXTURE};
static const int iFrameItems[WW_LEVELS] = {IDC_WALL_UPPER_FRAME, IDC_WALL_MIDDLE_FRAME,
                                           IDC_WALL_LOWER_FRAME, IDC_WALL_OVERLAY_FRAME};

#define WW_BOX_LABEL 40

// The run's wall editor window, hidden while the editor is closed (slot 2
// of hDialogSet holds it only while it is open); made after the sector
// editor's at the start of the run, or by an opening that comes first.
static HWND hWallKept = NULL;
static bool bWallPrepared = false;

// State of one wall dialog, on its user slot from creation to destruction.
struct WALLDLG_DATA {
  WINWALL_RESULTS *wwResults;           // the record shown, owned by the dialog; null when closed
  WALL_TARGETS wtTargets;               // the walls it was gathered from
  WALLED_TOUCHED wtTouched;             // what the designer changed since it came
  int iShownItem[WW_LEVELS];            // texture list selections as loaded or last applied
  int iShownCheck[IDC_WALL_FLAG_BOXES]; // check states as loaded
  bool bLoading;                        // the dialog itself is writing its controls
  int cMissingTold;                     // walls already reported as no longer answering
  bool bFlagNames;                      // it holds the flag names
  char szBoxLabels[IDC_WALL_FLAG_BOXES][WW_BOX_LABEL]; // the template's box labels
  // The texture table the lists were filled from, or that they were filled
  // before the run's own table was there.
  uint32_t dwTexGeneration;
  bool bTexListsFilled;
};

static WALLDLG_DATA *ww_Data(HWND hDlg) {
  return (WALLDLG_DATA *)GetWindowLongPtrA(hDlg, DWLP_USER);
}

static void ww_Close(HWND hDlg);

// Alignment k (0 upper X, 1 upper Y, 2 middle X, ...): its edit and bar.
static int ww_EditId(int k) {
  return IDC_WALL_UPPER_ALIGNX + 100 * (k / 2) + 10 * (k % 2);
}

// The alignment an edit (bScrollBar false) or scroll bar id belongs to, or -1.
static int ww_AlignOf(int iId, bool bScrollBar) {
  for (int k = 0; k < WW_ALIGNS; k++)
    if (iId == ww_EditId(k) + (bScrollBar ? 1 : 0))
      return k;
  return -1;
}

// ---------------------------------------------------------------------------
// Flag names

static void ww_TakeFlagNames(void) {
  if (iFlagNamesLock == 0) {
    szFlagNameBlock = (char *)calloc(KRED_FLAG_NAMES, KRED_FLAG_NAME_LEN);
    // Without memory the template's labels stay.
    if (szFlagNameBlock != NULL) {
      for (int i = 0; i < KRED_FLAG_NAMES; i++)
        szFlagNames[i] = szFlagNameBlock + i * KRED_FLAG_NAME_LEN;
      LoadWallFlagNames(szFlagNames);
    }
  }
  iFlagNamesLock++;
}

static void ww_DropFlagNames(void) {
  if (iFlagNamesLock <= 0)
    return;
  if (--iFlagNamesLock == 0) {
    free(szFlagNameBlock);
    szFlagNameBlock = NULL;
    for (int i = 0; i < KRED_FLAG_NAMES; i++)
      szFlagNames[i] = NULL;
  }
}

// ---------------------------------------------------------------------------
// Controls

static void HideATXItems(HWND hDlg) {
  WALLDLG_DATA *pData = ww_Data(hDlg);
  if (pData == NULL || pData->wwResults == NULL)
    return;
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++) {
    bool bAnimated = *WallEd_Texture(pData->wwResults, iLevel) == -2;
    ShowWindow(GetDlgItem(hDlg, iOnHideItems[iLevel]), bAnimated ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(hDlg, iOffHideItems[iLevel]), bAnimated ? SW_HIDE : SW_SHOW);
  }
}

// The setters below touch a control only when its state changes: each
// change of a visible control repaints it at once, and a refresh or an
// apply that rewrote all forty of them would keep the editor busy for tens
// of milliseconds.
static void ww_SetBar(HWND hBar, int iMin, int iMax, int iPos) {
  SetScrollBarIfChanged(hBar, iMin, iMax, iPos, true);
}

static void ww_SetCheck(HWND hDlg, int iId, UINT uCheck) {
  if (IsDlgButtonChecked(hDlg, iId) != uCheck)
    CheckDlgButton(hDlg, iId, uCheck);
}

// The edit's text as SetDlgItemDouble shows the value.
static void ww_SetAlignText(HWND hDlg, int iId, double dValue) {
  char szNew[KRED_DOUBLE_TEXT], szOld[KRED_DOUBLE_TEXT + 2];
  Fields_DoubleText(szNew, sizeof(szNew), dValue);
  szOld[0] = '\0';
  GetDlgItemTextA(hDlg, iId, szOld, (int)sizeof(szOld));
  if (strcmp(szOld, szNew) != 0)
    SetDlgItemTextA(hDlg, iId, szNew);
}

// Ranges from each level's texture and positions from the record's values.
static void ww_SetScrollBars(HWND hDlg, WINWALL_RESULTS *wr) {
  for (int k = 0; k < WW_ALIGNS; k++) {
    int iMin = 0, iMax = 0;
    WallEd_ScrollRange(*WallEd_Texture(wr, k / 2), (k % 2) != 0, &iMin, &iMax);
    ww_SetBar(GetDlgItem(hDlg, ww_EditId(k) + 1), iMin, iMax,
              WallEd_ScrollPos(*WallEd_Align(wr, k), iMin, iMax));
  }
}

static void ww_FillTextureLists(HWND hDlg, WALLDLG_DATA *pData) {
  pData->dwTexGeneration = Textures_Generation();
  pData->bTexListsFilled = RunTexturesReady();
  int n = pData->bTexListsFilled ? Textures_Count() : 0;
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++) {
    HWND hList = GetDlgItem(hDlg, iOffHideItems[iLevel]);
    SendMessageA(hList, WM_SETFONT, (WPARAM)hFixedFont, TRUE);
    SendMessageA(hList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(hList, CB_RESETCONTENT, 0, 0);
    SendMessageA(hList, CB_INITSTORAGE, (WPARAM)(n + 1), (LPARAM)((n + 1) * 90));
    SendMessageA(hList, CB_ADDSTRING, 0, (LPARAM)szUnknownDesc);
    for (int i = 0; i < n; i++)
      SendMessageA(hList, CB_ADDSTRING, 0, (LPARAM)feTextures[i].szName);
    SendMessageA(hList, WM_SETREDRAW, TRUE, 0);
  }
}

static void ww_MarkLevel(HWND hDlg, LPARAM lLevel) {
  iLevelSelected = (int)lLevel;
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++)
    ShowWindow(GetDlgItem(hDlg, iFrameItems[iLevel]), iLevel == iLevelSelected ? SW_SHOW : SW_HIDE);
}

// ---------------------------------------------------------------------------
// A new record (message 2269): the dialog owns it from now on. wParam: the
// walls it was gathered from (null: none).

static void ww_Load(HWND hDlg, const WALL_TARGETS *wt, WINWALL_RESULTS *wr) {
  WALLDLG_DATA *pData = ww_Data(hDlg);
  if (pData == NULL || wr == NULL) {
    free(wr);
    return;
  }
  if (pData->wwResults != wr)
    free(pData->wwResults);
  pData->wwResults = wr;
  if (wt != NULL)
    pData->wtTargets = *wt;
  else
    memset(&pData->wtTargets, 0, sizeof(pData->wtTargets));
  memset(&pData->wtTouched, 0, sizeof(pData->wtTouched));
  pData->cMissingTold = 0;

  char szTitle[80];
  if (dwWallTag != 0)
    snprintf(szTitle, sizeof(szTitle), "Modifying Wall Attributes for Wall %lX",
             (unsigned long)dwWallTag);
  else
    snprintf(szTitle, sizeof(szTitle), "Modifying Multiple Wall Attributes");
  SetWindowTextA(hDlg, szTitle);

  WallEd_PrepareRecord(wr);

  pData->bLoading = true;
  ww_SetScrollBars(hDlg, wr);
  for (int k = 0; k < WW_ALIGNS; k++)
    ww_SetAlignText(hDlg, ww_EditId(k), *WallEd_Align(wr, k));
  for (int i = 0; i < IDC_WALL_FLAG_BOXES; i++) {
    uint8_t b = wr->bFlagSet[i];
    int iCheck = (b == WW_FLAG_CLEAR || b == WW_FLAG_SET) ? b - 1 : BST_INDETERMINATE;
    ww_SetCheck(hDlg, IDC_WALL_FLAG0 + i, (UINT)iCheck);
    pData->iShownCheck[i] = iCheck;
  }
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++) {
    HWND hList = GetDlgItem(hDlg, iOffHideItems[iLevel]);
    // An index the list does not have (beyond the table, below -2) leaves
    // no item selected; the level then keeps its texture unless one is
    // chosen.
    int32_t t = *WallEd_Texture(wr, iLevel);
    int iItem = t >= -1 && t < Textures_Count() ? (int)t + 1 : -1;
    if ((int)SendMessageA(hList, CB_GETCURSEL, 0, 0) != iItem)
      SendMessageA(hList, CB_SETCURSEL, (WPARAM)iItem, 0);
    pData->iShownItem[iLevel] = (int)SendMessageA(hList, CB_GETCURSEL, 0, 0);
  }
  HideATXItems(hDlg);
  pData->bLoading = false;
}

// ---------------------------------------------------------------------------
// Apply and revert

// Takes the designer's changes from the controls into the record and
// applies it. Everything not changed goes out as "leave unchanged".
static void ww_Apply(HWND hDlg, WALLDLG_DATA *pData, WALL_OUTCOME *wo) {
  WINWALL_RESULTS *wr = pData->wwResults;
  memset(wo, 0, sizeof(*wo));
  if (wr == NULL)
    return;
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++) {
    if (*WallEd_Texture(wr, iLevel) == -2)
      continue; // animated: shown, never chosen
    int iItem = (int)SendDlgItemMessageA(hDlg, iOffHideItems[iLevel], CB_GETCURSEL, 0, 0);
    if (iItem >= 0 && iItem != pData->iShownItem[iLevel]) {
      *WallEd_Texture(wr, iLevel) = iItem - 1;
      pData->iShownItem[iLevel] = iItem;
      pData->wtTouched.bTexture[iLevel] = true;
    }
  }
  for (int k = 0; k < WW_ALIGNS; k++)
    if (pData->wtTouched.bAlign[k])
      *WallEd_Align(wr, k) = GetDlgItemDouble(hDlg, ww_EditId(k));
  for (int i = 0; i < IDC_WALL_FLAG_BOXES; i++) {
    int iCheck = (int)IsDlgButtonChecked(hDlg, IDC_WALL_FLAG0 + i);
    if (iCheck != pData->iShownCheck[i])
      pData->wtTouched.bFlag[i] = true;
    if (pData->wtTouched.bFlag[i])
      wr->bFlagSet[i] = (uint8_t)(iCheck + 1);
  }
  WINWALL_RESULTS wrSend;
  WallEd_RecordToApply(wr, &pData->wtTouched, &wrSend);
  PostWallResults(&wrSend, &pData->wtTargets, wo);
}

static void ww_Command(HWND hDlg, int iId, int iCode, LPARAM lParam) {
  WALLDLG_DATA *pData = ww_Data(hDlg);
  if (iId >= IDC_WALL_FLAG0 && iId < IDC_WALL_FLAG0 + 100) {
    // After the box has taken its new state.
    PostMessageA(hDlg, WM_COMMAND, IDC_WALL_APPLY, 0);
    return;
  }
  for (int iLevel = 0; iLevel < WW_LEVELS; iLevel++) {
    if (iId == iOffHideItems[iLevel]) {
      if (iCode == CBN_SELCHANGE)
        PostMessageA(hDlg, WM_COMMAND, IDC_WALL_APPLY, 0);
      return;
    }
  }
  int k = ww_AlignOf(iId, false);
  if (k >= 0) {
    // Typing, a key command or an alignment tool writing into the edit.
    if (iCode == EN_CHANGE && pData != NULL && !pData->bLoading)
      pData->wtTouched.bAlign[k] = true;
    return;
  }
  WALL_OUTCOME wo;
  switch (iId) {
  case IDC_WALL_APPLY:
    if (pData == NULL)
      return;
    ww_Apply(hDlg, pData, &wo);
    if (pData->wwResults != NULL)
      ww_SetScrollBars(hDlg, pData->wwResults);
    if (wo.bLevelChanged)
      SetTimer(hDlg, WW_REFRESH_TIMER, WW_LEVEL_WAIT_MS, NULL);
    // Last: the message's loop may end the dialog.
    WallFlow_Report(&wo, &pData->cMissingTold);
    break;
  case IDOK:
    if (pData == NULL)
      return;
    ww_Apply(hDlg, pData, &wo);
    PostMessageA(hDlg, WM_CLOSE, 0, 0);
    WallFlow_Report(&wo, &pData->cMissingTold);
    break;
  case IDCANCEL:
    ww_Close(hDlg);
    break;
  case IDC_WALL_REVERT:
    if (pData == NULL)
      return;
    // The edits go back with the walls: an apply before the refresh must
    // not send them again.
    memset(&pData->wtTouched, 0, sizeof(pData->wtTouched));
    RevertWallDialog(&pData->wtTargets, &wo);
    // The game takes a moment; the refresh reads the walls afterwards,
    // without holding up the editor meanwhile.
    SetTimer(hDlg, WW_REFRESH_TIMER, wo.bLevelChanged ? WW_LEVEL_WAIT_MS : WW_REVERT_WAIT_MS, NULL);
    WallFlow_Report(&wo, &pData->cMissingTold);
    break;
  case IDM_WALL_LEVEL:
    ww_MarkLevel(hDlg, lParam);
    break;
  default:
    break;
  }
}

static void ww_HScroll(HWND hDlg, WPARAM wParam, HWND hBar) {
  if (hBar == NULL)
    return;
  int iId = GetDlgCtrlID(hBar);
  int iPos = StepScrollBar(hBar, LOWORD(wParam), HIWORD(wParam), WW_PAGE_STEP);
  int k = ww_AlignOf(iId, true);
  if (k < 0)
    return;
  WALLDLG_DATA *pData = ww_Data(hDlg);
  if (pData != NULL)
    pData->wtTouched.bAlign[k] = true;
  char szPos[32];
  snprintf(szPos, sizeof(szPos), "%g", (double)iPos);
  SetDlgItemTextA(hDlg, ww_EditId(k), szPos);
  SendMessageA(hDlg, WM_COMMAND, IDC_WALL_APPLY, 0);
}

// ---------------------------------------------------------------------------
// Creation and destruction

static void ww_InitDialog(HWND hDlg) {
  WALLDLG_DATA *pData = (WALLDLG_DATA *)calloc(1, sizeof(WALLDLG_DATA));
  if (pData == NULL) {
    DestroyWindow(hDlg);
    return;
  }
  SetWindowLongPtrA(hDlg, DWLP_USER, (LONG_PTR)pData);
  for (int i = 0; i < IDC_WALL_FLAG_BOXES; i++)
    GetDlgItemTextA(hDlg, IDC_WALL_FLAG0 + i, pData->szBoxLabels[i], WW_BOX_LABEL);
  ww_FillTextureLists(hDlg, pData);
}

// A box's label, written only when it changes.
static void ww_SetLabel(HWND hDlg, int iId, const char *szLabel) {
  char szNow[KRED_FLAG_NAME_LEN];
  szNow[0] = '\0';
  GetDlgItemTextA(hDlg, iId, szNow, (int)sizeof(szNow));
  if (strcmp(szNow, szLabel) != 0)
    SetDlgItemTextA(hDlg, iId, szLabel);
}

// An opening: the dialog starts afresh on the record, as a new one would.
static void ww_Open(HWND hDlg, WALLDLG_DATA *pData, WINWALL_RESULTS *wr, const WALL_TARGETS *wt,
                    HWND hOwner) {
  // The names are read at every opening, so an edited list shows at once.
  if (pData->bFlagNames)
    ww_DropFlagNames();
  ww_TakeFlagNames();
  pData->bFlagNames = true;
  for (int i = 0; i < IDC_WALL_FLAG_BOXES; i++)
    ww_SetLabel(hDlg, IDC_WALL_FLAG0 + i,
                szFlagNameBlock != NULL && szFlagNames[i][0] != '\0' ? szFlagNames[i]
                                                                     : pData->szBoxLabels[i]);
  if (!pData->bTexListsFilled || pData->dwTexGeneration != Textures_Generation())
    ww_FillTextureLists(hDlg, pData);
  SendMessageA(hDlg, WM_COMMAND, IDM_WALL_LEVEL, (LPARAM)iLevelSelected);
  SendMessageA(hDlg, WM_KRED_NEWRESULTS, (WPARAM)wt, (LPARAM)wr);
  KeptDlg_Show(hDlg, hOwner, "FULLWALL");
}

// Closing hides the window; the record goes, as it would with the window.
static void ww_Close(HWND hDlg) {
  WALLDLG_DATA *pData = ww_Data(hDlg);
  if (pData == NULL || hDlg != hWallKept) {
    DestroyWindow(hDlg);
    return;
  }
  KillTimer(hDlg, WW_REFRESH_TIMER);
  ShowWindow(hDlg, SW_HIDE);
  free(pData->wwResults);
  pData->wwResults = NULL;
  WallDialogIsClosing(hDlg);
}

static void ww_Destroy(HWND hDlg) {
  KillTimer(hDlg, WW_REFRESH_TIMER);
  WALLDLG_DATA *pData = ww_Data(hDlg);
  SetWindowLongPtrA(hDlg, DWLP_USER, 0);
  if (pData != NULL) {
    free(pData->wwResults);
    if (pData->bFlagNames)
      ww_DropFlagNames();
    free(pData);
  }
  EmptyWindowSlot(&hWallKept, hDlg);
  WallDialogIsClosing(hDlg);
}

extern "C" INT_PTR CALLBACK EditWallDlgProc(HWND hDlg, UINT wMsg, WPARAM wParam, LPARAM lParam) {
  switch (wMsg) {
  case WM_INITDIALOG:
    ww_InitDialog(hDlg);
    break;
  case WM_KRED_NEWRESULTS:
    ww_Load(hDlg, (const WALL_TARGETS *)wParam, (WINWALL_RESULTS *)lParam);
    break;
  case WM_COMMAND:
    ww_Command(hDlg, LOWORD(wParam), HIWORD(wParam), lParam);
    break;
  case WM_HSCROLL:
    ww_HScroll(hDlg, wParam, (HWND)lParam);
    break;
  case WM_TIMER:
    if (wParam == WW_REFRESH_TIMER) {
      KillTimer(hDlg, WW_REFRESH_TIMER);
      UpdateWallDialog();
    }
    break;
  case WM_CLOSE:
    ww_Close(hDlg);
    // Left to the dialog manager, WM_CLOSE would post IDCANCEL, which a
    // destroyed dialog never saw but the kept one would, maybe after an
    // opening that came meanwhile.
    return TRUE;
  case WM_DESTROY:
    ww_Destroy(hDlg);
    break;
  default:
    break;
  }
  return FALSE;
}

// ---------------------------------------------------------------------------
// Opening

// The run's window: the hidden one, or a new one.
static HWND ww_Window(HWND hOwner) {
  HWND hWall = hWallKept;
  if (hWall != NULL && IsWindow(hWall) && GetWindow(hWall, GW_OWNER) == hOwner)
    return hWall;
  if (hWall != NULL && IsWindow(hWall) &&
      GetWindowThreadProcessId(hWall, NULL) == GetCurrentThreadId())
    DestroyWindow(hWall);
  hWallKept = KeptDlg_Create("FULLWALL", hOwner, EditWallDlgProc, 0);
  return hWallKept;
}

// Opens the editor on the record, which it owns from now on (also when it
// cannot open): the run's hidden window, or a new one.
static HWND WallDlg(WINWALL_RESULTS *wwResults, const WALL_TARGETS *wt, HWND hDlg) {
  HWND hWall = ww_Window(hDlg);
  WALLDLG_DATA *pData = hWall != NULL ? ww_Data(hWall) : NULL;
  if (pData == NULL) {
    free(wwResults);
    return NULL;
  }
  ww_Open(hWall, pData, wwResults, wt, hDlg);
  return hWall;
}

void WallEditorNewRun(void) {
  // A window left by the previous run is that run's to destroy.
  hWallKept = NULL;
  bWallPrepared = false;
  // Each run starts with the upper level chosen, as the first one did.
  iLevelSelected = 0;
}

bool WallEditorPrepare(HWND hMain) {
  if (bWallPrepared || !RunTexturesReady() || RunIsEnding())
    return false;
  bWallPrepared = true;
  if (hWallKept != NULL)
    return false;
  ww_Window(hMain);
  return true;
}

void OpenWallEditor(HWND hMain) {
  HWND hWall = hDialogSet[2];
  if (hWall != NULL && IsWindow(hWall)) {
    SetFocus(hWall);
    return;
  }
  WINWALL_RESULTS *wr = (WINWALL_RESULTS *)calloc(1, sizeof(WINWALL_RESULTS));
  if (wr == NULL) {
    ErrMsg("Not enough memory to open the wall editor.");
    return;
  }
  WALL_TARGETS wt;
  CreateWallData(wr, &wt);
  // A message of the gathering runs a message loop, in which the editor may
  // have been opened, or the main dialog closed.
  hWall = hDialogSet[2];
  if ((hWall != NULL && IsWindow(hWall)) || hDialogSet[0] != hMain || !IsWindow(hMain)) {
    free(wr);
    return;
  }
  hWall = WallDlg(wr, &wt, hMain);
  if (hWall == NULL) {
    ErrMsg("Cannot open the wall editor (system error %lu).", (unsigned long)GetLastError());
    return;
  }
  hDialogSet[2] = hWall;
}
