// The resource memory viewer: for each resource kind of the "Resource ID's"
// preference, the host's one-line text about the memory it uses. The rows
// follow the window's size; more kinds than rows are paged through.
#include "kreditor.h"

#include <stdlib.h>
#include <string.h>

// Lay the rows out again (posted by the viewer to itself).
#define WM_MEM_LAYOUT 2258

#define MEM_IDS_BUFFER 200
#define MEM_TAG_READ 10    // a row's code field: at most 9 characters
#define MEM_TEXT_SHOWN 512 // a host text is shown up to this many bytes
#define MEM_FIRST_PER_PAGE 8

static const char szNotAvailable[] = "< N / A >";

// The kinds of the preference, in order; rebuilt on every opening.
static _mem_dialog_entries *mdeMain = NULL;

struct TRACK_MEM_DIALOG {
  _mem_dialog_entries **mde;
  uint16_t wStartPos;
  uint16_t wTotalEntries;
  uint16_t wMaxPerPage;
  int dy;
  int iTTop, iTLeft, iTHeight, iTWidth;
  int iETopStart, iELeftStart, iEHeight, iERightBorder;
  int iDTopStart, iDWidth, iDHeight, iDLeftBorder;
  int iButTop;
  int iButWide;
  int iOKLeftStart, iCANLeftStart;
  int iNEXTLeftStart, iPREVLeftStart, iUPDATELeftStart;
};

void FreeMemViewerList(void) {
  ResourceIds_FreeList(&mdeMain);
}

const char *GetResourceDescription(const char *szTag) {
  if (gCallBack == NULL)
    return NULL;
  return (const char *)(uintptr_t)gCallBack(KREQ_RESOURCE_TEXT, ResourceIds_TypeCode(szTag));
}

HWND CreateMemDlg(void) {
  ResourceIds_FreeList(&mdeMain);
  char szIds[MEM_IDS_BUFFER];
  Tools_ResourceIdsCycle(szIds, (int)sizeof(szIds));
  mdeMain = ResourceIds_BuildList(szIds, sizeof(szIds));
  return CreateDialogParamA(hInst, "MEM_USED", NULL, MemDlgProc, (LPARAM)&mdeMain);
}

void OpenMemViewer(void) {
  HWND hDlg = hDialogSet[3];
  if (hDlg != NULL && IsWindow(hDlg)) {
    SetFocus(hDlg);
    return;
  }
  hDialogSet[3] = CreateMemDlg();
}

// ---------------------------------------------------------------------------
// Layout

static void memused_MemDlgGetChildRect(HWND hCtl, RECT *rc) {
  SetRectEmpty(rc);
  if (hCtl != NULL)
    GetChildRect(hCtl, rc);
}

// Moves the control, keeping its size, to client height - d from the top
// and to l (l >= 0) or client width + l (l < 0) from the left, never left
// of m. Returns its new right edge.
static int memused_MemDlgSetPosFromBottom(HWND hCtl, int d, int l, int m) {
  if (hCtl == NULL)
    return m;
  RECT rcClient, rc;
  GetClientRect(GetParent(hCtl), &rcClient);
  memused_MemDlgGetChildRect(hCtl, &rc);
  int x = l >= 0 ? l : rcClient.right + l;
  if (x < m)
    x = m;
  SetWindowPos(hCtl, NULL, x, rcClient.bottom - d, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return x + (rc.right - rc.left);
}

static TRACK_MEM_DIALOG *memused_Track(HWND hDlg) {
  return (TRACK_MEM_DIALOG *)GetWindowLongPtrA(hDlg, DWLP_USER);
}

// Shows one host text, copied with a bound: a host text need not end
// where it should.
static void memused_SetDescription(HWND hDlg, int r, const char *szText) {
  char szShown[MEM_TEXT_SHOWN];
  if (szText == NULL) {
    SetDlgItemTextA(hDlg, IDC_MEM_TEXT0 + r, szNotAvailable);
    return;
  }
  size_t n = 0;
  while (n < sizeof(szShown) - 1 && szText[n] != '\0')
    n++;
  memcpy(szShown, szText, n);
  szShown[n] = '\0';
  SetDlgItemTextA(hDlg, IDC_MEM_TEXT0 + r, szShown);
}

static void memused_MemDlgUpdateEntries(HWND hDlg) {
  for (int r = 0; r < MEM_ROWS; r++) {
    char szTag[MEM_TAG_READ];
    szTag[0] = '\0';
    GetDlgItemTextA(hDlg, IDC_MEM_TAG0 + r, szTag, (int)sizeof(szTag));
    szTag[sizeof(szTag) - 1] = '\0';
    memused_SetDescription(hDlg, r, GetResourceDescription(szTag));
  }
}

static void memused_LayoutButtons(HWND hDlg, const TRACK_MEM_DIALOG *tmd) {
  memused_MemDlgSetPosFromBottom(GetDlgItem(hDlg, IDC_MEM_PREV), tmd->iButTop, tmd->iPREVLeftStart,
                                 0);
  memused_MemDlgSetPosFromBottom(GetDlgItem(hDlg, IDC_MEM_NEXT), tmd->iButTop, tmd->iNEXTLeftStart,
                                 0);
  int iRight = memused_MemDlgSetPosFromBottom(GetDlgItem(hDlg, IDC_MEM_UPDATE), tmd->iButTop,
                                              tmd->iUPDATELeftStart, 0);
  iRight = memused_MemDlgSetPosFromBottom(GetDlgItem(hDlg, IDCANCEL), tmd->iButTop,
                                          tmd->iCANLeftStart, iRight);
  memused_MemDlgSetPosFromBottom(GetDlgItem(hDlg, IDOK), tmd->iButTop, tmd->iOKLeftStart, iRight);
}

static void memused_LayoutRows(HWND hDlg, TRACK_MEM_DIALOG *tmd) {
  RECT rcClient;
  GetClientRect(hDlg, &rcClient);
  int iRoom = rcClient.bottom - tmd->iButTop - tmd->iETopStart;
  tmd->wMaxPerPage = (uint16_t)ResourceIds_RowsPerPage(iRoom, tmd->dy, MEM_ROWS);

  const _mem_dialog_entries *mde = tmd->mde != NULL ? *tmd->mde : NULL;
  for (int i = 0; i < tmd->wStartPos && mde != NULL; i++)
    mde = mde->mdeNext;

  int iTextWidth = rcClient.right - tmd->iERightBorder - tmd->iELeftStart;
  if (iTextWidth < 0)
    iTextWidth = 0;
  for (int r = 0; r < MEM_ROWS; r++) {
    HWND hText = GetDlgItem(hDlg, IDC_MEM_TEXT0 + r);
    HWND hTag = GetDlgItem(hDlg, IDC_MEM_TAG0 + r);
    if (hText == NULL || hTag == NULL)
      continue;
    if (r < tmd->wMaxPerPage && mde != NULL) {
      SetWindowPos(hText, NULL, tmd->iELeftStart, tmd->iETopStart + r * tmd->dy, iTextWidth,
                   tmd->iEHeight, SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowPos(hTag, NULL, tmd->iTLeft, tmd->iTTop + r * tmd->dy, tmd->iTWidth, tmd->iTHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      SetWindowTextA(hTag, mde->szTag);
      ShowWindow(hText, SW_SHOWNA);
      ShowWindow(hTag, SW_SHOWNA);
      mde = mde->mdeNext;
    } else {
      ShowWindow(hText, SW_HIDE);
      ShowWindow(hTag, SW_HIDE);
    }
  }
  memused_MemDlgUpdateEntries(hDlg);
}

static void memused_Measure(HWND hDlg, TRACK_MEM_DIALOG *tmd) {
  RECT rcClient, rc;
  GetClientRect(hDlg, &rcClient);
  int W = rcClient.right, H = rcClient.bottom;

  memused_MemDlgGetChildRect(GetDlgItem(hDlg, IDC_MEM_TAG_PATTERN), &rc);
  tmd->iTTop = rc.top;
  tmd->iTLeft = rc.left;
  tmd->iTHeight = rc.bottom - rc.top;
  tmd->iTWidth = rc.right - rc.left;

  memused_MemDlgGetChildRect(GetDlgItem(hDlg, IDC_MEM_TEXT_PATTERN), &rc);
  tmd->iETopStart = rc.top;
  tmd->iELeftStart = rc.left;
  tmd->iEHeight = rc.bottom - rc.top;
  tmd->iERightBorder = W - rc.right;
  tmd->iDTopStart = rc.top;
  tmd->iDWidth = rc.right - rc.left;
  tmd->iDHeight = rc.bottom - rc.top;
  tmd->iDLeftBorder = rc.left;

  HWND hSecond = GetDlgItem(hDlg, IDC_MEM_SECOND_ROW);
  memused_MemDlgGetChildRect(hSecond, &rc);
  tmd->dy = rc.top - tmd->iETopStart;
  if (hSecond != NULL)
    DestroyWindow(hSecond);

  memused_MemDlgGetChildRect(GetDlgItem(hDlg, IDOK), &rc);
  tmd->iButWide = rc.right - rc.left;
  tmd->iButTop = H - rc.top;
  tmd->iOKLeftStart = rc.left - W;
  memused_MemDlgGetChildRect(GetDlgItem(hDlg, IDCANCEL), &rc);
  tmd->iCANLeftStart = rc.left - W;
  memused_MemDlgGetChildRect(GetDlgItem(hDlg, IDC_MEM_PREV), &rc);
  tmd->iPREVLeftStart = rc.left;
  memused_MemDlgGetChildRect(GetDlgItem(hDlg, IDC_MEM_NEXT), &rc);
  tmd->iNEXTLeftStart = rc.left;
  memused_MemDlgGetChildRect(GetDlgItem(hDlg, IDC_MEM_UPDATE), &rc);
  tmd->iUPDATELeftStart = rc.left;
}

// A row control of the pattern's class and style, hidden and empty.
static void memused_MakeRowControl(HWND hDlg, HWND hPattern, int iId, DWORD dwAddStyle) {
  if (hPattern == NULL)
    return;
  char szClass[64];
  if (GetClassNameA(hPattern, szClass, (int)sizeof(szClass)) == 0)
    return;
  DWORD dwStyle = ((DWORD)GetWindowLongA(hPattern, GWL_STYLE) & ~(DWORD)WS_VISIBLE) | dwAddStyle;
  DWORD dwExStyle = (DWORD)GetWindowLongA(hPattern, GWL_EXSTYLE);
  HWND hCtl = CreateWindowExA(dwExStyle, szClass, "", dwStyle, 0, 0, 0, 0, hDlg,
                              (HMENU)(INT_PTR)iId, hInst, NULL);
  if (hCtl != NULL)
    SendMessageA(hCtl, WM_SETFONT, (WPARAM)SendMessageA(hPattern, WM_GETFONT, 0, 0), FALSE);
}

static void memused_InitDialog(HWND hDlg, LPARAM lParam) {
  TRACK_MEM_DIALOG *tmd = (TRACK_MEM_DIALOG *)calloc(1, sizeof(TRACK_MEM_DIALOG));
  if (tmd == NULL) {
    PostMessageA(hDlg, WM_CLOSE, 0, 0);
    return;
  }
  tmd->mde = (_mem_dialog_entries **)lParam;
  int iCount = ResourceIds_Count(tmd->mde != NULL ? *tmd->mde : NULL);
  tmd->wTotalEntries = (uint16_t)(iCount > 0xFFFF ? 0xFFFF : iCount);

  memused_Measure(hDlg, tmd);

  HWND hTagPattern = GetDlgItem(hDlg, IDC_MEM_TAG_PATTERN);
  HWND hTextPattern = GetDlgItem(hDlg, IDC_MEM_TEXT_PATTERN);
  ShowWindow(hTagPattern, SW_HIDE);
  ShowWindow(hTextPattern, SW_HIDE);
  tmd->wMaxPerPage = MEM_FIRST_PER_PAGE;
  for (int r = 0; r < MEM_ROWS; r++) {
    memused_MakeRowControl(hDlg, hTextPattern, IDC_MEM_TEXT0 + r, 0);
    memused_MakeRowControl(hDlg, hTagPattern, IDC_MEM_TAG0 + r, WS_BORDER);
  }

  // Stored last: size messages before this point find no record.
  SetWindowLongPtrA(hDlg, DWLP_USER, (LONG_PTR)tmd);
  memused_LayoutButtons(hDlg, tmd);
  memused_LayoutRows(hDlg, tmd);
}

static void memused_Command(HWND hDlg, int iId) {
  TRACK_MEM_DIALOG *tmd = memused_Track(hDlg);
  switch (iId) {
  case IDC_MEM_NEXT:
    if (tmd == NULL)
      break;
    tmd->wStartPos =
        (uint16_t)ResourceIds_NextStart(tmd->wStartPos, tmd->wMaxPerPage, tmd->wTotalEntries);
    PostMessageA(hDlg, WM_MEM_LAYOUT, 0, 0);
    break;
  case IDC_MEM_PREV:
    if (tmd == NULL)
      break;
    tmd->wStartPos =
        (uint16_t)ResourceIds_PrevStart(tmd->wStartPos, tmd->wMaxPerPage, tmd->wTotalEntries);
    PostMessageA(hDlg, WM_MEM_LAYOUT, 0, 0);
    break;
  case IDC_MEM_UPDATE:
    memused_MemDlgUpdateEntries(hDlg);
    break;
  case IDOK:
  case IDCANCEL:
    DestroyWindow(hDlg);
    break;
  default:
    break;
  }
}

extern "C" INT_PTR CALLBACK MemDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam) {
  switch (wCmd) {
  case WM_INITDIALOG:
    memused_InitDialog(hDlg, lParam);
    break;
  case WM_SIZE: {
    TRACK_MEM_DIALOG *tmd = memused_Track(hDlg);
    if (tmd != NULL && wParam != SIZE_MINIMIZED) {
      memused_LayoutButtons(hDlg, tmd);
      memused_LayoutRows(hDlg, tmd);
    }
    break;
  }
  case WM_MEM_LAYOUT: {
    TRACK_MEM_DIALOG *tmd = memused_Track(hDlg);
    if (tmd != NULL)
      memused_LayoutRows(hDlg, tmd);
    break;
  }
  case WM_COMMAND:
    memused_Command(hDlg, LOWORD(wParam));
    break;
  case WM_CLOSE:
    DestroyWindow(hDlg);
    break;
  case WM_DESTROY: {
    TRACK_MEM_DIALOG *tmd = memused_Track(hDlg);
    SetWindowLongPtrA(hDlg, DWLP_USER, 0);
    free(tmd);
    MemDialogIsClosing(hDlg);
    break;
  }
  default:
    break;
  }
  return FALSE;
}
