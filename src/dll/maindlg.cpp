// The main editor dialog: map view frame, zoom bar, frame-rate limit, lock
// box, menu commands, the 100 ms redraw timer and the layout on resizing.
#include "kreditor.h"

// Layout measurements in pixels, taken when the dialog is created.
static int iButtonEdge = 0;
static int iFirstViewWidth = 0;
static int iFirstViewHeight = 0;
static int iFirstZoomStart = 0;
static int iFirstDlgWidth = 0;
static int iFirstDlgHeight = 0;
static int iMinDlgWide = 0;
static int iMinDlgHigh = 0;
static bool bLayoutMeasured = false;

std::atomic<int> iLimitFrameRate{200};
int rtChoice = 1;

#define MAINDLG_TIMER 1
#define MAINDLG_TIMER_MS 100
// Once, as soon as the dialog has painted (timers come after paints): the
// sector editor's window is made then, the wall editor's on the next tick
// of the 100 ms timer, which also tries again while the run's texture
// table is not there yet.
#define MAINDLG_PREPARE_TIMER 2
#define MAINDLG_ZOOM_MIN 1
#define MAINDLG_ZOOM_MAX 30
#define MAINDLG_ZOOM_START 3
#define MAINDLG_ZOOM_PAGE 5

// The controls right of the view. Each keeps its distance from the right
// edge, so the edit field stays beside its label and the speed read-out
// is never covered by the growing view.
static const int iRightControls[] = {
    IDC_MAIN_SPEED, IDC_MAIN_FR_LABEL, IDC_MAIN_FR, IDC_MAIN_GRABWALL,
    IDC_MAIN_RESET, IDC_MAIN_LOCK,     IDOK};
#define MAINDLG_RIGHT_COUNT ((int)(sizeof(iRightControls) / sizeof(iRightControls[0])))
static int iFirstRightLeft[MAINDLG_RIGHT_COUNT];

void GetChildRect(HWND hWnd, RECT *rc) {
  GetWindowRect(hWnd, rc);
  HWND hParent = GetParent(hWnd);
  if (hParent) {
    POINT ptTopLeft = {rc->left, rc->top};
    POINT ptBottomRight = {rc->right, rc->bottom};
    ScreenToClient(hParent, &ptTopLeft);
    ScreenToClient(hParent, &ptBottomRight);
    rc->left = ptTopLeft.x;
    rc->top = ptTopLeft.y;
    rc->right = ptBottomRight.x;
    rc->bottom = ptBottomRight.y;
  }
}

void TwiddleWindow(HWND hWnd, const RECT *rc) {
  RECT rcNow;
  GetChildRect(hWnd, &rcNow);
  int x = rcNow.left;
  int y = rcNow.top;
  int cx = rcNow.right - rcNow.left;
  int cy = rcNow.bottom - rcNow.top;
  if (rc->left != -1) {
    x = rc->left;
  }
  if (rc->top != -1) {
    y = rc->top;
  }
  if (rc->right != -1) {
    cx = rc->right;
  }
  if (rc->bottom != -1) {
    cy = rc->bottom;
  }
  SetWindowPos(hWnd, NULL, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainDialogTimerTick(HWND hDlg) {
  if (!hDlg || hDialogSet[0] != hDlg) {
    return;
  }
  ShowSpeed(hDlg);
  SectorEditorFollow();
  // One tool window per tick, so no tick waits for both.
  if (!SectorEditorPrepare(hDlg))
    WallEditorPrepare(hDlg);
  HWND hView = GetDlgItem(hDlg, IDC_MAIN_VIEW);
  if (hView) {
    PostMessageA(hView, WM_KRED_REPAINT, 0, 0);
  }
}

static void MainDlg_Measure(HWND hDlg) {
  RECT rc;
  GetChildRect(GetDlgItem(hDlg, IDOK), &rc);
  iButtonEdge = rc.left;
  GetChildRect(GetDlgItem(hDlg, IDC_MAIN_VIEW), &rc);
  iFirstViewWidth = rc.right - rc.left;
  iFirstViewHeight = rc.bottom - rc.top;
  GetChildRect(GetDlgItem(hDlg, IDC_MAIN_ZOOM), &rc);
  iFirstZoomStart = rc.top;
  GetClientRect(hDlg, &rc);
  iFirstDlgWidth = rc.right - rc.left;
  iFirstDlgHeight = rc.bottom - rc.top;
  GetWindowRect(hDlg, &rc);
  iMinDlgHigh = rc.bottom - rc.top;
  iMinDlgWide = rc.right - rc.left - iFirstViewWidth + 20;

  for (int i = 0; i < MAINDLG_RIGHT_COUNT; i++) {
    iFirstRightLeft[i] = iButtonEdge;
    HWND hCtl = GetDlgItem(hDlg, iRightControls[i]);
    if (hCtl) {
      GetChildRect(hCtl, &rc);
      iFirstRightLeft[i] = rc.left;
    }
  }
  bLayoutMeasured = true;
}

static void MainDlg_InitDialog(HWND hDlg) {
  bLayoutMeasured = false;
  // The field is filled before the dialog shows: showing it focuses the
  // field, and its notification would read the still empty text as 0.
  SetDlgItemInt(hDlg, IDC_MAIN_FR, (UINT)iLimitFrameRate.load(), FALSE);
  CheckDlgButton(hDlg, IDC_MAIN_LOCK, bPositionLock.load() ? BST_CHECKED : BST_UNCHECKED);

  ShowWindow(hDlg, SW_SHOW);
  MainDlg_Measure(hDlg);

  HWND hZoom = GetDlgItem(hDlg, IDC_MAIN_ZOOM);
  SetScrollRange(hZoom, SB_CTL, MAINDLG_ZOOM_MIN, MAINDLG_ZOOM_MAX, FALSE);
  SetScrollPos(hZoom, SB_CTL, MAINDLG_ZOOM_START, TRUE);

  SetTimer(hDlg, MAINDLG_TIMER, MAINDLG_TIMER_MS, NULL);
  SetTimer(hDlg, MAINDLG_PREPARE_TIMER, 1, NULL);
}

static void MainDlg_TakeLock(HWND hDlg) {
  bPositionLock.store(IsDlgButtonChecked(hDlg, IDC_MAIN_LOCK) == BST_CHECKED ? 1u : 0u);
}

static void MainDlg_Command(HWND hDlg, int iId) {
  switch (iId) {
  case IDOK:
    PostMessageA(hDlg, WM_CLOSE, 0, 0);
    break;
  case IDM_INVERT_LOCK:
    CheckDlgButton(hDlg, IDC_MAIN_LOCK,
                   IsDlgButtonChecked(hDlg, IDC_MAIN_LOCK) == BST_CHECKED ? BST_UNCHECKED
                                                                          : BST_CHECKED);
    MainDlg_TakeLock(hDlg);
    break;
  case IDC_MAIN_LOCK:
    MainDlg_TakeLock(hDlg);
    break;
  case IDM_SAVE_FIXUP:
    SaveFixupFile();
    break;
  case IDC_MAIN_RESET:
    ClearWallSelection();
    break;
  case IDM_ADD_WHOLE_LEVEL:
    AddWholeLevelToFixupFile();
    break;
  case IDC_MAIN_FR:
    // Text that is not an unsigned number reads as 0: no limit.
    iLimitFrameRate.store((int)GetDlgItemInt(hDlg, IDC_MAIN_FR, NULL, FALSE));
    break;
  case IDM_RB_FLOOR:
  case IDM_RB_CEILING:
    rtChoice = iId - IDM_RB_FLOOR;
    break;
  case IDM_SECTOR_EDITOR:
    OpenSectorEditor(hDlg);
    break;
  case IDM_WALL_EDITOR:
    OpenWallEditor(hDlg);
    break;
  case IDC_MAIN_GRABWALL:
    GrabWallForSlope();
    break;
  case IDM_PALETTE_VIEWER:
    LaunchAPaletteWindow();
    break;
  case IDM_RESOURCE_USAGE:
    OpenMemViewer();
    break;
  case IDM_RENDERING_DATA:
    OpenUsageWindow();
    break;
  default:
    // IDCANCEL and the velocity item have no action.
    break;
  }
}

static void MainDlg_HScroll(HWND hDlg, WPARAM wParam, HWND hBar) {
  if (!hBar) {
    return;
  }
  StepScrollBar(hBar, LOWORD(wParam), HIWORD(wParam), MAINDLG_ZOOM_PAGE);
  if (GetDlgCtrlID(hBar) == IDC_MAIN_ZOOM) {
    MainDialogTimerTick(hDlg);
  }
}

static void MainDlg_InitMenu(HMENU hMenu) {
  if (!hMenu) {
    return;
  }
  CheckMenuItem(hMenu, IDM_RB_FLOOR, MF_BYCOMMAND | MF_UNCHECKED);
  CheckMenuItem(hMenu, IDM_RB_CEILING, MF_BYCOMMAND | MF_UNCHECKED);
  int iChoice = rtChoice == 0 ? 0 : 1;
  CheckMenuItem(hMenu, IDM_RB_FLOOR + iChoice, MF_BYCOMMAND | MF_CHECKED);
}

static void MainDlg_Sizing(WPARAM wEdge, RECT *prc) {
  if (!prc) {
    return;
  }
  // Correct the edge that is being dragged, so the window does not slide.
  if (prc->right - prc->left < iMinDlgWide) {
    if (wEdge == WMSZ_LEFT || wEdge == WMSZ_TOPLEFT || wEdge == WMSZ_BOTTOMLEFT) {
      prc->left = prc->right - iMinDlgWide;
    } else {
      prc->right = prc->left + iMinDlgWide;
    }
  }
  if (prc->bottom - prc->top < iMinDlgHigh) {
    if (wEdge == WMSZ_TOP || wEdge == WMSZ_TOPLEFT || wEdge == WMSZ_TOPRIGHT) {
      prc->top = prc->bottom - iMinDlgHigh;
    } else {
      prc->bottom = prc->top + iMinDlgHigh;
    }
  }
}

static void MainDlg_Size(HWND hDlg, WPARAM wType, int W, int H) {
  // Sizes arrive before the first measurement and when minimised.
  if (!bLayoutMeasured || wType == SIZE_MINIMIZED) {
    return;
  }
  int iShiftX = W - iFirstDlgWidth;
  for (int i = 0; i < MAINDLG_RIGHT_COUNT; i++) {
    HWND hCtl = GetDlgItem(hDlg, iRightControls[i]);
    if (hCtl) {
      RECT rc = {iFirstRightLeft[i] + iShiftX, -1, -1, -1};
      TwiddleWindow(hCtl, &rc);
    }
  }

  int iViewWidth = iShiftX + iFirstViewWidth;
  int iViewHeight = H - iFirstDlgHeight + iFirstViewHeight;
  if (iViewWidth < 0) {
    iViewWidth = 0;
  }
  if (iViewHeight < 0) {
    iViewHeight = 0;
  }
  HWND hView = GetDlgItem(hDlg, IDC_MAIN_VIEW);
  if (hView) {
    RECT rc = {-1, -1, iViewWidth, iViewHeight};
    TwiddleWindow(hView, &rc);
  }
  HWND hZoom = GetDlgItem(hDlg, IDC_MAIN_ZOOM);
  if (hZoom) {
    RECT rc = {-1, H - iFirstDlgHeight + iFirstZoomStart, iViewWidth, -1};
    TwiddleWindow(hZoom, &rc);
  }
  RedrawWindow(hDlg, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  MainDialogTimerTick(hDlg);
}

extern "C" INT_PTR CALLBACK EditorDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam) {
  switch (wCmd) {
  case WM_INITDIALOG:
    MainDlg_InitDialog(hDlg);
    break;
  case WM_COMMAND:
    MainDlg_Command(hDlg, LOWORD(wParam));
    break;
  case WM_TIMER:
    if (wParam == MAINDLG_PREPARE_TIMER) {
      KillTimer(hDlg, MAINDLG_PREPARE_TIMER);
      SectorEditorPrepare(hDlg);
      break;
    }
    if (wParam != MAINDLG_TIMER) {
      break;
    }
    // The timer ticks inside message boxes, menus and move loops too: a
    // killed run ends them one by one until its own loop runs again.
    if (RunIsEnding()) {
      EndModalLoops(hDlg);
      break;
    }
    MainDialogTimerTick(hDlg);
    break;
  case WM_KRED_RUNCHECK:
    if (RunIsEnding()) {
      EndModalLoops(hDlg);
    }
    break;
  case WM_KRED_TOTOP:
    BringEditorToTop(hDlg);
    break;
  case WM_HSCROLL:
    MainDlg_HScroll(hDlg, wParam, (HWND)lParam);
    break;
  case WM_INITMENU:
    MainDlg_InitMenu((HMENU)wParam);
    break;
  case WM_SIZING:
    MainDlg_Sizing(wParam, (RECT *)lParam);
    break;
  case WM_SIZE:
    MainDlg_Size(hDlg, wParam, (int)LOWORD(lParam), (int)HIWORD(lParam));
    break;
  case WM_CLOSE:
    DestroyWindow(hDlg);
    break;
  case WM_DESTROY:
    EmptyWindowSlot(&hDialogSet[0], hDlg);
    KillTimer(hDlg, MAINDLG_TIMER);
    break;
  default:
    break;
  }
  return FALSE;
}
