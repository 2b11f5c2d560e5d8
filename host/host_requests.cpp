// Requests the editor made and the message boxes it showed.
#include "host_cmd.h"

bool cmd_ClearRequests(const CMD &) {
  HostLogClear();
  return true;
}

bool cmd_ExpectRequest(const CMD &c) {
  uint16_t wCode = (uint16_t)ArgInt(c, 1);
  bool bNone = c.tok[0].s == "expect-no-request";
  long long llCount = -1, llAtLeast = bNone ? -1 : 1;
  int iThread = -1; // 1 host, 0 editor
  DWORD dwMs = 0;
  for (size_t i = 2; i < c.tok.size(); i++) {
    if (IsWord(c, i, "count"))
      llCount = ArgInt(c, ++i);
    else if (IsWord(c, i, "atleast"))
      llAtLeast = ArgInt(c, ++i);
    else if (IsWord(c, i, "thread") && IsWord(c, i + 1, "host"))
      iThread = 1, i++;
    else if (IsWord(c, i, "thread") && IsWord(c, i + 1, "editor"))
      iThread = 0, i++;
    else if (IsWord(c, i, "within"))
      dwMs = (DWORD)ArgInt(c, ++i);
    else
      ScriptError(c.iLine, "expect-request CODE [count N|atleast N] [thread host|editor] "
                           "[within MS]");
  }
  if (bNone)
    llCount = 0;
  DWORD t0 = GetTickCount();
  long long n;
  for (;;) {
    std::vector<HOST_REQUEST> log;
    HostLogSnapshot(log);
    n = 0;
    for (const HOST_REQUEST &r : log)
      if (r.wCode == wCode && (iThread < 0 || r.bHostThread == (iThread == 1)))
        n++;
    bool bOk = llCount >= 0 ? n == llCount : n >= llAtLeast;
    // "None" holds only once the whole time has passed; anything else as
    // soon as it is met.
    bool bDone = bNone ? !bOk : bOk;
    if (bDone || GetTickCount() - t0 >= dwMs)
      return Check(bOk, "%lld requests %u%s, expected %s %lld", n, wCode,
                   iThread < 0 ? ""
                   : iThread   ? " on the host thread"
                               : " on the editor thread",
                   llCount >= 0 ? "exactly" : "at least", llCount >= 0 ? llCount : llAtLeast);
    Sleep(10);
  }
}

bool cmd_ExpectTextureHandshake(const CMD &) {
  std::vector<HOST_REQUEST> log;
  HostLogSnapshot(log);
  const HOST_REQUEST *p1010 = nullptr, *p1020 = nullptr;
  for (const HOST_REQUEST &r : log) {
    if (r.wCode == KREQ_TEXTURE_LIST && !p1010)
      p1010 = &r;
    else if (r.wCode == KREQ_TEXTURE_LIST_DONE && p1010 && !p1020)
      p1020 = &r;
  }
  if (!Check(p1010 && p1020, "no request 1010 followed by 1020"))
    return false;
  bool bOk = p1010->bHostThread && p1020->bHostThread && !p1010->bWakeReturned &&
             !p1020->bWakeReturned && giBadListReturns == 0 && p1020->dwArg == p1010->dwResult;
  return Check(bOk,
               "texture handshake: 1010 on %s thread%s gave %#lx, 1020 on %s thread%s returned "
               "%#lx, %d bad returns",
               p1010->bHostThread ? "host" : "editor",
               p1010->bWakeReturned ? " after WakeUpDLL" : "", (unsigned long)p1010->dwResult,
               p1020->bHostThread ? "host" : "editor",
               p1020->bWakeReturned ? " after WakeUpDLL" : "", (unsigned long)p1020->dwArg,
               giBadListReturns.load());
}

bool cmd_ExpectMsgbox(const CMD &c) {
  bool bPrefix = c.tok[0].s == "expect-msgbox-prefix";
  const std::string &want = c.tok[1].s;
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 2000;
  DWORD t0 = GetTickCount();
  // Each expectation accounts for one box: it waits for one that no earlier
  // expectation took, but a box already taken still satisfies it.
  int r;
  for (;;) {
    r = WinMsgboxTake(want, bPrefix);
    if (r == 1)
      return Check(true, "");
    if (GetTickCount() - t0 >= dwMs)
      break;
    Sleep(10);
  }
  if (r == 0)
    return Check(true, "");
  std::vector<MSGBOX_SEEN> seen;
  WinMsgboxSnapshot(seen);
  std::string szSeen;
  for (const MSGBOX_SEEN &m : seen)
    szSeen += " \"" + m.szText + "\"";
  return Check(false, "no message box \"%s\"%s; seen:%s", want.c_str(), bPrefix ? "..." : "",
               seen.empty() ? " none" : szSeen.c_str());
}

bool cmd_ExpectNoMsgbox(const CMD &) {
  std::vector<MSGBOX_SEEN> seen;
  WinMsgboxSnapshot(seen);
  return Check(seen.empty(), "%zu message boxes, the first \"%s\"", seen.size(),
               seen.empty() ? "" : seen[0].szText.c_str());
}

// wait-msgboxes N [TIMEOUT_MS]: a sync point for boxes that come later
// than the command that caused them; accounts for nothing.
bool cmd_WaitMsgboxes(const CMD &c) {
  size_t n = (size_t)ArgInt(c, 1);
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 5000;
  DWORD t0 = GetTickCount();
  std::vector<MSGBOX_SEEN> seen;
  for (;;) {
    WinMsgboxSnapshot(seen);
    if (seen.size() >= n || GetTickCount() - t0 >= dwMs)
      break;
    Sleep(10);
  }
  return Act(seen.size() >= n, "%zu message boxes seen within %lu ms, waited for %zu",
             seen.size(), (unsigned long)dwMs, n);
}

bool cmd_ClearMsgboxes(const CMD &) {
  WinMsgboxClear();
  return true;
}

bool cmd_MsgboxAnswer(const CMD &c) {
  static const struct {
    const char *sz;
    int id;
  } answers[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
  for (const auto &a : answers)
    if (IsWord(c, 1, a.sz)) {
      WinSetMsgboxAnswer(a.id);
      return true;
    }
  WinSetMsgboxAnswer((int)ArgInt(c, 1));
  return true;
}

bool chk_MsgboxHold(const CMD &c) {
  if (!IsWord(c, 1, "on") && !IsWord(c, 1, "off"))
    ScriptError(c.iLine, "msgbox-hold on|off");
  return true;
}

bool cmd_MsgboxHold(const CMD &c) {
  chk_MsgboxHold(c);
  WinSetMsgboxHold(IsWord(c, 1, "on"));
  return true;
}

bool cmd_MsgboxDismiss(const CMD &) {
  if (WinMsgboxDismissHeld() == 0)
    HostOut("msgbox-dismiss: no message box is held");
  return true;
}

bool chk_MsgboxTimeout(const CMD &c) {
  if (c.tok.size() > 2)
    ArgInt(c, 2);
  return true;
}

// expect-msgbox-open "TEXT": a box with that text is shown (and held) now;
// expect-msgbox-gone "TEXT": no box with that text is open any more.
bool cmd_ExpectMsgboxState(const CMD &c) {
  bool bOpen = c.tok[0].s == "expect-msgbox-open";
  const std::string &szText = c.tok[1].s;
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 2000;
  DWORD t0 = GetTickCount();
  for (;;) {
    bool bHave = bOpen ? WinMsgboxOpen(szText) : !WinMsgboxShown(szText);
    if (bHave)
      return Check(true, "");
    if (GetTickCount() - t0 >= dwMs)
      break;
    Sleep(10);
  }
  return Check(false, bOpen ? "no message box \"%s\" is open" : "message box \"%s\" is still open",
               szText.c_str());
}
