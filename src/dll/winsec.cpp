// The sector editor: a modeless dialog on the working record of one sector,
// with four pages ("Misc.", "Textures", "Flags", "Slope"). This module holds
// the frame: opening it on the player's sector and following him, creation
// and destruction, the pages, the refresh, the command table, the scroll
// rule, APPLY, DONE, Escape and REVERT. The pages' own work is in
// winsec_misc.cpp, winsec_levels.cpp, winsec_tex.cpp and winsec_flags.cpp.
#include "winsec.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int iFCSelected = -1;
uint32_t dwGrabbedSector = 0;
uint32_t dwGrabbedWall = 0;
uint16_t wCurrentNumberOfFloors = 1;
const char szUnknownDesc[] = "      ?";
const char szUnknownName[] = "";

// The pages: their radio buttons and the controls each shows.
static const int iOptionSets[4] = {IDC_SEC_PAGE_MISC, IDC_SEC_PAGE_TEXTURES, IDC_SEC_PAGE_FLAGS,
                                   IDC_SEC_PAGE_SLOPE};
static const int ipSecLevels[] = {8000, 1041, 1040, 1051, 1050, 8001, 1000, 8002, 1010,
                                  1011, 8003, 1060, 8004, 1070, 1071, 1080, 1081, 1090,
                                  1091, 8040, 1100, 1101, 1110, 1111, 0};
static const int ipSecTextures[] = {8010, 6000, 8011, 8012, 7010, 7020, 6001, 8013, 8014,
                                    8015, 2000, 2010, 2011, 2020, 2021, 5010, 5010, 5011,
                                    2100, 2110, 2111, 2120, 2121, 5000, 5000, 5001, 0};
static const int ipSecFlags[] = {8020, 4000, 4001, 4002, 4003, 4004, 4005, 4006, 4007, 4008, 4009,
                                 4010, 4011, 4012, 4013, 4014, 4015, 4016, 4017, 4018, 4019, 4020,
                                 4021, 4022, 4023, 4024, 4025, 4026, 4027, 4028, 4029, 0};
static const int ipSecSlopes[] = {8030, 8031, 4030, 4031, 9000, 9001, 9010, 9020, 9030, 9100, 9101,
                                  9110, 9120, 9130, 1230, 1200, 1201, 1210, 1211, 1220, 1221, 0};
static const int *const iSecDispSets[4] = {ipSecLevels, ipSecTextures, ipSecFlags, ipSecSlopes};

#define WS_PAGE_TEXTURES 1

// A message box of the sector editor is open. Its loop keeps dispatching the
// main dialog's timer, whose follow would replace the record under the
// handler that reported; the follow waits until the box is closed.
static int iSecReporting = 0;
// The run's sector editor window, hidden while the editor is closed (slot 1
// of hDialogSet holds it only while it is open). Made once the main dialog
// has painted and the run has its texture table (or by an opening that
// comes first); destroyed with the run's windows.
static HWND hSecKept = NULL;
static bool bSecPrepared = false;

// Reports through ErrMsg. Every handler calls it as its very last step: the
// dialog may be gone when the box closes.
static void Sec_Report(const char *szFormat, ...) {
  char szText[300];
  va_list va;
  va_start(va, szFormat);
  vsnprintf(szText, sizeof(szText), szFormat, va);
  va_end(va);
  iSecReporting++;
  ErrMsg("%s", szText);
  iSecReporting--;
}

static void Sec_ReportNotKept(uint32_t dwTag) {
  Sec_Report("Sector %lX was sent to the game, but the change could not be recorded for the fixup "
             "file (not enough memory).",
             (unsigned long)dwTag);
}

// ---------------------------------------------------------------------------
// Shared helpers of the pages

WINSEC_DLG_DATA *Sec_Data(HWND hDlg) {
  return (WINSEC_DLG_DATA *)GetWindowLongPtrA(hDlg, DWLP_USER);
}

void Sec_PostApply(HWND hDlg) {
  PostMessageA(hDlg, WM_COMMAND, IDC_SEC_APPLY, 0);
}

void Sec_SendApply(HWND hDlg) {
  SendMessageA(hDlg, WM_COMMAND, IDC_SEC_APPLY, 0);
}

// ---------------------------------------------------------------------------
// Pages

static void SelectSectorOptionSet(HWND hDlg, int iChoice) {
  // Hide the pages first, then show the chosen one, so controls that two
  // pages would share end up shown.
  for (int i = 0; i < 4; i++) {
    Sec_SetCheck(hDlg, iOptionSets[i], i == iChoice ? BST_CHECKED : BST_UNCHECKED);
    if (i != iChoice)
      for (const int *p = iSecDispSets[i]; *p != 0; p++)
        Sec_Show(hDlg, *p, false);
  }
  if (iChoice < 0 || iChoice > 3)
    return;
  for (const int *p = iSecDispSets[iChoice]; *p != 0; p++)
    Sec_Show(hDlg, *p, true);
  if (iChoice == WS_PAGE_TEXTURES) {
    Sec_Show(hDlg, IDC_SEC_CEIL_MARK, iFCSelected == 0);
    Sec_Show(hDlg, IDC_SEC_FLOOR_MARK, iFCSelected == 1);
  }
}

// Many controls change at once (a page switch): the dialog draws nothing
// until they are done, then once. Only a dialog on the screen is frozen; a
// hidden one draws nothing anyway.
static bool Sec_Freeze(HWND hDlg) {
  if (!IsWindowVisible(hDlg))
    return false;
  SendMessageA(hDlg, WM_SETREDRAW, FALSE, 0);
  return true;
}

static void Sec_Thaw(HWND hDlg, bool bFrozen) {
  if (!bFrozen)
    return;
  SendMessageA(hDlg, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(hDlg, NULL, NULL, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

static void Sec_ShowPage(HWND hDlg, WINSEC_DLG_DATA *pd, int iPage) {
  bool bFrozen = Sec_Freeze(hDlg);
  SelectSectorOptionSet(hDlg, iPage);
  pd->iSetChosen = iPage;
  HidePCXOptions(hDlg);
  Sec_Thaw(hDlg, bFrozen);
}

static int IsOptionSetCommand(int id, HWND hDlg, WINSEC_DLG_DATA *pd) {
  for (int i = 0; i < 4; i++)
    if (iOptionSets[i] == id) {
      Sec_ShowPage(hDlg, pd, i);
      return 1;
    }
  return 0;
}

// ---------------------------------------------------------------------------
// Refresh (2269)

static void Sec_Refresh(HWND hDlg, WINSEC_RESULTS *wrNew) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (pd == NULL || pd->wsResults == NULL) {
    KillWR(wrNew); // handed over, so it is ours to free
    return;
  }
  if (wrNew != NULL && wrNew != pd->wsResults) {
    KillWR(pd->wsResults);
    pd->wsResults = wrNew;
  }
  WINSEC_RESULTS *wr = pd->wsResults;
  pd->hRefreshFocus = GetFocus();
  pd->bRefreshing = true;
  // Only controls whose value changes are touched, and each of them
  // repaints itself: a visible dialog is not frozen and drawn anew as a
  // whole, which would cost more than the few changes of a follow.
  SecSlope_ShowLabels(hDlg, pd);
  SecMisc_Show(hDlg, pd);
  SecVelocity_Show(hDlg, pd);
  bool bName = wr->szSecName != NULL;
  EnableWindow(Sec_Ctl(hDlg, IDC_SEC_NAME), bName);
  EnableWindow(Sec_Ctl(hDlg, IDC_SEC_NAME_LABEL), bName);
  if (bName)
    SecMisc_ShowName(hDlg, wr->szSecName);
  SecLevels_Fill(hDlg, pd);
  SecTex_ShowCeiling(hDlg, pd);
  SecFlags_Show(hDlg, pd);
  // The floor list's selection and floor 0's texture column follow at once
  // rather than posted, so that a refresh is complete when it returns.
  SecLevels_FloorChosen(hDlg, pd);
  SecLevels_MarkShown(hDlg, pd);
  // The slope bars are shown without an APPLY: a refresh sends nothing to
  // the game and records nothing.
  SecSlope_ShowAngles(hDlg, pd);
  HidePCXOptions(hDlg);
  // The title last: a title that names the sector stands for a dialog that
  // shows all of it.
  char szTitle[80];
  snprintf(szTitle, sizeof(szTitle), "Modifying Sector Attributes for Sector %lX",
           (unsigned long)wr->dwSecTag);
  char szNow[sizeof(szTitle)];
  szNow[0] = '\0';
  GetWindowTextA(hDlg, szNow, (int)sizeof(szNow));
  if (strcmp(szNow, szTitle) != 0)
    SetWindowTextA(hDlg, szTitle);
  pd->bRefreshing = false;
}

// ---------------------------------------------------------------------------
// APPLY, DONE, REVERT

// PostSectorResults with the editor's host link; false when a record was
// not kept (the sector was sent all the same).
static bool Sec_Post(WINSEC_RESULTS *wr) {
  return PostSectorResults(gCallBack, wr);
}

static void Sec_Apply(HWND hDlg, bool bDone) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (pd == NULL || pd->wsResults == NULL)
    return;
  WINSEC_RESULTS *wr = pd->wsResults;
  // The running level's tables take the records; should they be missing,
  // the records fail and are reported below.
  SelectHostLevel();
  SecSlope_Apply(hDlg, pd);
  char szSound[sizeof(wr->szStepSoundName)];
  Sec_GetText(hDlg, IDC_SEC_SOUND, szSound, (int)sizeof(szSound));
  memset(wr->szStepSoundName, 0, sizeof(wr->szStepSoundName));
  memcpy(wr->szStepSoundName, szSound, strlen(szSound));
  SecVelocity_Apply(hDlg, pd);
  SecLevels_Apply(hDlg, pd);
  SecTex_ApplyAngle(hDlg, pd);
  SecMisc_Apply(hDlg, pd);
  SecTex_ApplyAlignments(hDlg, pd);
  SecFlags_Apply(hDlg, pd);
  SecMisc_ApplyName(hDlg, pd);
  SecTex_ApplyIndices(hDlg, pd);
  bool bKept = Sec_Post(wr);
  uint32_t dwTag = wr->dwSecTag;
  if (bDone)
    PostMessageA(hDlg, WM_CLOSE, 0, 0);
  else
    SecTex_ResetRanges(hDlg, pd);
  if (!bKept)
    Sec_ReportNotKept(dwTag);
}

void RevertSectorDialog(uint32_t dwSecTag) {
  SelectHostLevel();
  int iStatus = SECTOR_FLOW_OK;
  bool bKept = true;
  WINSEC_RESULTS *wr = RevertSectorDialog(gCallBack, dwSecTag, &iStatus, &bKept);
  if (wr == NULL) {
    if (iStatus == SECTOR_FLOW_NOT_FOUND) {
      MessageBeep(0);
      Sec_Report("No changes to revert from!");
    } else {
      Sec_Report("Not enough memory to revert sector %lX.", (unsigned long)dwSecTag);
    }
    return;
  }
  HWND hSec = hDialogSet[1];
  if (hSec != NULL && IsWindow(hSec))
    SendMessageA(hSec, WM_KRED_NEWRESULTS, 0, (LPARAM)wr);
  else
    KillWR(wr);
  if (!bKept)
    Sec_ReportNotKept(dwSecTag);
}

// ---------------------------------------------------------------------------
// Creation and destruction

static void Sec_Init(HWND hDlg) {
  WINSEC_DLG_DATA *pd = (WINSEC_DLG_DATA *)calloc(1, sizeof(WINSEC_DLG_DATA));
  char *pBlock = (char *)calloc(KRED_FLAG_NAMES, KRED_FLAG_NAME_LEN);
  if (pd == NULL || pBlock == NULL) {
    free(pd);
    free(pBlock);
    DestroyWindow(hDlg); // CreateDialog then answers NULL
    return;
  }
  pd->iFloorChose = -1;
  Sec_TakeControls(hDlg, pd);
  SetWindowLongPtrA(hDlg, DWLP_USER, (LONG_PTR)pd);
  pd->pFlagNameBlock = pBlock;
  for (int i = 0; i < KRED_FLAG_NAMES; i++)
    pd->szFlagNames[i] = pBlock + i * KRED_FLAG_NAME_LEN;
  SecFlags_Init(hDlg, pd);

  const int idFixed[] = {IDC_SEC_CEIL_TEX, IDC_SEC_FLOOR_TEX, IDC_SEC_FLOORS};
  for (int id : idFixed)
    Sec_Send(hDlg, id, WM_SETFONT, (WPARAM)hFixedFont, FALSE);
  Sec_SetBar(hDlg, IDC_SEC_FSLOPE_BAR, SEC_SLOPE_MIN, SEC_SLOPE_MAX, 0);
  Sec_SetBar(hDlg, IDC_SEC_CSLOPE_BAR, SEC_SLOPE_MIN, SEC_SLOPE_MAX, 0);
  Sec_SetBar(hDlg, IDC_SEC_FLOOR_ANGLE_BAR, 0, SEC_ANGLE_MAX, 0);
  Sec_SetBar(hDlg, IDC_SEC_CEIL_ANGLE_BAR, 0, SEC_ANGLE_MAX, 0);
  SecMisc_Init(hDlg, pd);
  SecTex_FillLists(hDlg, pd);
}

// An opening: the dialog starts afresh on the record, as a new one would.
static void Sec_Open(HWND hDlg, WINSEC_DLG_DATA *pd, WINSEC_RESULTS *wr, HWND hParent) {
  KillWR(pd->wsResults); // none while closed
  pd->wsResults = wr;
  pd->iAbsDelta = 0;
  pd->iFloorChose = -1;
  pd->iTexOver = 0;
  memset(pd->bNudge, 0, sizeof(pd->bNudge));
  memset(pd->shown, 0, sizeof(pd->shown));
  // The names are read at every opening, so an edited list shows at once.
  memset(pd->pFlagNameBlock, 0, (size_t)KRED_FLAG_NAMES * KRED_FLAG_NAME_LEN);
  LoadSectorFlagNames(pd->szFlagNames);
  SecFlags_Label(hDlg, pd);
  SecTex_ShowLayer(hDlg, pd);
  if (!pd->bTexListsFilled || pd->dwTexGeneration != Textures_Generation())
    SecTex_FillLists(hDlg, pd);

  // Page 0 is chosen, but the column marking below shows the "Textures"
  // page at once.
  Sec_SetCheck(hDlg, IDC_SEC_PAGE_MISC, BST_CHECKED);
  pd->iSetChosen = 0;
  SendMessageA(hDlg, WM_COMMAND, IDC_SEC_COLUMN, (LPARAM)iFCSelected);
  SendMessageA(hDlg, WM_KRED_NEWRESULTS, 0, 0);
  KeptDlg_Show(hDlg, hParent, "WINSEC");
}

// Closing hides the window; the record goes, as it would with the window.
static void Sec_Close(HWND hDlg) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (pd == NULL || hDlg != hSecKept) {
    DestroyWindow(hDlg);
    return;
  }
  ShowWindow(hDlg, SW_HIDE);
  KillWR(pd->wsResults);
  pd->wsResults = NULL;
  SectorDialogIsClosing(hDlg);
}

static void Sec_Destroy(HWND hDlg) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  SetWindowLongPtrA(hDlg, DWLP_USER, 0);
  if (pd != NULL) {
    KillWR(pd->wsResults);
    free(pd->pFlagNameBlock);
    free(pd);
  }
  EmptyWindowSlot(&hSecKept, hDlg);
  SectorDialogIsClosing(hDlg);
}

// The run's window: the hidden one, or a new one.
static HWND Sec_Window(HWND hParent) {
  HWND hDlg = hSecKept;
  if (hDlg != NULL && IsWindow(hDlg) && GetWindow(hDlg, GW_OWNER) == hParent)
    return hDlg;
  if (hDlg != NULL && IsWindow(hDlg) &&
      GetWindowThreadProcessId(hDlg, NULL) == GetCurrentThreadId())
    DestroyWindow(hDlg);
  hSecKept = KeptDlg_Create("WINSEC", hParent, EditSecDlgProc, 0);
  return hSecKept;
}

HWND SectorDlg(WINSEC_RESULTS *wsResults, HWND hParent) {
  HWND hDlg = Sec_Window(hParent);
  WINSEC_DLG_DATA *pd = hDlg != NULL ? Sec_Data(hDlg) : NULL;
  if (pd == NULL) {
    KillWR(wsResults);
    return NULL;
  }
  Sec_Open(hDlg, pd, wsResults, hParent);
  return hDlg;
}

// ---------------------------------------------------------------------------
// Commands and scroll bars

static void Sec_Command(HWND hDlg, int id, int iNotify, LPARAM lParam) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (pd == NULL || pd->wsResults == NULL)
    return;
  if (IsOptionSetCommand(id, hDlg, pd))
    return;
  if (id >= IDC_SEC_FLAG0 && id <= IDC_SEC_FLAG_LAST)
    Sec_PostApply(hDlg);
  switch (id) {
  case IDOK:
    Sec_Apply(hDlg, true);
    break;
  case IDCANCEL:
    PostMessageA(hDlg, WM_CLOSE, 0, 0);
    break;
  case IDC_SEC_APPLY:
    Sec_Apply(hDlg, false);
    break;
  case IDC_SEC_REVERT:
    RevertSectorDialog(pd->wsResults->dwSecTag);
    break;
  case IDC_SEC_FLOORS:
    if (iNotify == CBN_SELCHANGE)
      SecLevels_FloorChosen(hDlg, pd);
    break;
  case IDC_SEC_NEWELEV:
  case IDC_SEC_THICKNESS:
  case IDC_SEC_CEILING:
    SecLevels_Command(hDlg, pd, id, iNotify);
    break;
  case IDC_SEC_NAME:
    if (iNotify == EN_CHANGE)
      SecMisc_NameChanged(hDlg);
    break;
  case IDC_SEC_CEIL_TEX:
  case IDC_SEC_FLOOR_TEX:
    if (iNotify == CBN_SELCHANGE)
      Sec_PostApply(hDlg);
    break;
  case IDC_SEC_TEX_LAYER:
    SendMessageA(hDlg, WM_COMMAND, IDC_SEC_LAYER, pd->iTexOver == 0 ? 1 : 0);
    break;
  case IDC_SEC_LAYER:
    SecTex_SwitchLayer(hDlg, pd, (int)lParam);
    break;
  case IDC_SEC_COLUMN:
    iFCSelected = (int)lParam;
    Sec_ShowPage(hDlg, pd, WS_PAGE_TEXTURES);
    break;
  case IDC_SEC_FSLOPE_PASTE:
  case IDC_SEC_CSLOPE_PASTE:
    SecSlope_Paste(hDlg, id);
    break;
  default:
    break;
  }
}

static void Sec_HScroll(HWND hDlg, WPARAM wParam, HWND hBar) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (pd == NULL || pd->wsResults == NULL || hBar == NULL)
    return;
  // Bit 15 of the code: move the bar and its text, apply nothing.
  int iCode = LOWORD(wParam) & 0x7FFF;
  bool bApply = (wParam & 0x8000) == 0;
  int iThumb = (short)HIWORD(wParam);
  if (iCode == SB_ENDSCROLL)
    return; // the end of a drag moves nothing
  int id = GetDlgCtrlID(hBar);
  if (SecMisc_Scroll(hDlg, pd, id, iCode, iThumb, bApply))
    return;
  if (SecLevels_Scroll(hDlg, pd, id, iCode, iThumb, bApply))
    return;
  if (SecTex_Scroll(hDlg, pd, id, iCode, iThumb, bApply))
    return;
  SecSlope_Scroll(hDlg, pd, id, iCode, iThumb, bApply);
}

extern "C" INT_PTR CALLBACK EditSecDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam) {
  switch (wCmd) {
  case WM_INITDIALOG:
    Sec_Init(hDlg);
    break;
  case WM_COMMAND:
    Sec_Command(hDlg, LOWORD(wParam), HIWORD(wParam), lParam);
    break;
  case WM_HSCROLL:
    Sec_HScroll(hDlg, wParam, (HWND)lParam);
    break;
  case WM_KRED_NEWRESULTS:
    Sec_Refresh(hDlg, (WINSEC_RESULTS *)lParam);
    break;
  case WM_SEC_FLOORCHOSEN: {
    WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
    if (pd != NULL && pd->wsResults != NULL)
      SecTex_FloorChosen(hDlg, pd, (int)wParam);
    break;
  }
  case WM_CLOSE:
    Sec_Close(hDlg);
    // Left to the dialog manager, WM_CLOSE would post IDCANCEL, which a
    // destroyed dialog never saw but the kept one would, maybe after an
    // opening that came meanwhile.
    return TRUE;
  case WM_DESTROY:
    Sec_Destroy(hDlg);
    break;
  default:
    break;
  }
  return FALSE;
}

// ---------------------------------------------------------------------------
// Opening and following the player

void SectorEditorNewRun(void) {
  // A window left by the previous run is that run's to destroy.
  hSecKept = NULL;
  bSecPrepared = false;
  iFCSelected = -1;
  dwGrabbedSector = 0;
  dwGrabbedWall = 0;
  dwCurSector = 0xFFFFFFFFu;
}

// The sector the current snapshot shows the player in.
static uint32_t Sec_PlayerSector(void) {
  int iSlot = Snapshot_BeginRead();
  uint32_t dwTag = pvSet[iSlot].dwSectorHandle;
  Snapshot_EndRead();
  return dwTag;
}

void OpenSectorEditor(HWND hMain) {
  HWND hOpen = hDialogSet[1];
  if (hOpen != NULL && IsWindow(hOpen)) {
    SetActiveWindow(hOpen);
    SetFocus(hOpen);
    return;
  }
  uint32_t dwTag = Sec_PlayerSector();
  // The names recorded and the first state kept belong to the running level.
  SelectHostLevel();
  int iStatus = SECTOR_FLOW_OK;
  bool bKept = true;
  WINSEC_RESULTS *wr = Sector_ReadForEditor(gCallBack, dwTag, &iStatus, &bKept);
  if (wr == NULL) {
    // No such sector: nothing opens and nothing is said.
    if (iStatus == SECTOR_FLOW_NO_MEMORY)
      Sec_Report("Not enough memory to open the sector editor.");
    return;
  }
  HWND hDlg = SectorDlg(wr, hMain);
  if (hDlg == NULL) {
    Sec_Report("Cannot open the sector editor (error %lu).", (unsigned long)GetLastError());
    return;
  }
  hDialogSet[1] = hDlg;
  // The dialog shows this sector now: the next tick need not read it again.
  dwCurSector = dwTag;
  if (!bKept)
    Sec_Report("The first state of sector %lX could not be kept (not enough memory): REVERT "
               "cannot go back to it.",
               (unsigned long)dwTag);
}

bool SectorEditorPrepare(HWND hMain) {
  if (bSecPrepared || !RunTexturesReady() || RunIsEnding())
    return false;
  bSecPrepared = true;
  if (hSecKept != NULL)
    return false;
  Sec_Window(hMain);
  return true;
}

void SectorEditorFollow(void) {
  HWND hSec = hDialogSet[1];
  if (hSec == NULL || !IsWindow(hSec) || bPositionLock.load() != 0 || iSecReporting > 0)
    return;
  uint32_t dwTag = Sec_PlayerSector();
  if (dwTag == dwCurSector || dwTag == 0xFFFFFFFFu)
    return;
  dwCurSector = dwTag;
  SelectHostLevel();
  int iStatus = SECTOR_FLOW_OK;
  bool bKept = true;
  WINSEC_RESULTS *wr = Sector_ReadForEditor(gCallBack, dwTag, &iStatus, &bKept);
  if (wr == NULL) {
    if (iStatus == SECTOR_FLOW_NO_MEMORY)
      Sec_Report("Not enough memory to show sector %lX in the sector editor.",
                 (unsigned long)dwTag);
    return;
  }
  SendMessageA(hSec, WM_KRED_NEWRESULTS, 0, (LPARAM)wr);
  if (!bKept)
    Sec_Report("The first state of sector %lX could not be kept (not enough memory): REVERT "
               "cannot go back to it.",
               (unsigned long)dwTag);
}
