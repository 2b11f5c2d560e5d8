// Tool dialogs that live for a whole editor run: the sector and wall
// editors. Under Wine, making a dialog of a hundred controls and filling
// its texture lists takes tens of milliseconds, so each is made once,
// hidden, and every opening shows it as a new dialog from its template
// would show; closing hides it again.
#include "kreditor.h"

#include <stdlib.h>
#include <string.h>

#include <memory>

// The template's data; bEx for a DLGTEMPLATEEX, whose style and place lie
// further in than those of a DLGTEMPLATE.
struct KD_TEMPLATE {
  const BYTE *p;
  DWORD cb;
  size_t iStyle, iPlace;
};

static bool kd_Template(const char *szTemplate, KD_TEMPLATE *pt) {
  HRSRC hRes = FindResourceA(hInst, szTemplate, MAKEINTRESOURCEA(5)); // RT_DIALOG
  HGLOBAL hData = hRes != NULL ? LoadResource(hInst, hRes) : NULL;
  pt->p = hData != NULL ? (const BYTE *)LockResource(hData) : NULL;
  pt->cb = hRes != NULL ? SizeofResource(hInst, hRes) : 0;
  if (pt->p == NULL || pt->cb < sizeof(DLGTEMPLATE))
    return false;
  WORD wHead[2];
  memcpy(wHead, pt->p, sizeof(wHead));
  bool bEx = wHead[0] == 1 && wHead[1] == 0xFFFF;
  pt->iStyle = bEx ? 12 : 0;
  pt->iPlace = bEx ? 18 : 10;
  return pt->cb >= pt->iPlace + 2 * sizeof(short);
}

HWND KeptDlg_Create(const char *szTemplate, HWND hOwner, DLGPROC pfnProc, LPARAM lParam) {
  // A visible template shows its dialog when it is made; the copy without
  // WS_VISIBLE stays hidden until an opening shows it.
  KD_TEMPLATE t;
  if (!kd_Template(szTemplate, &t))
    return NULL;
  std::unique_ptr<BYTE, void (*)(void *)> pCopy((BYTE *)malloc(t.cb), free);
  if (!pCopy)
    return NULL;
  memcpy(pCopy.get(), t.p, t.cb);
  DWORD dwStyle;
  memcpy(&dwStyle, pCopy.get() + t.iStyle, sizeof(dwStyle));
  dwStyle &= ~(DWORD)WS_VISIBLE;
  memcpy(pCopy.get() + t.iStyle, &dwStyle, sizeof(dwStyle));
  return CreateDialogIndirectParamA(hInst, (LPCDLGTEMPLATEA)pCopy.get(), hOwner, pfnProc, lParam);
}

// Where a new dialog from the template would appear: its client area at the
// template's place from the owner's client area, the whole window moved
// inside the owner's monitor.
static void kd_Place(HWND hDlg, HWND hOwner, const KD_TEMPLATE &t) {
  short xy[2];
  memcpy(xy, t.p + t.iPlace, sizeof(xy));
  RECT rcUnits = {xy[0], xy[1], 0, 0};
  MapDialogRect(hDlg, &rcUnits);
  RECT rc;
  GetWindowRect(hDlg, &rc);
  POINT ptClient = {0, 0};
  ClientToScreen(hDlg, &ptClient);
  POINT pt = {rcUnits.left + rc.left - ptClient.x, rcUnits.top + rc.top - ptClient.y};
  ClientToScreen(hOwner, &pt);
  MONITORINFO mi;
  mi.cbSize = sizeof(mi);
  if (GetMonitorInfoA(MonitorFromWindow(hOwner, MONITOR_DEFAULTTONEAREST), &mi)) {
    int dx = pt.x + (rc.right - rc.left) + GetSystemMetrics(SM_CXDLGFRAME) - mi.rcWork.right;
    int dy = pt.y + (rc.bottom - rc.top) + GetSystemMetrics(SM_CYDLGFRAME) - mi.rcWork.bottom;
    if (dx > 0)
      pt.x -= dx;
    if (dy > 0)
      pt.y -= dy;
    if (pt.x < mi.rcWork.left)
      pt.x = mi.rcWork.left;
    if (pt.y < mi.rcWork.top)
      pt.y = mi.rcWork.top;
  }
  if (pt.x != rc.left || pt.y != rc.top)
    SetWindowPos(hDlg, NULL, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeptDlg_Show(HWND hDlg, HWND hOwner, const char *szTemplate) {
  KD_TEMPLATE t;
  if (kd_Template(szTemplate, &t))
    kd_Place(hDlg, hOwner, t);
  ShowWindow(hDlg, SW_SHOWNORMAL);
  // Showing gives the focus back to the control that had it at the last
  // closing; a new dialog starts on its first tab stop.
  HWND hFirst = GetNextDlgTabItem(hDlg, NULL, FALSE);
  if (hFirst != NULL && GetFocus() != hFirst)
    SendMessageA(hDlg, WM_NEXTDLGCTL, (WPARAM)hFirst, TRUE);
}
