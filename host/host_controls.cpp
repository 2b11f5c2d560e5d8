// Controls and dialogs: texts, states, menus, lists, and the messages a
// user's clicks and selections send.
#include "host_cmd.h"

#include <stdlib.h>
#include <string.h>

bool cmd_ExpectText(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  std::string s;
  if (!h || !WinGetText(h, s))
    return h ? Check(false, "no answer to WM_GETTEXT") : false;
  const std::string &want = c.tok[3].s;
  if (c.tok[0].s == "expect-text-prefix")
    return Check(s.compare(0, want.size(), want) == 0,
                 "control %s text \"%s\", expected prefix \"%s\"", c.tok[2].s.c_str(), s.c_str(),
                 want.c_str());
  return Check(s == want, "control %s text \"%s\", expected \"%s\"", c.tok[2].s.c_str(), s.c_str(),
               want.c_str());
}

bool cmd_ExpectClass(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  char sz[256] = "";
  GetClassNameA(h, sz, sizeof(sz));
  return Check(_stricmp(sz, c.tok[3].s.c_str()) == 0, "control %s class \"%s\", expected \"%s\"",
               c.tok[2].s.c_str(), sz, c.tok[3].s.c_str());
}

bool cmd_ExpectStyle(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  uint32_t dwMask = (uint32_t)ArgInt(c, 3), dwValue = (uint32_t)ArgInt(c, 4);
  uint32_t dwStyle = (uint32_t)GetWindowLongA(h, GWL_STYLE);
  return Check((dwStyle & dwMask) == dwValue, "control %s style %#x & %#x = %#x, expected %#x",
               c.tok[2].s.c_str(), dwStyle, dwMask, dwStyle & dwMask, dwValue);
}

static bool ChildRect(HWND hDlg, HWND hCtl, RECT &rc) {
  if (!GetWindowRect(hCtl, &rc))
    return false;
  MapWindowPoints(nullptr, hDlg, (POINT *)&rc, 2);
  return true;
}

bool cmd_ExpectRect(const CMD &c) {
  HWND hDlg = NeedWindow(c, 1);
  HWND h = NeedControl(c, 1, 2);
  if (!hDlg || !h)
    return false;
  bool bDlu = c.tok[0].s == "expect-rect";
  RECT want = {(LONG)ArgInt(c, 3), (LONG)ArgInt(c, 4), 0, 0};
  want.right = want.left + (LONG)ArgInt(c, 5);
  want.bottom = want.top + (LONG)ArgInt(c, 6);
  long long tol = c.tok.size() > 7 ? ArgInt(c, 7) : 1;
  if (bDlu && !MapDialogRect(hDlg, &want))
    return Check(false, "MapDialogRect failed");
  RECT have;
  ChildRect(hDlg, h, have);
  bool bOk = llabs(have.left - want.left) <= tol && llabs(have.top - want.top) <= tol &&
             llabs(have.right - want.right) <= tol && llabs(have.bottom - want.bottom) <= tol;
  return Check(bOk, "control %s at %ld,%ld size %ldx%ld px, expected %ld,%ld size %ldx%ld px",
               c.tok[2].s.c_str(), have.left, have.top, have.right - have.left,
               have.bottom - have.top, want.left, want.top, want.right - want.left,
               want.bottom - want.top);
}

bool cmd_ExpectCheck(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  DWORD_PTR r;
  if (!h || !Send(h, BM_GETCHECK, 0, 0, &r))
    return false;
  long long want = ArgInt(c, 3);
  return Check((long long)r == want, "control %s check state %lu, expected %lld",
               c.tok[2].s.c_str(), (unsigned long)r, want);
}

bool cmd_ExpectScroll(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  SCROLLINFO si;
  memset(&si, 0, sizeof(si));
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_POS;
  if (!Send(h, SBM_GETSCROLLINFO, 0, (LPARAM)&si))
    return false;
  long long mn = ArgInt(c, 3), mx = ArgInt(c, 4), pos = ArgInt(c, 5);
  return Check(si.nMin == mn && si.nMax == mx && si.nPos == pos,
               "scroll bar %s range %d..%d pos %d, expected %lld..%lld pos %lld",
               c.tok[2].s.c_str(), si.nMin, si.nMax, si.nPos, mn, mx, pos);
}

bool cmd_ExpectMenu(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  HMENU hm = GetMenu(h);
  UINT id = (UINT)ArgInt(c, 2);
  char sz[256] = "";
  if (!hm || GetMenuStringA(hm, id, sz, sizeof(sz), MF_BYCOMMAND) <= 0) {
    if (!hm || GetMenuState(hm, id, MF_BYCOMMAND) == (UINT)-1)
      return Check(false, "no menu item %u", id);
  }
  if (!Check(c.tok[3].s == sz, "menu item %u \"%s\", expected \"%s\"", id, sz, c.tok[3].s.c_str()))
    return false;
  if (c.tok.size() > 4) {
    bool bChecked = (GetMenuState(hm, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    bool bWant = IsWord(c, 4, "checked");
    if (!bWant && !IsWord(c, 4, "unchecked"))
      ScriptError(c.iLine, "checked or unchecked");
    return Check(bChecked == bWant, "menu item %u is %s", id, bChecked ? "checked" : "unchecked");
  }
  return true;
}

bool cmd_ExpectMenuOrder(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  HMENU hm = GetMenu(h);
  int n = hm ? GetMenuItemCount(hm) : 0;
  std::string szHave, szWant;
  for (int i = 0; i < n; i++) {
    char sz[256] = "";
    GetMenuStringA(hm, (UINT)i, sz, sizeof(sz), MF_BYPOSITION);
    szHave += std::string(i ? " | " : "") + sz;
  }
  for (size_t i = 2; i < c.tok.size(); i++)
    szWant += std::string(i > 2 ? " | " : "") + c.tok[i].s;
  return Check(szHave == szWant, "menu bar \"%s\", expected \"%s\"", szHave.c_str(),
               szWant.c_str());
}

bool cmd_SetText(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  return h && Send(h, WM_SETTEXT, 0, (LPARAM)c.tok[3].s.c_str());
}

bool cmd_Click(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  return h && Send(h, BM_CLICK, 0, 0);
}

bool cmd_Command(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  long long id = ArgInt(c, 2);
  return h && Send(h, WM_COMMAND, MAKEWPARAM((WORD)id, 0), 0);
}

bool cmd_Scroll(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  long long code = ArgInt(c, 3), pos = c.tok.size() > 4 ? ArgInt(c, 4) : 0;
  if (!h)
    return false;
  // As the bar itself would: to its parent, vertical bars with WM_VSCROLL.
  UINT msg = (GetWindowLongA(h, GWL_STYLE) & SBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
  return Send(GetParent(h), msg, MAKEWPARAM((WORD)code, (WORD)pos), (LPARAM)h);
}

static bool IsCombo(HWND h) {
  char sz[64] = "";
  GetClassNameA(h, sz, sizeof(sz));
  return _stricmp(sz, "ComboBox") == 0;
}

// A message in its combo box or its list box form, as the control is.
static bool SendList(HWND h, UINT msgCombo, UINT msgList, WPARAM wp, LPARAM lp, DWORD_PTR *pr) {
  return Send(h, IsCombo(h) ? msgCombo : msgList, wp, lp, pr);
}

bool cmd_Select(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  long long i = ArgInt(c, 3);
  DWORD_PTR r;
  if (!h || !SendList(h, CB_SETCURSEL, LB_SETCURSEL, (WPARAM)i, 0, &r))
    return false;
  if (!Act((LONG_PTR)r == i || (i == -1 && (LONG_PTR)r == -1), "control %s has no item %lld",
           c.tok[2].s.c_str(), i))
    return false;
  WORD wNotify = IsCombo(h) ? CBN_SELCHANGE : LBN_SELCHANGE;
  return Send(GetParent(h), WM_COMMAND, MAKEWPARAM((WORD)GetDlgCtrlID(h), wNotify), (LPARAM)h);
}

// expect-items and expect-selection: a count or an index of a combo box or
// list box.
bool cmd_ExpectListValue(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  bool bCount = c.tok[0].s == "expect-items";
  DWORD_PTR r;
  if (!h || !SendList(h, bCount ? CB_GETCOUNT : CB_GETCURSEL, bCount ? LB_GETCOUNT : LB_GETCURSEL,
                      0, 0, &r))
    return false;
  long long n = ArgInt(c, 3);
  return Check((LONG_PTR)r == n,
               bCount ? "control %s has %ld items, expected %lld"
                      : "control %s selection %ld, expected %lld",
               c.tok[2].s.c_str(), (long)(LONG_PTR)r, n);
}

bool cmd_ExpectItem(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  long long i = ArgInt(c, 3);
  DWORD_PTR r;
  if (!h || !SendList(h, CB_GETLBTEXTLEN, LB_GETTEXTLEN, (WPARAM)i, 0, &r))
    return false;
  if (!Check((LONG_PTR)r >= 0 && r < 4096, "control %s has no item %lld", c.tok[2].s.c_str(), i))
    return false;
  std::vector<char> buf(r + 1, 0);
  if (!SendList(h, CB_GETLBTEXT, LB_GETTEXT, (WPARAM)i, (LPARAM)buf.data(), nullptr))
    return false;
  const std::string &want = c.tok[4].s;
  return Check(want == buf.data(), "control %s item %lld \"%s\", expected \"%s\"",
               c.tok[2].s.c_str(), i, buf.data(), want.c_str());
}

bool cmd_ExpectState(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  bool bEnabled = c.tok[0].s == "expect-enabled";
  bool bHave = bEnabled ? IsWindowEnabled(h) != 0 : IsWindowVisible(h) != 0;
  bool bWant = ArgInt(c, 3) != 0;
  return Check(bHave == bWant, "control %s is %s%s", c.tok[2].s.c_str(), bHave ? "" : "not ",
               bEnabled ? "enabled" : "visible");
}

// set-check WIN ID STATE: the state, then the notification a user's click
// sends the button's parent.
bool chk_SetCheck(const CMD &c) {
  CheckWindowArg(c, 1);
  ArgInt(c, 2);
  long long v = ArgInt(c, 3);
  if (v < 0 || v > 2)
    ScriptError(c.iLine, "set-check WIN ID 0|1|2");
  return true;
}

bool cmd_SetCheck(const CMD &c) {
  chk_SetCheck(c);
  HWND h = NeedControl(c, 1, 2);
  if (!h || !Send(h, BM_SETCHECK, (WPARAM)ArgInt(c, 3), 0))
    return false;
  return Send(GetParent(h), WM_COMMAND, MAKEWPARAM((WORD)GetDlgCtrlID(h), BN_CLICKED), (LPARAM)h);
}

bool chk_SelectQuiet(const CMD &c) {
  CheckWindowArg(c, 1);
  ArgInt(c, 2);
  ArgInt(c, 3);
  return true;
}

// select-quiet WIN ID INDEX: the selection alone, as a program sets it.
bool cmd_SelectQuiet(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  long long i = ArgInt(c, 3);
  DWORD_PTR r;
  if (!h || !SendList(h, CB_SETCURSEL, LB_SETCURSEL, (WPARAM)i, 0, &r))
    return false;
  return Act((LONG_PTR)r == i || (i == -1 && (LONG_PTR)r == -1), "control %s has no item %lld",
             c.tok[2].s.c_str(), i);
}

// post WIN MSG WPARAM LPARAM, post-ctl WIN ID MSG WPARAM LPARAM and
// send WIN MSG WPARAM LPARAM [expect RESULT]: a raw message, posted (for
// what starts a modal loop) or sent with the usual time-out.
bool chk_RawMessage(const CMD &c) {
  CheckWindowArg(c, 1);
  bool bCtl = c.tok[0].s == "post-ctl";
  size_t i = bCtl ? 3 : 2;
  if (bCtl)
    ArgInt(c, 2);
  ArgU32(c, i);
  ArgU32(c, i + 1);
  ArgU32(c, i + 2);
  if (c.tok[0].s == "send" && c.tok.size() > 5) {
    if (!IsWord(c, 5, "expect") || c.tok.size() != 7)
      ScriptError(c.iLine, "send WIN MSG WPARAM LPARAM [expect RESULT]");
    ArgU32(c, 6);
  } else if (c.tok.size() > i + 3) {
    ScriptError(c.iLine, "%s: too many arguments", c.tok[0].s.c_str());
  }
  return true;
}

bool cmd_RawMessage(const CMD &c) {
  chk_RawMessage(c);
  const std::string &kw = c.tok[0].s;
  bool bCtl = kw == "post-ctl";
  HWND h = bCtl ? NeedControl(c, 1, 2) : NeedWindow(c, 1);
  if (!h)
    return false;
  size_t i = bCtl ? 3 : 2;
  UINT msg = ArgU32(c, i);
  WPARAM wp = ArgU32(c, i + 1);
  LPARAM lp = (LPARAM)ArgU32(c, i + 2);
  if (kw != "send")
    return Act(PostMessageA(h, msg, wp, lp) != 0, "PostMessage %#x failed (error %lu)", msg,
               (unsigned long)GetLastError());
  DWORD_PTR r;
  if (!Send(h, msg, wp, lp, &r))
    return false;
  if (c.tok.size() < 7)
    return true;
  uint32_t dwWant = ArgU32(c, 6);
  return Check((uint32_t)r == dwWant, "message %#x answered %lu (%#lx), expected %s", msg,
               (unsigned long)r, (unsigned long)r, c.tok[6].s.c_str());
}
