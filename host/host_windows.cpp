// Windows: finding the editor's windows and controls, their presence, size
// and pixels, the map view's mouse, threads and screenshots.
#include "host_cmd.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

static int iSizingW, iSizingH; // result of the last "sizing"

void CheckWindowArg(const CMD &c, size_t i) {
  if (i >= c.tok.size())
    ScriptError(c.iLine, "missing window");
  const std::string &s = c.tok[i].s;
  if (s != "main" && s.compare(0, 6, "title:") != 0 &&
      !(s.compare(0, 8, "palette:") == 0 && atoi(s.c_str() + 8) >= 1))
    ScriptError(c.iLine, "window must be main, title:\"...\" or palette:N, not \"%s\"", s.c_str());
}

HWND NeedWindow(const CMD &c, size_t i) {
  CheckWindowArg(c, i);
  const std::string &s = c.tok[i].s;
  HWND h = WinFind(s);
  if (!h)
    HostFail("no window %s", s.c_str());
  return h;
}

struct FIND_CTL {
  int id;
  HWND h;
};

static BOOL CALLBACK FindCtlProc(HWND hw, LPARAM lp) {
  FIND_CTL *pf = (FIND_CTL *)lp;
  if (GetDlgCtrlID(hw) != pf->id)
    return TRUE;
  pf->h = hw;
  return FALSE;
}

HWND NeedControl(const CMD &c, size_t iWin, size_t iId) {
  HWND h = NeedWindow(c, iWin);
  long long id = ArgInt(c, iId);
  if (!h)
    return nullptr;
  HWND hc = GetDlgItem(h, (int)id);
  if (!hc) {
    // Controls of child pages: the first descendant with that id.
    FIND_CTL f = {(int)id, nullptr};
    EnumChildWindows(h, FindCtlProc, (LPARAM)&f);
    hc = f.h;
  }
  if (!hc)
    HostFail("%s has no control %lld", c.tok[iWin].s.c_str(), id);
  return hc;
}

bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR *pr) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutA(h, msg, wp, lp, SMTO_NORMAL, 5000, &r)) {
    HostFail("message %#x to the editor got no answer within 5 s", msg);
    return false;
  }
  if (pr)
    *pr = r;
  return true;
}

// The map view (control 1000) of the window named by token 1.
HWND NeedMapView(const CMD &c) {
  HWND hDlg = NeedWindow(c, 1);
  if (!hDlg)
    return nullptr;
  HWND h = GetDlgItem(hDlg, 1000);
  if (!h)
    Check(false, "no map view (control 1000)");
  return h;
}

// bWant: a shown window is wanted, or none; bVisibleOnly: only shown
// windows count.
static bool PollWindow(const std::string &szWin, bool bWant, bool bVisibleOnly, DWORD dwMs) {
  DWORD t0 = GetTickCount();
  for (;;) {
    bool bHave = WinFind(szWin, bVisibleOnly) != nullptr;
    if (bHave == bWant)
      return true;
    if (GetTickCount() - t0 >= dwMs)
      return false;
    Sleep(10);
  }
}

bool cmd_ExpectWindow(const CMD &c) {
  const std::string &szWin = c.tok[1].s;
  DWORD dwMs = c.tok.size() > 3 ? (DWORD)ArgInt(c, 3) : 0;
  // Present means shown: a dialog shows itself once its controls exist.
  if (IsWord(c, 2, "present"))
    return Check(PollWindow(szWin, true, true, dwMs), "window %s is absent", szWin.c_str());
  if (IsWord(c, 2, "absent"))
    return Check(PollWindow(szWin, false, false, dwMs), "window %s is present", szWin.c_str());
  if (IsWord(c, 2, "hidden"))
    return Check(PollWindow(szWin, false, true, dwMs), "window %s is shown", szWin.c_str());
  ScriptError(c.iLine, "expect-window WIN present|absent|hidden [TIMEOUT_MS]");
  return false;
}

bool cmd_ExpectWindowCount(const CMD &c) {
  const std::string &szTitle = c.tok[1].s;
  long long n = ArgInt(c, 2);
  DWORD dwMs = c.tok.size() > 3 ? (DWORD)ArgInt(c, 3) : 0;
  DWORD t0 = GetTickCount();
  int iHave;
  while ((iHave = WinCountTitle(szTitle)) != n && GetTickCount() - t0 < dwMs)
    Sleep(10);
  return Check(iHave == n, "%d windows titled \"%s\", expected %lld", iHave, szTitle.c_str(), n);
}

bool cmd_ExpectTitle(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  std::string s = WinText(h);
  return Check(s == c.tok[2].s, "title \"%s\", expected \"%s\"", s.c_str(), c.tok[2].s.c_str());
}

bool cmd_Close(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  return h && Send(h, WM_CLOSE, 0, 0);
}

bool cmd_InitMenu(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  return h && Send(h, WM_INITMENU, (WPARAM)GetMenu(h), 0);
}

// resize WIN W H: the outer size; move WIN X Y: the screen position.
bool cmd_Resize(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  int a = (int)ArgInt(c, 2), b = (int)ArgInt(c, 3);
  bool bMove = c.tok[0].s == "move";
  // Synchronous: a hung editor is caught by the run's time-out.
  if (!SetWindowPos(h, nullptr, bMove ? a : 0, bMove ? b : 0, bMove ? 0 : a, bMove ? 0 : b,
                    (bMove ? SWP_NOSIZE : SWP_NOMOVE) | SWP_NOZORDER | SWP_NOACTIVATE))
    return Act(false, "SetWindowPos failed");
  return true;
}

bool cmd_Sizing(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  RECT rc;
  GetWindowRect(h, &rc);
  rc.right = rc.left + (LONG)ArgInt(c, 2);
  rc.bottom = rc.top + (LONG)ArgInt(c, 3);
  if (!Send(h, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&rc))
    return false;
  iSizingW = rc.right - rc.left;
  iSizingH = rc.bottom - rc.top;
  return true;
}

bool cmd_ExpectSizing(const CMD &c) {
  long long w = ArgInt(c, 1), hgt = ArgInt(c, 2);
  return Check(iSizingW == w && iSizingH == hgt, "sizing gave %dx%d, expected %lldx%lld", iSizingW,
               iSizingH, w, hgt);
}

bool cmd_ExpectSize(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  RECT rc;
  bool bClient = c.tok[0].s == "expect-client-size";
  if (bClient)
    GetClientRect(h, &rc);
  else
    GetWindowRect(h, &rc);
  long long w = ArgInt(c, 2), hgt = ArgInt(c, 3), tol = c.tok.size() > 4 ? ArgInt(c, 4) : 0;
  int iw = rc.right - rc.left, ih = rc.bottom - rc.top;
  return Check(llabs(iw - w) <= tol && llabs(ih - hgt) <= tol, "%s size %dx%d, expected %lldx%lld",
               bClient ? "client" : "window", iw, ih, w, hgt);
}

bool cmd_ExpectWindowPos(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  RECT rc;
  GetWindowRect(h, &rc);
  long long x = ArgInt(c, 2), y = ArgInt(c, 3), tol = c.tok.size() > 4 ? ArgInt(c, 4) : 0;
  return Check(llabs(rc.left - x) <= tol && llabs(rc.top - y) <= tol,
               "window at (%ld, %ld), expected (%lld, %lld)", (long)rc.left, (long)rc.top, x, y);
}

// The keyboard focus of the window's thread (null when it cannot be had).
static HWND FocusOf(HWND h) {
  GUITHREADINFO gti;
  memset(&gti, 0, sizeof(gti));
  gti.cbSize = sizeof(gti);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &gti))
    return nullptr;
  return gti.hwndFocus;
}

// The focus is on a control of the window (by id), or on the window itself
// (0); the system may hand it on a moment after the window shows.
bool cmd_ExpectFocus(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  long long id = ArgInt(c, 2);
  DWORD dwMs = c.tok.size() > 3 ? (DWORD)ArgInt(c, 3) : 0;
  DWORD t0 = GetTickCount();
  HWND hFocus;
  for (;;) {
    hFocus = FocusOf(h);
    bool bOk = id == 0 ? hFocus == h
                       : hFocus != nullptr && IsChild(h, hFocus) && GetDlgCtrlID(hFocus) == (int)id;
    if (bOk)
      return Check(true, "");
    if (GetTickCount() - t0 >= dwMs)
      break;
    Sleep(10);
  }
  if (hFocus == nullptr)
    return Check(false, "nothing has the focus, expected %lld", id);
  return Check(false, "the focus is on %s %d of \"%s\", expected %lld",
               hFocus == h ? "the window" : "control", hFocus == h ? 0 : GetDlgCtrlID(hFocus),
               WinText(GetAncestor(hFocus, GA_ROOT)).c_str(), id);
}

bool cmd_View(const CMD &c) {
  HWND h = NeedMapView(c);
  if (!h)
    return false;
  const std::string &kw = c.tok[0].s;
  int x = (int)ArgInt(c, 2), y = (int)ArgInt(c, 3);
  if (kw == "view-rclick")
    return Send(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)) &&
           Send(h, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
  if (kw == "view-click")
    return Send(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)) &&
           Send(h, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  int x2 = (int)ArgInt(c, 4), y2 = (int)ArgInt(c, 5);
  if (!Send(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)))
    return false;
  for (int i = 1; i <= 8; i++) {
    int mx = x + (x2 - x) * i / 8, my = y + (y2 - y) * i / 8;
    if (!Send(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(mx, my)))
      return false;
  }
  return Send(h, WM_LBUTTONUP, 0, MAKELPARAM(x2, y2));
}

// R G B from tokens i to i + 2 as 0x00RRGGBB.
static uint32_t ArgColor(const CMD &c, size_t i) {
  return (uint32_t)((ArgInt(c, i) & 255) << 16 | (ArgInt(c, i + 1) & 255) << 8 |
                    (ArgInt(c, i + 2) & 255));
}

// Pixels of the control named by tokens 1 and 2; fails the check when they
// cannot be read.
static bool ReadControlPixels(const CMD &c, int x, int y, int w, int hgt,
                              std::vector<uint32_t> &px) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  // A control painted on WM_PAINT: let a pending paint finish first (sent to
  // the editor thread and waited for), so the pixels are not read halfway.
  // A window with its own DC may still be busy on the editor thread: retry.
  RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW);
  for (int iTry = 0; iTry < 5; iTry++) {
    if (WinReadPixels(h, x, y, w, hgt, px))
      return true;
    Sleep(50);
  }
  return Check(false, "cannot read the pixels of control %s", c.tok[2].s.c_str());
}

bool cmd_ExpectPixel(const CMD &c) {
  int x = (int)ArgInt(c, 3), y = (int)ArgInt(c, 4);
  uint32_t want = ArgColor(c, 5);
  std::vector<uint32_t> px;
  if (!ReadControlPixels(c, x, y, 1, 1, px))
    return false;
  return Check(px[0] == want, "pixel %d,%d is %lu,%lu,%lu, expected %lu,%lu,%lu", x, y,
               (unsigned long)(px[0] >> 16 & 255), (unsigned long)(px[0] >> 8 & 255),
               (unsigned long)(px[0] & 255), (unsigned long)(want >> 16),
               (unsigned long)(want >> 8 & 255), (unsigned long)(want & 255));
}

bool cmd_ExpectColorCount(const CMD &c) {
  int x = (int)ArgInt(c, 3), y = (int)ArgInt(c, 4), w = (int)ArgInt(c, 5), hgt = (int)ArgInt(c, 6);
  uint32_t want = ArgColor(c, 7);
  long long mn = ArgInt(c, 10), mx = c.tok.size() > 11 ? ArgInt(c, 11) : -1;
  std::vector<uint32_t> px;
  if (!ReadControlPixels(c, x, y, w, hgt, px))
    return false;
  long long n = std::count(px.begin(), px.end(), want);
  return Check(n >= mn && (mx < 0 || n <= mx), "%lld pixels of colour %s,%s,%s, expected %lld..%s",
               n, c.tok[7].s.c_str(), c.tok[8].s.c_str(), c.tok[9].s.c_str(), mn,
               mx < 0 ? "" : c.tok[11].s.c_str());
}

bool cmd_ExpectNoWindows(const CMD &c) {
  DWORD dwMs = c.tok.size() > 1 ? (DWORD)ArgInt(c, 1) : 0;
  DWORD t0 = GetTickCount();
  std::vector<HWND> left;
  for (;;) {
    std::vector<HWND> all;
    WinListProcessWindows(all);
    left.clear();
    for (HWND h : all) {
      char sz[64] = "";
      GetClassNameA(h, sz, sizeof(sz));
      // Wine's per-thread input method windows are not the editor's.
      if (WinIsDismissedMsgbox(h) || !_stricmp(sz, "IME") || !_stricmp(sz, "MSCTFIME UI"))
        continue;
      left.push_back(h);
    }
    if (left.empty() || GetTickCount() - t0 >= dwMs)
      break;
    Sleep(10);
  }
  std::string szList;
  for (HWND h : left) {
    char sz[64] = "";
    GetClassNameA(h, sz, sizeof(sz));
    szList += std::string(" [") + sz + " \"" + WinText(h) + "\"]";
  }
  return Check(left.empty(), "%zu windows left:%s", left.size(), szList.c_str());
}

bool cmd_ListWindows(const CMD &) {
  std::vector<HWND> all;
  WinListProcessWindows(all);
  for (HWND h : all) {
    char sz[64] = "";
    GetClassNameA(h, sz, sizeof(sz));
    HostOut("  window %p class \"%s\" title \"%s\"%s", (void *)h, sz, WinText(h).c_str(),
            IsWindowVisible(h) ? "" : " (hidden)");
  }
  HostOut("  %zu windows, %d threads", all.size(), WinCountThreads());
  return true;
}

bool cmd_ExpectThreads(const CMD &c) {
  long long n = ArgInt(c, 1);
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 0;
  bool bExtra = c.tok[0].s == "expect-extra-threads";
  int iBase = bExtra ? giBaseThreads : 0;
  DWORD t0 = GetTickCount();
  int iHave;
  while ((iHave = WinCountThreads() - iBase) != n && GetTickCount() - t0 < dwMs)
    Sleep(10);
  return Check(iHave == n, "%d %sthreads, expected %lld", iHave, bExtra ? "extra " : "", n);
}

bool cmd_Screenshot(const CMD &c) {
  HWND h = nullptr;
  if (c.tok[1].s != "all" && !(h = NeedWindow(c, 1)))
    return false;
  std::string szPath = JoinPath(gszOutDir, c.tok[2].s + ".bmp");
  if (!WinScreenshot(h, szPath))
    return Act(false, "cannot write %s", szPath.c_str());
  return true;
}
