// kredhost: loads KREDITOR.DLL the way the game does, serves a level of its
// own and runs a scenario of commands and checks (docs/scenario.md).
#include "kredhost.h"
#include "tokens.h"

#include <math.h>
#include <stddef.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

std::atomic<int> giCurLine{0};
std::string gszScriptName;

static CRITICAL_SECTION csOut;
static bool bOutReady;
static int iPassed, iFailed;
static bool bKeepGoing;
static bool bQuiet;

static std::string szDllPath, szOutDir, szScriptDir, szLevelPath;
static int iSizingW, iSizingH; // result of the last "sizing"
static int iBaseThreads;       // threads of the host before the library was loaded

void HostOut(const char *szFmt, ...) {
  char sz[2048];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  if (bOutReady)
    EnterCriticalSection(&csOut);
  fputs(sz, stdout);
  fputc('\n', stdout);
  fflush(stdout); // Wine's console buffers otherwise
  if (bOutReady)
    LeaveCriticalSection(&csOut);
}

void HostFail(const char *szFmt, ...) {
  char sz[1800];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  iFailed++;
  HostOut("FAIL %s:%d: %s", gszScriptName.c_str(), giCurLine.load(), sz);
}

void HostTimeout() {
  HostFail("time-out: the run took longer than allowed (--timeout)");
  HostOut("%d passed, %d failed", iPassed, iFailed);
  ExitProcess(3);
}

// A failed action or check prints its message; a passed check counts.
static bool Outcome(bool bCheck, bool bOk, const char *szFmt, ...) {
  if (bOk) {
    iPassed += bCheck ? 1 : 0;
    return true;
  }
  char sz[1800];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  HostFail("%s", sz);
  return false;
}

// An action's outcome: counts only when it failed.
template <typename... ARGS> static bool Act(bool bOk, const char *szFmt, ARGS... args) {
  return Outcome(false, bOk, szFmt, args...);
}

// A check: counts as passed or failed.
template <typename... ARGS> static bool Check(bool bOk, const char *szFmt, ARGS... args) {
  return Outcome(true, bOk, szFmt, args...);
}

// ---------------------------------------------------------------------------
// Scenario text

struct CMD {
  int iLine;
  std::vector<TOKEN> tok;
};

static void HostExit(int iCode);

[[noreturn]] static void ScriptError(int iLine, const char *szFmt, ...) {
  char sz[1024];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  fprintf(stderr, "%s:%d: %s\n", gszScriptName.c_str(), iLine, sz);
  fflush(stderr);
  HostExit(2);
  ExitProcess(2);
}

static long long ArgInt(const CMD &c, size_t i) {
  if (i >= c.tok.size())
    ScriptError(c.iLine, "%s: missing value", c.tok[0].s.c_str());
  const std::string &s = c.tok[i].s;
  const char *p = s.c_str();
  bool bNeg = *p == '-';
  if (*p == '-' || *p == '+')
    p++;
  int iBase = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    iBase = 16;
    p += 2;
  }
  char *pEnd = nullptr;
  if (!*p || *p == '-' || *p == '+')
    ScriptError(c.iLine, "\"%s\" is not a number", s.c_str());
  unsigned long long u = strtoull(p, &pEnd, iBase);
  if (*pEnd)
    ScriptError(c.iLine, "\"%s\" is not a number", s.c_str());
  return bNeg ? -(long long)u : (long long)u;
}

static double ArgFloat(const CMD &c, size_t i) {
  if (i >= c.tok.size())
    ScriptError(c.iLine, "%s: missing value", c.tok[0].s.c_str());
  const std::string &s = c.tok[i].s;
  char *pEnd = nullptr;
  double d = strtod(s.c_str(), &pEnd);
  if (s.empty() || *pEnd || !isfinite(d))
    ScriptError(c.iLine, "\"%s\" is not a number", s.c_str());
  return d;
}

static bool IsWord(const CMD &c, size_t i, const char *sz) {
  return i < c.tok.size() && !c.tok[i].bQuoted && c.tok[i].s == sz;
}

static bool IsAbsolute(const std::string &s) {
  return (!s.empty() && (s[0] == '/' || s[0] == '\\')) || (s.size() > 1 && s[1] == ':');
}

static std::string JoinPath(const std::string &dir, const std::string &name) {
  if (dir.empty() || dir == ".")
    return name;
  char cLast = dir[dir.size() - 1];
  if (cLast == '/' || cLast == '\\')
    return dir + name;
  // Keep to the folder's own separator.
  bool bBackslash = dir.find('\\') != std::string::npos && dir.find('/') == std::string::npos;
  return dir + (bBackslash ? "\\" : "/") + name;
}

// "out:NAME" is in the output folder; other relative paths are taken from the
// scenario's folder.
static std::string ResolvePath(const std::string &s) {
  if (s.compare(0, 4, "out:") == 0)
    return JoinPath(szOutDir, s.substr(4));
  if (IsAbsolute(s))
    return s;
  return JoinPath(szScriptDir, s);
}

static std::string DirOf(const std::string &s) {
  size_t p = s.find_last_of("/\\");
  return p == std::string::npos ? std::string(".") : s.substr(0, p);
}

static bool ReadFileBytes(const std::string &szPath, std::string &out) {
  FILE *f = fopen(szPath.c_str(), "rb");
  if (!f)
    return false;
  out.clear();
  char buf[8192];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
    out.append(buf, n);
  fclose(f);
  return true;
}

// ---------------------------------------------------------------------------
// The library

static const char *const szHostEntries[] = {"WakeUpDLL", "UpdatePosition", "PostKey", "EditorToTop",
                                            "KillOffDLL"};
static const char *const szAllExports[] = {
    "DLLEntryPoint", "EditSecDlgProc", "EditWallDlgProc", "EditorDlgProc", "EditorThread",
    "EditorToTop",   "KillOffDLL",     "MemDlgProc",      "PalDlgProc",    "PaletteWndProc",
    "PostKey",       "UpdatePosition", "UsageDlgProc",    "ViewWndProc",   "WakeUpDLL"};

static bool DllLoad() {
  if (ghDll)
    return true;
  if (!iBaseThreads)
    iBaseThreads = WinCountThreads();
  ghDll = LoadLibraryA(szDllPath.c_str());
  if (!ghDll) {
    HostFail("cannot load %s (error %lu)", szDllPath.c_str(), (unsigned long)GetLastError());
    return false;
  }
  FARPROC p[5];
  for (int i = 0; i < 5; i++) {
    p[i] = GetProcAddress(ghDll, szHostEntries[i]);
    if (!p[i]) {
      HostFail("%s does not export %s", szDllPath.c_str(), szHostEntries[i]);
      FreeLibrary(ghDll);
      ghDll = nullptr;
      return false;
    }
  }
  pfnWakeUpDLL = (PFN_WAKEUP)(void *)p[0];
  pfnUpdatePosition = (PFN_UPDATEPOSITION)(void *)p[1];
  pfnPostKey = (PFN_POSTKEY)(void *)p[2];
  pfnEditorToTop = (PFN_EDITORTOTOP)(void *)p[3];
  pfnKillOffDLL = (PFN_KILLOFF)(void *)p[4];
  return true;
}

static uint32_t KillFlag() {
  MemoryBarrier();
  return gdwKillFlag;
}

// Is an editor thread of ours still alive?
static bool EditorAlive() {
  for (HANDLE h : gEditorThreads)
    if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT)
      return true;
  return false;
}

static bool WaitEditorThreads(DWORD dwMs) {
  DWORD t0 = GetTickCount();
  while (EditorAlive()) {
    if (GetTickCount() - t0 > dwMs)
      return false;
    Sleep(5);
  }
  return true;
}

static void HostExit(int iCode) {
  // End a running editor by the kill handshake before the library goes.
  bool bClean = true;
  if (ghDll && EditorAlive()) {
    if (!bQuiet)
      HostOut("host: ending the editor");
    gdwKillFlag = 1;
    MemoryBarrier();
    pfnKillOffDLL((uint32_t *)&gdwKillFlag);
    DWORD t0 = GetTickCount();
    while (KillFlag() != 0 && GetTickCount() - t0 < 5000)
      Sleep(5);
    if (KillFlag() != 0 || !WaitEditorThreads(3000)) {
      HostFail("the editor did not end within 5 s of KillOffDLL at exit");
      bClean = false;
    }
  }
  if (ghDll && bClean)
    FreeLibrary(ghDll);
  if (bClean)
    ghDll = nullptr;
  if (iCode == 2) {
    fflush(stdout);
    ExitProcess(2);
  }
  HostOut("%d passed, %d failed", iPassed, iFailed);
  ExitProcess(iFailed ? 1 : (UINT)iCode);
}

// ---------------------------------------------------------------------------
// Commands

typedef bool (*PFN_CMD)(const CMD &c);

static HWND NeedWindow(const CMD &c, size_t i) {
  if (i >= c.tok.size())
    ScriptError(c.iLine, "missing window");
  const std::string &s = c.tok[i].s;
  if (s != "main" && s.compare(0, 6, "title:") != 0 &&
      !(s.compare(0, 8, "palette:") == 0 && atoi(s.c_str() + 8) >= 1))
    ScriptError(c.iLine, "window must be main, title:\"...\" or palette:N, not \"%s\"",
                s.c_str());
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

static HWND NeedControl(const CMD &c, size_t iWin, size_t iId) {
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

static bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR *pr = nullptr) {
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
static HWND NeedMapView(const CMD &c) {
  HWND hDlg = NeedWindow(c, 1);
  if (!hDlg)
    return nullptr;
  HWND h = GetDlgItem(hDlg, 1000);
  if (!h)
    Check(false, "no map view (control 1000)");
  return h;
}

static bool NeedLib() {
  return ghDll || DllLoad();
}

static bool cmd_Load(const CMD &) {
  return Check(DllLoad(), "load");
}

static bool cmd_Unload(const CMD &) {
  if (ghDll)
    FreeLibrary(ghDll);
  ghDll = nullptr;
  return true;
}

static bool cmd_ExpectExports(const CMD &) {
  if (!NeedLib())
    return false;
  std::string szMissing;
  for (const char *sz : szAllExports)
    if (!GetProcAddress(ghDll, sz))
      szMissing += std::string(" ") + sz;
  return Check(szMissing.empty(), "missing exports:%s", szMissing.c_str());
}

static bool cmd_Wake(const CMD &c) {
  if (!NeedLib())
    return false;
  bool bNull = false;
  long long llExpect = 1;
  for (size_t i = 1; i < c.tok.size(); i++) {
    if (IsWord(c, i, "null"))
      bNull = true;
    else if (IsWord(c, i, "expect"))
      llExpect = ArgInt(c, ++i);
    else
      ScriptError(c.iLine, "wake [null] [expect N]");
  }
  std::vector<DWORD> before, after;
  WinThreadIds(before);
  giClosingCount = 0;
  giWakeState = 1;
  uint32_t r = pfnWakeUpDLL(bNull ? nullptr : HostService);
  giWakeState = 2;
  WinThreadIds(after);
  for (DWORD id : after) {
    if (std::find(before.begin(), before.end(), id) != before.end())
      continue;
    HANDLE h = OpenThread(SYNCHRONIZE, FALSE, id);
    if (h)
      gEditorThreads.push_back(h);
  }
  return Check(r == (uint32_t)llExpect, "WakeUpDLL returned %u, expected %lld", r, llExpect);
}

static bool cmd_Kill(const CMD &c) {
  if (!NeedLib())
    return false;
  DWORD dwMs = c.tok.size() > 1 ? (DWORD)ArgInt(c, 1) : 3000;
  bool bWait = c.tok[0].s == "kill";
  gdwKillFlag = 1;
  MemoryBarrier();
  uint32_t r = pfnKillOffDLL((uint32_t *)&gdwKillFlag);
  if (!Check(r == 1, "KillOffDLL returned %u", r))
    return false;
  if (!bWait)
    return true;
  DWORD t0 = GetTickCount();
  while (KillFlag() != 0 && GetTickCount() - t0 < dwMs)
    Sleep(2);
  if (!Check(KillFlag() == 0, "the editor did not clear the kill flag within %lu ms",
             (unsigned long)dwMs))
    return false;
  WaitEditorThreads(2000);
  return true;
}

static bool cmd_ExpectFlag(const CMD &c) {
  uint32_t v = (uint32_t)ArgInt(c, 1);
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 0;
  DWORD t0 = GetTickCount();
  while (KillFlag() != v && GetTickCount() - t0 < dwMs)
    Sleep(2);
  return Check(KillFlag() == v, "kill flag is %u, expected %u", KillFlag(), v);
}

static bool cmd_Key(const CMD &c) {
  if (!NeedLib())
    return false;
  const std::string &s = c.tok[1].s;
  // One character is its code, except a digit: "key 0" posts the empty key.
  bool bChar = s.size() == 1 && !(s[0] >= '0' && s[0] <= '9');
  uint32_t k = bChar ? (uint8_t)s[0] : (uint32_t)ArgInt(c, 1);
  if (IsWord(c, 2, "shift"))
    k |= 0x80000000u;
  else if (c.tok.size() > 2)
    ScriptError(c.iLine, "key K [shift]");
  pfnPostKey(k);
  return true;
}

static bool cmd_EditorToTop(const CMD &) {
  if (!NeedLib())
    return false;
  uint32_t r = pfnEditorToTop();
  return Check(r == 1, "EditorToTop returned %u", r);
}

static bool cmd_Wait(const CMD &c) {
  Sleep((DWORD)ArgInt(c, 1));
  return true;
}

static bool cmd_Print(const CMD &c) {
  HostOut("%s", c.tok[1].s.c_str());
  return true;
}

static bool cmd_Textures(const CMD &c) {
  if (IsWord(c, 1, "empty")) {
    HostSetTextureOverride(0, 0, true);
  } else if (IsWord(c, 1, "level")) {
    HostSetTextureOverride(0, 0, false);
  } else {
    long long n = ArgInt(c, 1), len = c.tok.size() > 2 ? ArgInt(c, 2) : 16;
    if (n < 0 || n > 100000 || len < 1 || len > 1000)
      ScriptError(c.iLine, "textures N (0..100000) [LEN (1..1000)]");
    HostSetTextureOverride((int)n, (int)len, true);
  }
  return true;
}

static bool cmd_LevelName(const CMD &c) {
  HostSetLevelName(IsWord(c, 1, "none") ? nullptr : ResolvePath(c.tok[1].s).c_str());
  return true;
}

static bool cmd_BlockEditor(const CMD &c) {
  giBlockEditorMs = (int)ArgInt(c, 1);
  return true;
}

// ---- frames

static int16_t HeadingOf(long long v) {
  return (int16_t)(uint16_t)(v & 0xFFFF);
}

static bool cmd_Pos(const CMD &c) {
  if (!NeedLib())
    return false;
  int iForce = -1;
  if (c.tok.size() > 4) {
    iForce = LevelSectorByTag(gLevel, (uint32_t)ArgInt(c, 4));
    if (iForce < 0)
      ScriptError(c.iLine, "no sector with tag %s", c.tok[4].s.c_str());
  }
  HostFrame((float)ArgFloat(c, 1), (float)ArgFloat(c, 2), HeadingOf(ArgInt(c, 3)), iForce);
  return true;
}

static bool cmd_Walk(const CMD &c) {
  if (!NeedLib())
    return false;
  double x1 = ArgFloat(c, 1), y1 = ArgFloat(c, 2), x2 = ArgFloat(c, 3), y2 = ArgFloat(c, 4);
  long long n = ArgInt(c, 5);
  if (n < 1)
    ScriptError(c.iLine, "walk needs 1 or more steps");
  int16_t sHeading;
  if (c.tok.size() > 6) {
    sHeading = HeadingOf(ArgInt(c, 6));
  } else {
    // Heading 0 faces +y and grows clockwise seen from above.
    double a = atan2(x2 - x1, y2 - y1) * 16384.0 / (2 * M_PI);
    sHeading = HeadingOf((long long)floor(a + 0.5 + (a < 0 ? 16384 : 0)) % 16384);
  }
  for (long long i = 0; i < n; i++) {
    double t = n == 1 ? 1.0 : (double)i / (double)(n - 1);
    HostFrame((float)(x1 + (x2 - x1) * t), (float)(y1 + (y2 - y1) * t), sHeading, -1);
  }
  return true;
}

static bool cmd_Frames(const CMD &c) {
  if (!NeedLib())
    return false;
  long long n = ArgInt(c, 1);
  for (long long i = 0; i < n; i++)
    HostFrame(gPlayer.x, gPlayer.y, gPlayer.sHeading, gPlayer.iSector);
  return true;
}

static bool cmd_Actor(const CMD &c) {
  long long i = ArgInt(c, 1);
  EnterCriticalSection(&gcsLevel);
  bool bOk = i >= 0 && (size_t)i <= gLevel.actors.size();
  if (bOk) {
    if ((size_t)i == gLevel.actors.size()) {
      LVL_ACTOR a;
      memset(&a, 0, sizeof(a));
      a.eo.iType = 1;
      a.eo.dwTag = (uint32_t)(0x1000 + i);
      gLevel.actors.push_back(a);
    }
    EDITOR_OBJECT &eo = gLevel.actors[(size_t)i].eo;
    eo.x = (float)ArgFloat(c, 2);
    eo.y = (float)ArgFloat(c, 3);
    eo.sDir = HeadingOf(ArgInt(c, 4));
    if (c.tok.size() > 5)
      eo.iType = (int32_t)ArgInt(c, 5);
  }
  size_t n = gLevel.actors.size();
  LeaveCriticalSection(&gcsLevel);
  if (!bOk)
    ScriptError(c.iLine, "actor %lld: there are %zu actors (add one at index %zu)", i, n, n);
  return true;
}

static bool cmd_ExpectUpdate(const CMD &c) {
  uint32_t r = (uint32_t)ArgInt(c, 1);
  return Check(gdwLastUpdateResult == r, "UpdatePosition returned %u, expected %u",
               gdwLastUpdateResult, r);
}

static bool cmd_FrameTiming(const CMD &c) {
  if (!NeedLib())
    return false;
  const std::string &kw = c.tok[0].s;
  long long n = ArgInt(c, 1);
  if (n < 1 || n > 10000000)
    ScriptError(c.iLine, "%s: N must be 1 or more", kw.c_str());
  std::vector<double> took, gaps;
  double tPrevStart = 0;
  for (long long i = 0; i < n; i++) {
    double tStart = HostNowUs();
    took.push_back(HostFrame(gPlayer.x, gPlayer.y, gPlayer.sHeading, gPlayer.iSector));
    // The limiter's clock reading lies somewhere inside each call, so what
    // it guarantees is the time from one call's start to the next's return.
    if (i > 0)
      gaps.push_back(HostNowUs() - tPrevStart);
    tPrevStart = tStart;
  }
  if (kw == "expect-frame-spacing") {
    // The limiter counts whole milliseconds, so allow one below.
    double dMin = ArgFloat(c, 2);
    double dLow = gaps.empty() ? 1e99 : *std::min_element(gaps.begin(), gaps.end());
    return Check(gaps.empty() || dLow >= (dMin - 1.0) * 1000.0,
                 "frames %.3f ms apart at the closest, expected at least %g ms", dLow / 1000.0,
                 dMin);
  }
  double dMax = *std::max_element(took.begin(), took.end());
  if (kw == "expect-frame-max") {
    double dLimit = ArgFloat(c, 2);
    return Check(dMax <= dLimit * 1000.0, "an update took %.3f ms, expected at most %g ms",
                 dMax / 1000.0, dLimit);
  }
  std::vector<double> sorted = took;
  std::sort(sorted.begin(), sorted.end());
  HostOut("time-frames: median %.1f us, max %.1f us, %lld calls", sorted[sorted.size() / 2], dMax,
          n);
  return true;
}

// time-repaint WIN N: N repaints of the map view, each WM_USER sent from the
// host's thread and answered by the editor thread; prints median and maximum.
static bool cmd_TimeRepaint(const CMD &c) {
  HWND h = NeedMapView(c);
  if (!h)
    return false;
  long long n = ArgInt(c, 2);
  if (n < 1 || n > 100000)
    ScriptError(c.iLine, "time-repaint: N must be 1 to 100000");
  std::vector<double> took;
  for (long long i = 0; i < n; i++) {
    double t0 = HostNowUs();
    if (!Send(h, WM_USER, 0, 0))
      return false;
    took.push_back(HostNowUs() - t0);
  }
  std::sort(took.begin(), took.end());
  HostOut("time-repaint: median %.1f us, max %.1f us, %lld repaints", took[took.size() / 2],
          took.back(), n);
  return true;
}

// ---- windows

static bool PollWindow(const std::string &szWin, bool bWant, DWORD dwMs) {
  DWORD t0 = GetTickCount();
  for (;;) {
    // Present means shown: a dialog shows itself once its controls exist.
    bool bHave = WinFind(szWin, bWant) != nullptr;
    if (bHave == bWant)
      return true;
    if (GetTickCount() - t0 >= dwMs)
      return false;
    Sleep(10);
  }
}

static bool cmd_ExpectWindow(const CMD &c) {
  const std::string &szWin = c.tok[1].s;
  bool bWant;
  if (IsWord(c, 2, "present"))
    bWant = true;
  else if (IsWord(c, 2, "absent"))
    bWant = false;
  else
    ScriptError(c.iLine, "expect-window WIN present|absent [TIMEOUT_MS]");
  DWORD dwMs = c.tok.size() > 3 ? (DWORD)ArgInt(c, 3) : 0;
  return Check(PollWindow(szWin, bWant, dwMs), "window %s is %s", szWin.c_str(),
               bWant ? "absent" : "present");
}

static bool cmd_ExpectWindowCount(const CMD &c) {
  const std::string &szTitle = c.tok[1].s;
  long long n = ArgInt(c, 2);
  DWORD dwMs = c.tok.size() > 3 ? (DWORD)ArgInt(c, 3) : 0;
  DWORD t0 = GetTickCount();
  int iHave;
  while ((iHave = WinCountTitle(szTitle)) != n && GetTickCount() - t0 < dwMs)
    Sleep(10);
  return Check(iHave == n, "%d windows titled \"%s\", expected %lld", iHave, szTitle.c_str(), n);
}

static bool cmd_ExpectTitle(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  std::string s = WinText(h);
  return Check(s == c.tok[2].s, "title \"%s\", expected \"%s\"", s.c_str(), c.tok[2].s.c_str());
}

static bool cmd_ExpectText(const CMD &c) {
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

static bool cmd_ExpectClass(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  char sz[256] = "";
  GetClassNameA(h, sz, sizeof(sz));
  return Check(_stricmp(sz, c.tok[3].s.c_str()) == 0, "control %s class \"%s\", expected \"%s\"",
               c.tok[2].s.c_str(), sz, c.tok[3].s.c_str());
}

static bool cmd_ExpectStyle(const CMD &c) {
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

static bool cmd_ExpectRect(const CMD &c) {
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

static bool cmd_ExpectCheck(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  DWORD_PTR r;
  if (!h || !Send(h, BM_GETCHECK, 0, 0, &r))
    return false;
  long long want = ArgInt(c, 3);
  return Check((long long)r == want, "control %s check state %lu, expected %lld",
               c.tok[2].s.c_str(), (unsigned long)r, want);
}

static bool cmd_ExpectScroll(const CMD &c) {
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

static bool cmd_ExpectMenu(const CMD &c) {
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

static bool cmd_ExpectMenuOrder(const CMD &c) {
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

static bool cmd_SetText(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  return h && Send(h, WM_SETTEXT, 0, (LPARAM)c.tok[3].s.c_str());
}

static bool cmd_Click(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  return h && Send(h, BM_CLICK, 0, 0);
}

static bool cmd_Command(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  long long id = ArgInt(c, 2);
  return h && Send(h, WM_COMMAND, MAKEWPARAM((WORD)id, 0), 0);
}

static bool cmd_Scroll(const CMD &c) {
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

static bool cmd_Select(const CMD &c) {
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
static bool cmd_ExpectListValue(const CMD &c) {
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

static bool cmd_ExpectItem(const CMD &c) {
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

static bool cmd_ExpectState(const CMD &c) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  bool bEnabled = c.tok[0].s == "expect-enabled";
  bool bHave = bEnabled ? IsWindowEnabled(h) != 0 : IsWindowVisible(h) != 0;
  bool bWant = ArgInt(c, 3) != 0;
  return Check(bHave == bWant, "control %s is %s%s", c.tok[2].s.c_str(), bHave ? "" : "not ",
               bEnabled ? "enabled" : "visible");
}

static bool cmd_Close(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  return h && Send(h, WM_CLOSE, 0, 0);
}

static bool cmd_InitMenu(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  return h && Send(h, WM_INITMENU, (WPARAM)GetMenu(h), 0);
}

// resize WIN W H: the outer size; move WIN X Y: the screen position.
static bool cmd_Resize(const CMD &c) {
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

static bool cmd_Sizing(const CMD &c) {
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

static bool cmd_ExpectSizing(const CMD &c) {
  long long w = ArgInt(c, 1), hgt = ArgInt(c, 2);
  return Check(iSizingW == w && iSizingH == hgt, "sizing gave %dx%d, expected %lldx%lld", iSizingW,
               iSizingH, w, hgt);
}

static bool cmd_ExpectSize(const CMD &c) {
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

static bool cmd_View(const CMD &c) {
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
  return WinReadPixels(h, x, y, w, hgt, px) ||
         Check(false, "cannot read the pixels of control %s", c.tok[2].s.c_str());
}

static bool cmd_ExpectPixel(const CMD &c) {
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

static bool cmd_ExpectColorCount(const CMD &c) {
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

static bool cmd_ExpectNoWindows(const CMD &c) {
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

static bool cmd_ListWindows(const CMD &) {
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

static bool cmd_ExpectThreads(const CMD &c) {
  long long n = ArgInt(c, 1);
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 0;
  bool bExtra = c.tok[0].s == "expect-extra-threads";
  int iBase = bExtra ? iBaseThreads : 0;
  DWORD t0 = GetTickCount();
  int iHave;
  while ((iHave = WinCountThreads() - iBase) != n && GetTickCount() - t0 < dwMs)
    Sleep(10);
  return Check(iHave == n, "%d %sthreads, expected %lld", iHave, bExtra ? "extra " : "", n);
}

static bool cmd_Screenshot(const CMD &c) {
  HWND h = nullptr;
  if (c.tok[1].s != "all" && !(h = NeedWindow(c, 1)))
    return false;
  std::string szPath = JoinPath(szOutDir, c.tok[2].s + ".bmp");
  if (!WinScreenshot(h, szPath))
    return Act(false, "cannot write %s", szPath.c_str());
  return true;
}

// ---- requests and message boxes

static bool cmd_ClearRequests(const CMD &) {
  HostLogClear();
  return true;
}

static bool cmd_ExpectRequest(const CMD &c) {
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

static bool cmd_ExpectTextureHandshake(const CMD &) {
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

static bool cmd_ExpectMsgbox(const CMD &c) {
  bool bPrefix = c.tok[0].s == "expect-msgbox-prefix";
  const std::string &want = c.tok[1].s;
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 2000;
  DWORD t0 = GetTickCount();
  std::vector<MSGBOX_SEEN> seen;
  for (;;) {
    WinMsgboxSnapshot(seen);
    for (const MSGBOX_SEEN &m : seen)
      if (bPrefix ? m.szText.compare(0, want.size(), want) == 0 : m.szText == want)
        return Check(true, "");
    if (GetTickCount() - t0 >= dwMs)
      break;
    Sleep(10);
  }
  std::string szSeen;
  for (const MSGBOX_SEEN &m : seen)
    szSeen += " \"" + m.szText + "\"";
  return Check(false, "no message box \"%s\"%s; seen:%s", want.c_str(), bPrefix ? "..." : "",
               seen.empty() ? " none" : szSeen.c_str());
}

static bool cmd_ExpectNoMsgbox(const CMD &) {
  std::vector<MSGBOX_SEEN> seen;
  WinMsgboxSnapshot(seen);
  return Check(seen.empty(), "%zu message boxes, the first \"%s\"", seen.size(),
               seen.empty() ? "" : seen[0].szText.c_str());
}

static bool cmd_ClearMsgboxes(const CMD &) {
  WinMsgboxClear();
  return true;
}

static bool cmd_MsgboxAnswer(const CMD &c) {
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

// ---- level data and files

// Fields of the host's sector and wall records that scenarios name: where
// each lies in its record and how it is stored.
enum { FT_TEXT, FT_U16, FT_U32, FT_I32, FT_FLOAT, FT_DOUBLE };

struct FIELD {
  const char *szName;
  int iType;
  size_t nOff;  // in the record
  size_t nSize; // bytes; for FT_TEXT the buffer with its terminator
};

#define KH_FIELD(NAME, TYPE, REC, MEMBER)                                                          \
  { NAME, TYPE, offsetof(REC, MEMBER), sizeof(((REC *)nullptr)->MEMBER) }
#define KH_SURFACE(NAME, REC, CF)                                                                  \
  KH_FIELD(NAME "-tex", FT_I32, REC, CF.iTextureIndex),                                            \
      KH_FIELD(NAME "-alignx", FT_FLOAT, REC, CF.fAlignX),                                         \
      KH_FIELD(NAME "-alignz", FT_FLOAT, REC, CF.fAlignZ),                                         \
      KH_FIELD(NAME "-angle", FT_U16, REC, CF.wAngle)

static const FIELD sectorFields[] = {
    KH_FIELD("name", FT_TEXT, SECTOR_DATA, szSectorName),
    KH_FIELD("sound", FT_TEXT, SECTOR_DATA, szSoundName),
    KH_FIELD("light", FT_U16, SECTOR_DATA, wLight),
    KH_FIELD("flag1", FT_U32, SECTOR_DATA, dwFlag1),
    KH_FIELD("flag2", FT_U32, SECTOR_DATA, dwFlag2),
    KH_FIELD("flag3", FT_U32, SECTOR_DATA, dwFlag3),
    KH_FIELD("friction", FT_FLOAT, SECTOR_DATA, fFriction),
    KH_FIELD("gravity", FT_FLOAT, SECTOR_DATA, fGravity),
    KH_FIELD("elasticity", FT_FLOAT, SECTOR_DATA, fElasticity),
    KH_FIELD("vx", FT_DOUBLE, SECTOR_DATA, dVX),
    KH_FIELD("vy", FT_DOUBLE, SECTOR_DATA, dVY),
    KH_FIELD("vz", FT_DOUBLE, SECTOR_DATA, dVZ),
    KH_FIELD("floor", FT_FLOAT, SECTOR_DATA, cfFloor[0][0].fElev),
    KH_FIELD("ceiling", FT_FLOAT, SECTOR_DATA, cfCeiling[0].fElev),
    KH_FIELD("floor-count", FT_U16, SECTOR_DATA, wFloorCount),
    KH_SURFACE("floor", SECTOR_DATA, cfFloor[0][0]),
    KH_SURFACE("ceiling", SECTOR_DATA, cfCeiling[0]),
    KH_SURFACE("floor-overlay", SECTOR_DATA, cfFloor[0][1]),
    KH_SURFACE("ceiling-overlay", SECTOR_DATA, cfCeiling[1]),
    KH_FIELD("floor-slope-sector", FT_U32, SECTOR_DATA, sdFloor.dwHingeSectorTag),
    KH_FIELD("floor-slope-wall", FT_U32, SECTOR_DATA, sdFloor.dwHingeWallTag),
    KH_FIELD("floor-slope-angle", FT_I32, SECTOR_DATA, sdFloor.iAngle),
    KH_FIELD("ceiling-slope-sector", FT_U32, SECTOR_DATA, sdCeiling.dwHingeSectorTag),
    KH_FIELD("ceiling-slope-wall", FT_U32, SECTOR_DATA, sdCeiling.dwHingeWallTag),
    KH_FIELD("ceiling-slope-angle", FT_I32, SECTOR_DATA, sdCeiling.iAngle),
};

static const FIELD wallFields[] = {
    KH_SURFACE("upper", WALL_DATA, cfdUpper),
    KH_FIELD("upper-elev", FT_FLOAT, WALL_DATA, cfdUpper.fElev),
    KH_SURFACE("middle", WALL_DATA, cfdMiddle),
    KH_FIELD("middle-elev", FT_FLOAT, WALL_DATA, cfdMiddle.fElev),
    KH_SURFACE("lower", WALL_DATA, cfdLower),
    KH_FIELD("lower-elev", FT_FLOAT, WALL_DATA, cfdLower.fElev),
    KH_SURFACE("overlay", WALL_DATA, cfdOverlay),
    KH_FIELD("overlay-elev", FT_FLOAT, WALL_DATA, cfdOverlay.fElev),
    KH_FIELD("flag1", FT_U32, WALL_DATA, dwFlag1),
    KH_FIELD("flag2", FT_U32, WALL_DATA, dwFlag2),
    KH_FIELD("walk", FT_I32, WALL_DATA, wmWalkMode),
    KH_FIELD("adjoin", FT_U32, WALL_DATA, bHasAdjoin),
};

template <size_t N>
static const FIELD &NeedField(const CMD &c, size_t i, const FIELD (&fields)[N], const char *szRec) {
  for (const FIELD &f : fields)
    if (c.tok[i].s == f.szName)
      return f;
  ScriptError(c.iLine, "unknown %s field \"%s\"", szRec, c.tok[i].s.c_str());
}

static double FieldNumber(const void *pRec, const FIELD &f) {
  const char *p = (const char *)pRec + f.nOff;
  switch (f.iType) {
  case FT_U16:
    return *(const uint16_t *)p;
  case FT_U32:
    return *(const uint32_t *)p;
  case FT_I32:
    return *(const int32_t *)p;
  case FT_FLOAT:
    return *(const float *)p;
  case FT_DOUBLE:
    return *(const double *)p;
  }
  return 0;
}

// The field of the record against token iValue: text exactly, numbers
// within 1e-4 relative.
static bool FieldEquals(const CMD &c, size_t iValue, const void *pRec, const FIELD &f) {
  const std::string &want = c.tok[iValue].s;
  if (f.iType == FT_TEXT) {
    const char *sz = (const char *)pRec + f.nOff;
    return Check(want == sz, "%s is \"%s\", expected \"%s\"", f.szName, sz, want.c_str());
  }
  double dValue = FieldNumber(pRec, f), dWant = ArgFloat(c, iValue);
  return Check(fabs(dValue - dWant) <= 1e-4 * (1.0 + fabs(dWant)), "%s is %.9g, expected %s",
               f.szName, dValue, want.c_str());
}

// Puts token iValue into the field of the record; a value the field cannot
// hold is a scenario error.
static void FieldStore(const CMD &c, size_t iValue, const FIELD &f, void *pRec) {
  char *p = (char *)pRec + f.nOff;
  const std::string &s = c.tok[iValue].s;
  if (f.iType == FT_TEXT) {
    if (s.size() >= f.nSize)
      ScriptError(c.iLine, "%s takes at most %zu characters", f.szName, f.nSize - 1);
    memset(p, 0, f.nSize);
    memcpy(p, s.data(), s.size());
    return;
  }
  if (f.iType == FT_FLOAT || f.iType == FT_DOUBLE) {
    double d = ArgFloat(c, iValue);
    if (f.iType == FT_FLOAT)
      *(float *)p = (float)d;
    else
      *(double *)p = d;
    return;
  }
  long long v = ArgInt(c, iValue);
  long long llMin = f.iType == FT_I32 ? -0x80000000ll : 0;
  long long llMax = f.iType == FT_U16 ? 0xFFFF : f.iType == FT_U32 ? 0xFFFFFFFFll : 0x7FFFFFFF;
  if (v < llMin || v > llMax)
    ScriptError(c.iLine, "%s: %s is out of range %lld..%lld", f.szName, s.c_str(), llMin, llMax);
  if (f.iType == FT_U16)
    *(uint16_t *)p = (uint16_t)v;
  else if (f.iType == FT_U32)
    *(uint32_t *)p = (uint32_t)v;
  else
    *(int32_t *)p = (int32_t)v;
}

static bool cmd_ExpectSector(const CMD &c) {
  uint32_t dwTag = (uint32_t)ArgInt(c, 1);
  const FIELD &f = NeedField(c, 2, sectorFields, "sector");
  EnterCriticalSection(&gcsLevel);
  int i = LevelSectorByTag(gLevel, dwTag);
  SECTOR_DATA sd;
  if (i >= 0)
    sd = gLevel.sectors[(size_t)i].sd;
  LeaveCriticalSection(&gcsLevel);
  if (i < 0)
    ScriptError(c.iLine, "no sector with tag %s", c.tok[1].s.c_str());
  return FieldEquals(c, 3, &sd, f);
}

// set-sector TAG FIELD VALUE: the game changes its own sector.
static bool cmd_SetSector(const CMD &c) {
  uint32_t dwTag = (uint32_t)ArgInt(c, 1);
  const FIELD &f = NeedField(c, 2, sectorFields, "sector");
  SECTOR_DATA sdNew;
  memset(&sdNew, 0, sizeof(sdNew));
  FieldStore(c, 3, f, &sdNew);
  EnterCriticalSection(&gcsLevel);
  int i = LevelSectorByTag(gLevel, dwTag);
  if (i >= 0)
    memcpy((char *)&gLevel.sectors[(size_t)i].sd + f.nOff, (const char *)&sdNew + f.nOff, f.nSize);
  LeaveCriticalSection(&gcsLevel);
  if (i < 0)
    ScriptError(c.iLine, "no sector with tag %s", c.tok[1].s.c_str());
  return true;
}

static bool cmd_ExpectWall(const CMD &c) {
  uint32_t dwSector = (uint32_t)ArgInt(c, 1), dwWall = (uint32_t)ArgInt(c, 2);
  const FIELD &f = NeedField(c, 3, wallFields, "wall");
  EnterCriticalSection(&gcsLevel);
  int i = LevelSectorByTag(gLevel, dwSector), k = -1;
  WALL_DATA wd;
  if (i >= 0) {
    const LVL_SECTOR &s = gLevel.sectors[(size_t)i];
    k = LevelWallByTag(s, dwWall);
    if (k >= 0)
      wd = s.walls[(size_t)k].wd;
  }
  LeaveCriticalSection(&gcsLevel);
  if (k < 0)
    ScriptError(c.iLine, "no wall %s in sector %s", c.tok[2].s.c_str(), c.tok[1].s.c_str());
  return FieldEquals(c, 4, &wd, f);
}

static bool cmd_ExpectFile(const CMD &c) {
  std::string szPath = ResolvePath(c.tok[1].s);
  std::string data;
  bool bHave = ReadFileBytes(szPath, data);
  if (c.tok[0].s == "expect-no-file")
    return Check(!bHave, "file %s exists", szPath.c_str());
  if (!Check(bHave, "no file %s", szPath.c_str()))
    return false;
  if (c.tok[0].s == "expect-file-contains") {
    const std::string &want = c.tok[2].s;
    return Check(data.find(want) != std::string::npos, "%s does not contain \"%s\"", szPath.c_str(),
                 want.c_str());
  }
  if (c.tok.size() > 2) {
    if (!IsWord(c, 2, "same-as") || c.tok.size() != 4)
      ScriptError(c.iLine, "expect-file PATH [same-as EXPECTED]");
    std::string szOther = ResolvePath(c.tok[3].s), other;
    if (!Check(ReadFileBytes(szOther, other), "no file %s", szOther.c_str()))
      return false;
    size_t k = 0;
    while (k < data.size() && k < other.size() && data[k] == other[k])
      k++;
    return Check(data == other, "%s differs from %s at byte %zu (%zu and %zu bytes)",
                 szPath.c_str(), szOther.c_str(), k, data.size(), other.size());
  }
  return true;
}

static bool cmd_CopyFile(const CMD &c) {
  std::string a = ResolvePath(c.tok[1].s), b = ResolvePath(c.tok[2].s);
  return Act(CopyFileA(a.c_str(), b.c_str(), FALSE) != 0, "cannot copy %s to %s", a.c_str(),
             b.c_str());
}

static bool cmd_DeleteFile(const CMD &c) {
  std::string a = ResolvePath(c.tok[1].s);
  DeleteFileA(a.c_str()); // a missing file is fine
  return true;
}

static bool cmd_MakeDir(const CMD &c) {
  std::string a = ResolvePath(c.tok[1].s);
  if (CreateDirectoryA(a.c_str(), NULL))
    return true;
  return Act(GetLastError() == ERROR_ALREADY_EXISTS, "cannot create folder %s", a.c_str());
}

static const char szToolsKey[] = "Software\\Meridane Entertainment Company\\Keldrun\\Tools";

static bool cmd_Reg(const CMD &c) {
  const std::string &kw = c.tok[0].s;
  if (kw == "reg-delete-key") {
    LONG r = RegDeleteKeyA(HKEY_LOCAL_MACHINE, szToolsKey);
    return Act(r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND, "RegDeleteKey: error %ld", r);
  }
  if (kw == "reg-set") {
    HKEY hk;
    LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, szToolsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hk,
                             nullptr);
    if (!Act(r == ERROR_SUCCESS, "RegCreateKeyEx: error %ld", r))
      return false;
    const std::string &v = c.tok[2].s;
    r = RegSetValueExA(hk, c.tok[1].s.c_str(), 0, REG_SZ, (const BYTE *)v.c_str(),
                       (DWORD)v.size() + 1);
    RegCloseKey(hk);
    return Act(r == ERROR_SUCCESS, "RegSetValueEx: error %ld", r);
  }
  // expect-reg VALUE TEXT, or expect-reg VALUE none for a missing value
  HKEY hk;
  char sz[1024] = "";
  DWORD cb = sizeof(sz) - 1, dwType = 0;
  bool bHave = RegOpenKeyExA(HKEY_LOCAL_MACHINE, szToolsKey, 0, KEY_READ, &hk) == ERROR_SUCCESS;
  if (bHave) {
    bHave = RegQueryValueExA(hk, c.tok[1].s.c_str(), nullptr, &dwType, (BYTE *)sz, &cb) ==
            ERROR_SUCCESS;
    RegCloseKey(hk);
  }
  if (IsWord(c, 2, "none"))
    return Check(!bHave, "value \"%s\" exists: \"%s\"", c.tok[1].s.c_str(), sz);
  if (!Check(bHave, "no value \"%s\"", c.tok[1].s.c_str()))
    return false;
  return Check(dwType == REG_SZ && c.tok[2].s == sz,
               "value \"%s\" is \"%s\" (type %lu), expected \"%s\"", c.tok[1].s.c_str(), sz,
               (unsigned long)dwType, c.tok[2].s.c_str());
}

static bool cmd_KeepGoing(const CMD &) {
  bKeepGoing = true;
  return true;
}

// ---------------------------------------------------------------------------
// Measuring

// ---- render statistics


// render-usage V1 ... V9 | auto
static bool cmd_RenderUsage(const CMD &c) {
  if (c.tok.size() == 2 && IsWord(c, 1, "auto")) {
    gbFixedUsage.store(false);
    return true;
  }
  if (c.tok.size() != 10)
    ScriptError(c.iLine, "render-usage takes nine numbers or \"auto\"");
  int32_t v[9];
  for (size_t i = 0; i < 9; i++) {
    long long n = ArgInt(c, i + 1);
    if (n < INT32_MIN || n > UINT32_MAX)
      ScriptError(c.iLine, "render-usage: %lld does not fit 32 bits", n);
    v[i] = (int32_t)(uint32_t)(n & 0xFFFFFFFFll);
  }
  EnterCriticalSection(&gcsLevel);
  memcpy(&gruFixed, v, sizeof(gruFixed));
  LeaveCriticalSection(&gcsLevel);
  gbFixedUsage.store(true);
  return true;
}

// ---- paint times

// N repaints of control ID: invalidated and painted at once from the host's
// thread (the paint runs on the editor thread). Fills took in microseconds.
static bool msr_Paint(const CMD &c, long long n, std::vector<double> &took) {
  HWND h = NeedControl(c, 1, 2);
  if (!h)
    return false;
  for (long long i = 0; i < n; i++) {
    double t0 = HostNowUs();
    if (!RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW))
      return Act(false, "control %lld could not be repainted", ArgInt(c, 2));
    took.push_back(HostNowUs() - t0);
  }
  return true;
}

// time-paint WIN ID N
static bool cmd_TimePaint(const CMD &c) {
  long long n = ArgInt(c, 3);
  if (n < 1 || n > 100000)
    ScriptError(c.iLine, "time-paint: N must be 1 to 100000");
  std::vector<double> took;
  if (!msr_Paint(c, n, took))
    return false;
  std::sort(took.begin(), took.end());
  HostOut("time-paint: median %.1f us, max %.1f us, %lld paints", took[took.size() / 2],
          took.back(), n);
  return true;
}

// expect-paint-max WIN ID N MAX_MS: every paint; expect-paint-median WIN ID N
// MAX_MS: the median paint.
static bool cmd_ExpectPaintMax(const CMD &c) {
  const std::string &kw = c.tok[0].s;
  long long n = ArgInt(c, 3);
  if (n < 1 || n > 100000)
    ScriptError(c.iLine, "%s: N must be 1 to 100000", kw.c_str());
  double dLimit = ArgFloat(c, 4);
  std::vector<double> took;
  if (!msr_Paint(c, n, took))
    return false;
  std::sort(took.begin(), took.end());
  bool bMedian = kw == "expect-paint-median";
  double d = bMedian ? took[took.size() / 2] : took.back();
  return Check(d <= dLimit * 1000.0, "%s paint took %.3f ms, expected at most %g ms",
               bMedian ? "the median" : "a", d / 1000.0, dLimit);
}

// ---- timer ticks

// WM_TIMER messages that the watched window's thread took from its queue,
// with the time each was taken. Written by the hook on that thread.
static CRITICAL_SECTION csTicks;
static bool bTicksReady;
static HWND hTickWindow;
static HHOOK hTickHook;
static std::vector<double> tickTimes;

static LRESULT CALLBACK msr_TickHook(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION && wParam == PM_REMOVE) {
    const MSG *pMsg = (const MSG *)lParam;
    if (pMsg->message == WM_TIMER && pMsg->hwnd == hTickWindow) {
      EnterCriticalSection(&csTicks);
      tickTimes.push_back(HostNowUs());
      LeaveCriticalSection(&csTicks);
    }
  }
  return CallNextHookEx(hTickHook, nCode, wParam, lParam);
}

static void msr_StopTicks() {
  if (hTickHook)
    UnhookWindowsHookEx(hTickHook);
  hTickHook = nullptr;
}

// watch-ticks WIN: from now on the timer messages of WIN are timed.
static bool cmd_WatchTicks(const CMD &c) {
  HWND h = NeedWindow(c, 1);
  if (!h)
    return false;
  if (!bTicksReady) {
    InitializeCriticalSection(&csTicks);
    bTicksReady = true;
  }
  msr_StopTicks();
  EnterCriticalSection(&csTicks);
  tickTimes.clear();
  hTickWindow = h;
  LeaveCriticalSection(&csTicks);
  DWORD dwThread = GetWindowThreadProcessId(h, nullptr);
  hTickHook = SetWindowsHookExA(WH_GETMESSAGE, msr_TickHook, nullptr, dwThread);
  return Act(hTickHook != nullptr, "cannot watch the timer of the window (error %lu)",
             GetLastError());
}

// expect-ticks WIN MAX_GAP_MS: ends the watch; at least one tick came, and
// no two ticks (nor the watch's end and the last tick) lie further apart.
static bool cmd_ExpectTicks(const CMD &c) {
  if (!bTicksReady || !hTickHook)
    return Check(false, "no watch-ticks before");
  HWND h = NeedWindow(c, 1);
  double dLimit = ArgFloat(c, 2);
  double tEnd = HostNowUs();
  msr_StopTicks();
  EnterCriticalSection(&csTicks);
  std::vector<double> t = tickTimes;
  bool bSame = h == hTickWindow;
  LeaveCriticalSection(&csTicks);
  if (!bSame)
    return Check(false, "the ticks watched were those of another window");
  if (t.empty())
    return Check(false, "no timer tick came");
  std::vector<double> gaps;
  for (size_t i = 1; i < t.size(); i++)
    gaps.push_back(t[i] - t[i - 1]);
  gaps.push_back(tEnd - t.back());
  std::vector<double> sorted = gaps;
  std::sort(sorted.begin(), sorted.end());
  double dMax = sorted.back();
  HostOut("ticks: %zu, median gap %.1f ms, max gap %.1f ms", t.size(),
          sorted[sorted.size() / 2] / 1000.0, dMax / 1000.0);
  return Check(dMax <= dLimit * 1000.0, "the timer was %.1f ms without a tick, expected at most %g",
               dMax / 1000.0, dLimit);
}

// ---- heap bytes

static long long llHeapMark = -1;

// Bytes in use in every heap of the process.
static long long msr_HeapBytes() {
  std::vector<HANDLE> heaps(64);
  DWORD n = GetProcessHeaps((DWORD)heaps.size(), heaps.data());
  if (n > heaps.size()) {
    heaps.resize(n);
    n = GetProcessHeaps((DWORD)heaps.size(), heaps.data());
  }
  long long llBytes = 0;
  for (DWORD i = 0; i < n && i < heaps.size(); i++) {
    if (!HeapLock(heaps[i]))
      continue;
    PROCESS_HEAP_ENTRY e = {};
    while (HeapWalk(heaps[i], &e)) {
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
        llBytes += e.cbData;
    }
    HeapUnlock(heaps[i]);
  }
  return llBytes;
}

static bool cmd_PrintHeap(const CMD &) {
  HostOut("heap: %lld bytes in use", msr_HeapBytes());
  return true;
}

static bool cmd_MarkHeap(const CMD &) {
  llHeapMark = msr_HeapBytes();
  HostOut("heap: %lld bytes in use (marked)", llHeapMark);
  return true;
}

// expect-heap MAX_GROWTH: the bytes in use now exceed the mark by at most
// MAX_GROWTH.
static bool cmd_ExpectHeap(const CMD &c) {
  if (llHeapMark < 0)
    return Check(false, "no mark-heap before");
  long long llMax = ArgInt(c, 1);
  long long llNow = msr_HeapBytes();
  HostOut("heap: %lld bytes in use, %+lld since the mark", llNow, llNow - llHeapMark);
  return Check(llNow - llHeapMark <= llMax, "the heap grew by %lld bytes, expected at most %lld",
               llNow - llHeapMark, llMax);
}

struct CMD_DEF {
  const char *szName;
  int iMin, iMax; // argument counts
  PFN_CMD pfn;
};

static const CMD_DEF cmdDefs[] = {
    {"load", 0, 0, cmd_Load},
    {"unload", 0, 0, cmd_Unload},
    {"expect-exports", 0, 0, cmd_ExpectExports},
    {"wake", 0, 3, cmd_Wake},
    {"kill", 0, 1, cmd_Kill},
    {"kill-nowait", 0, 0, cmd_Kill},
    {"expect-flag", 1, 2, cmd_ExpectFlag},
    {"key", 1, 2, cmd_Key},
    {"editor-to-top", 0, 0, cmd_EditorToTop},
    {"wait", 1, 1, cmd_Wait},
    {"print", 1, 1, cmd_Print},
    {"textures", 1, 2, cmd_Textures},
    {"level-name", 1, 1, cmd_LevelName},
    {"block-editor", 1, 1, cmd_BlockEditor},
    {"pos", 3, 4, cmd_Pos},
    {"walk", 5, 6, cmd_Walk},
    {"frames", 1, 1, cmd_Frames},
    {"actor", 4, 5, cmd_Actor},
    {"expect-update", 1, 1, cmd_ExpectUpdate},
    {"expect-frame-spacing", 2, 2, cmd_FrameTiming},
    {"expect-frame-max", 2, 2, cmd_FrameTiming},
    {"time-frames", 1, 1, cmd_FrameTiming},
    {"time-repaint", 2, 2, cmd_TimeRepaint},
    {"expect-window", 2, 3, cmd_ExpectWindow},
    {"expect-window-count", 2, 3, cmd_ExpectWindowCount},
    {"expect-title", 2, 2, cmd_ExpectTitle},
    {"expect-text", 3, 3, cmd_ExpectText},
    {"expect-text-prefix", 3, 3, cmd_ExpectText},
    {"expect-class", 3, 3, cmd_ExpectClass},
    {"expect-style", 4, 4, cmd_ExpectStyle},
    {"expect-rect", 6, 7, cmd_ExpectRect},
    {"expect-pixel-rect", 6, 7, cmd_ExpectRect},
    {"expect-check", 3, 3, cmd_ExpectCheck},
    {"expect-scroll", 5, 5, cmd_ExpectScroll},
    {"expect-menu", 3, 4, cmd_ExpectMenu},
    {"expect-menu-order", 1, 30, cmd_ExpectMenuOrder},
    {"settext", 3, 3, cmd_SetText},
    {"click", 2, 2, cmd_Click},
    {"command", 2, 2, cmd_Command},
    {"scroll", 3, 4, cmd_Scroll},
    {"select", 3, 3, cmd_Select},
    {"expect-items", 3, 3, cmd_ExpectListValue},
    {"expect-item", 4, 4, cmd_ExpectItem},
    {"expect-selection", 3, 3, cmd_ExpectListValue},
    {"expect-enabled", 3, 3, cmd_ExpectState},
    {"expect-visible", 3, 3, cmd_ExpectState},
    {"close", 1, 1, cmd_Close},
    {"initmenu", 1, 1, cmd_InitMenu},
    {"resize", 3, 3, cmd_Resize},
    {"move", 3, 3, cmd_Resize},
    {"sizing", 3, 3, cmd_Sizing},
    {"expect-sizing", 2, 2, cmd_ExpectSizing},
    {"expect-window-size", 3, 4, cmd_ExpectSize},
    {"expect-client-size", 3, 4, cmd_ExpectSize},
    {"view-click", 3, 3, cmd_View},
    {"view-drag", 5, 5, cmd_View},
    {"view-rclick", 3, 3, cmd_View},
    {"expect-pixel", 7, 7, cmd_ExpectPixel},
    {"expect-color-count", 10, 11, cmd_ExpectColorCount},
    {"expect-no-windows", 0, 1, cmd_ExpectNoWindows},
    {"expect-threads", 1, 2, cmd_ExpectThreads},
    {"expect-extra-threads", 1, 2, cmd_ExpectThreads},
    {"screenshot", 2, 2, cmd_Screenshot},
    {"list-windows", 0, 0, cmd_ListWindows},
    {"render-usage", 1, 9, cmd_RenderUsage},
    {"time-paint", 3, 3, cmd_TimePaint},
    {"expect-paint-max", 4, 4, cmd_ExpectPaintMax},
    {"expect-paint-median", 4, 4, cmd_ExpectPaintMax},
    {"watch-ticks", 1, 1, cmd_WatchTicks},
    {"expect-ticks", 2, 2, cmd_ExpectTicks},
    {"print-heap", 0, 0, cmd_PrintHeap},
    {"mark-heap", 0, 0, cmd_MarkHeap},
    {"expect-heap", 1, 1, cmd_ExpectHeap},
    {"repeat", 1, 1, nullptr},
    {"end", 0, 0, nullptr},
    {"clear-requests", 0, 0, cmd_ClearRequests},
    {"expect-request", 1, 8, cmd_ExpectRequest},
    {"expect-no-request", 1, 5, cmd_ExpectRequest},
    {"expect-texture-handshake", 0, 0, cmd_ExpectTextureHandshake},
    {"expect-msgbox", 1, 2, cmd_ExpectMsgbox},
    {"expect-msgbox-prefix", 1, 2, cmd_ExpectMsgbox},
    {"expect-no-msgbox", 0, 0, cmd_ExpectNoMsgbox},
    {"clear-msgboxes", 0, 0, cmd_ClearMsgboxes},
    {"msgbox-answer", 1, 1, cmd_MsgboxAnswer},
    {"expect-sector", 3, 3, cmd_ExpectSector},
    {"set-sector", 3, 3, cmd_SetSector},
    {"expect-wall", 4, 4, cmd_ExpectWall},
    {"expect-file", 1, 3, cmd_ExpectFile},
    {"expect-file-contains", 2, 2, cmd_ExpectFile},
    {"expect-no-file", 1, 1, cmd_ExpectFile},
    {"copy-file", 2, 2, cmd_CopyFile},
    {"delete-file", 1, 1, cmd_DeleteFile},
    {"make-dir", 1, 1, cmd_MakeDir},
    {"reg-set", 2, 2, cmd_Reg},
    {"reg-delete-key", 0, 0, cmd_Reg},
    {"expect-reg", 2, 2, cmd_Reg},
    {"keep-going", 0, 0, cmd_KeepGoing},
};

static const CMD_DEF *FindCmd(const std::string &s) {
  for (const CMD_DEF &d : cmdDefs)
    if (s == d.szName)
      return &d;
  return nullptr;
}

static bool ReadScenario(const std::string &szPath, std::vector<CMD> &cmds) {
  std::string text;
  if (!ReadFileBytes(szPath, text)) {
    fprintf(stderr, "%s: cannot read\n", szPath.c_str());
    return false;
  }
  size_t pos = 0;
  int iLine = 0;
  std::string line;
  // Open "repeat" blocks: where each starts in cmds, and how often it runs.
  std::vector<std::pair<size_t, int>> repeats;
  while (TokNextLine(text, pos, line)) {
    iLine++;
    CMD c;
    c.iLine = iLine;
    if (const char *szErr = TokSplit(line, c.tok)) {
      fprintf(stderr, "%s:%d: %s\n", gszScriptName.c_str(), iLine, szErr);
      return false;
    }
    if (c.tok.empty())
      continue;
    const CMD_DEF *d = FindCmd(c.tok[0].s);
    if (!d || c.tok[0].bQuoted) {
      fprintf(stderr, "%s:%d: unknown command \"%s\"\n", gszScriptName.c_str(), iLine,
              c.tok[0].s.c_str());
      return false;
    }
    int n = (int)c.tok.size() - 1;
    if (n < d->iMin || n > d->iMax) {
      fprintf(stderr, "%s:%d: %s takes %d to %d arguments, found %d\n", gszScriptName.c_str(),
              iLine, d->szName, d->iMin, d->iMax, n);
      return false;
    }
    if (c.tok[0].s == "repeat") {
      long long nTimes = ArgInt(c, 1);
      if (nTimes < 1 || nTimes > 10000)
        ScriptError(iLine, "repeat: N must be 1 to 10000");
      repeats.push_back(std::make_pair(cmds.size(), (int)nTimes));
      continue;
    }
    if (c.tok[0].s == "end") {
      if (repeats.empty())
        ScriptError(iLine, "\"end\" without \"repeat\"");
      size_t iFirst = repeats.back().first;
      int nTimes = repeats.back().second;
      repeats.pop_back();
      std::vector<CMD> block(cmds.begin() + (long)iFirst, cmds.end());
      if (block.size() * (size_t)nTimes > 1000000)
        ScriptError(iLine, "repeat: too many commands");
      for (int k = 1; k < nTimes; k++)
        cmds.insert(cmds.end(), block.begin(), block.end());
      continue;
    }
    cmds.push_back(c);
  }
  if (!repeats.empty())
    ScriptError(iLine, "\"repeat\" without \"end\"");
  return true;
}

// ---------------------------------------------------------------------------

static void Usage() {
  fprintf(stderr,
          "usage: kredhost (--level FILE.lvl | --gen-level SECTORS WALLS) --script FILE.scn\n"
          "                [--out DIR] [--dll PATH] [--level-name NAME] [--timeout SECONDS]\n"
          "                [--quiet] [--check-script]\n"
          "       kredhost --level FILE.lvl --check-level\n");
}

int main(int argc, char **argv) {
  InitializeCriticalSection(&csOut);
  bOutReady = true;
  HostInitService();

  std::string szScript, szLevelName;
  bool bLevelNameGiven = false, bCheckOnly = false, bCheckScript = false;
  long long llGenSectors = 0, llGenWalls = 0;
  DWORD dwTimeout = 120;
  szOutDir = ".";
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    bool bHasArg = i + 1 < argc;
    if (a == "--level" && bHasArg)
      szLevelPath = argv[++i];
    else if (a == "--script" && bHasArg)
      szScript = argv[++i];
    else if (a == "--out" && bHasArg)
      szOutDir = argv[++i];
    else if (a == "--dll" && bHasArg)
      szDllPath = argv[++i];
    else if (a == "--level-name" && bHasArg) {
      szLevelName = argv[++i];
      bLevelNameGiven = true;
    } else if (a == "--timeout" && bHasArg)
      dwTimeout = (DWORD)strtoul(argv[++i], nullptr, 10);
    else if (a == "--gen-level" && i + 2 < argc) {
      llGenSectors = strtoll(argv[++i], nullptr, 10);
      llGenWalls = strtoll(argv[++i], nullptr, 10);
    } else if (a == "--quiet")
      bQuiet = true;
    else if (a == "--check-level")
      bCheckOnly = true;
    else if (a == "--check-script")
      bCheckScript = true;
    else {
      Usage();
      return 2;
    }
  }
  if ((szLevelPath.empty() == (llGenSectors == 0)) || (szScript.empty() && !bCheckOnly)) {
    Usage();
    return 2;
  }

  std::string err;
  LEVEL lvl;
  bool bLevelOk = szLevelPath.empty() ? LevelGenerate((int)llGenSectors, (int)llGenWalls, lvl, err)
                                      : LevelLoad(szLevelPath.c_str(), lvl, err);
  if (!bLevelOk) {
    fprintf(stderr, "%s\n", err.c_str());
    return 2;
  }
  gLevel = std::move(lvl);
  if (bCheckOnly) {
    size_t nWalls = 0;
    for (const LVL_SECTOR &s : gLevel.sectors)
      nWalls += s.walls.size();
    printf("%s: %zu sectors, %zu walls, %zu textures, %zu actors\n", szLevelPath.c_str(),
           gLevel.sectors.size(), nWalls, gLevel.textures.size(), gLevel.actors.size());
    return 0;
  }

  gszScriptName = szScript;
  szScriptDir = DirOf(szScript);
  std::vector<CMD> cmds;
  if (!ReadScenario(szScript, cmds))
    return 2;
  if (bCheckScript) {
    printf("%s: %zu commands\n", szScript.c_str(), cmds.size());
    return 0;
  }

  if (szDllPath.empty()) {
    char sz[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, sz, sizeof(sz));
    szDllPath = JoinPath(DirOf(std::string(sz, n)), "KREDITOR.DLL");
  }
  if (!bLevelNameGiven) {
    // The level's own name without its extension, in the output folder.
    std::string base = szLevelPath.empty() ? std::string("generated") : szLevelPath;
    size_t p = base.find_last_of("/\\");
    if (p != std::string::npos)
      base = base.substr(p + 1);
    size_t d = base.find_last_of('.');
    if (d != std::string::npos && d > 0)
      base = base.substr(0, d);
    szLevelName = JoinPath(szOutDir, base);
  }
  HostSetLevelName(szLevelName.c_str());

  gPlayer.x = gLevel.fStartX;
  gPlayer.y = gLevel.fStartY;
  gPlayer.sHeading = gLevel.sStartHeading;
  gPlayer.iSector = gLevel.dwStartSector != 0xFFFFFFFFu
                        ? LevelSectorByTag(gLevel, gLevel.dwStartSector)
                        : LevelFindSector(gLevel, gLevel.fStartX, gLevel.fStartY);
  if (gPlayer.iSector < 0)
    gPlayer.iSector = 0;

  // Park the real pointer in a corner, away from the editor's windows, so
  // that no real mouse move mixes with the view commands' messages.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);

  iBaseThreads = WinCountThreads() + 1; // with the watcher about to start
  WinStartWatcher(dwTimeout);

  for (const CMD &c : cmds) {
    giCurLine = c.iLine;
    if (!bQuiet) {
      std::string s = c.tok[0].s;
      for (size_t i = 1; i < c.tok.size() && s.size() < 100; i++)
        s += c.tok[i].bQuoted ? " \"" + c.tok[i].s + "\"" : " " + c.tok[i].s;
      HostOut("%d: %s", c.iLine, s.c_str());
    }
    int iFailedBefore = iFailed;
    FindCmd(c.tok[0].s)->pfn(c);
    if (iFailed > iFailedBefore && !bKeepGoing) {
      HostOut("stopping after the failure on line %d", c.iLine);
      break;
    }
  }
  HostExit(0);
  return 0;
}
