// Library and run control: loading the library, waking and ending the
// editor, keys, and the host's answers that scenarios override.
#include "host_cmd.h"

#include <algorithm>

int giBaseThreads;

static const char *const szHostEntries[] = {"WakeUpDLL", "UpdatePosition", "PostKey", "EditorToTop",
                                            "KillOffDLL"};
static const char *const szAllExports[] = {
    "DLLEntryPoint", "EditSecDlgProc", "EditWallDlgProc", "EditorDlgProc", "EditorThread",
    "EditorToTop",   "KillOffDLL",     "MemDlgProc",      "PalDlgProc",    "PaletteWndProc",
    "PostKey",       "UpdatePosition", "UsageDlgProc",    "ViewWndProc",   "WakeUpDLL"};

bool DllLoad() {
  if (ghDll)
    return true;
  if (!giBaseThreads)
    giBaseThreads = WinCountThreads();
  ghDll = LoadLibraryA(gszDllPath.c_str());
  if (!ghDll) {
    HostFail("cannot load %s (error %lu)", gszDllPath.c_str(), (unsigned long)GetLastError());
    return false;
  }
  FARPROC p[5];
  for (int i = 0; i < 5; i++) {
    p[i] = GetProcAddress(ghDll, szHostEntries[i]);
    if (!p[i]) {
      HostFail("%s does not export %s", gszDllPath.c_str(), szHostEntries[i]);
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

uint32_t KillFlag() {
  MemoryBarrier();
  return gdwKillFlag;
}

// Every thread that appeared during a WakeUpDLL is the editor's. Runs may
// overlap (a run woken from the previous run's closing), so the list is
// shared with the closing editor thread.
static SRWLOCK srwThreads = SRWLOCK_INIT;
static std::vector<HANDLE> editorThreads;

void HostTakeNewThreads(const std::vector<DWORD> &before) {
  std::vector<DWORD> after;
  WinThreadIds(after);
  AcquireSRWLockExclusive(&srwThreads);
  for (DWORD id : after) {
    if (std::find(before.begin(), before.end(), id) != before.end())
      continue;
    HANDLE h = OpenThread(SYNCHRONIZE, FALSE, id);
    if (h)
      editorThreads.push_back(h);
  }
  ReleaseSRWLockExclusive(&srwThreads);
}

void HostEditorThreads(std::vector<HANDLE> &out) {
  AcquireSRWLockShared(&srwThreads);
  out = editorThreads;
  ReleaseSRWLockShared(&srwThreads);
}

// Forgets the threads that have ended. Only the host's thread calls it, and
// only it holds copies of the list.
static void PruneEditorThreads() {
  AcquireSRWLockExclusive(&srwThreads);
  auto it = std::remove_if(editorThreads.begin(), editorThreads.end(), [](HANDLE h) {
    if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT)
      return false;
    CloseHandle(h);
    return true;
  });
  editorThreads.erase(it, editorThreads.end());
  ReleaseSRWLockExclusive(&srwThreads);
}

static bool AnyAlive(const std::vector<HANDLE> &threads) {
  for (HANDLE h : threads)
    if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT)
      return true;
  return false;
}

static bool WaitThreads(const std::vector<HANDLE> &threads, DWORD dwMs) {
  DWORD t0 = GetTickCount();
  while (AnyAlive(threads)) {
    if (GetTickCount() - t0 > dwMs)
      return false;
    Sleep(5);
  }
  return true;
}

// Is an editor thread of ours still alive?
bool EditorAlive() {
  std::vector<HANDLE> threads;
  HostEditorThreads(threads);
  return AnyAlive(threads);
}

bool WaitEditorThreads(DWORD dwMs) {
  DWORD t0 = GetTickCount();
  while (EditorAlive()) {
    if (GetTickCount() - t0 > dwMs)
      return false;
    Sleep(5);
  }
  return true;
}

void HostExit(int iCode) {
  // No new run from this one's closing, and no box held open: end a running
  // editor by the kill handshake before the library goes.
  giRewakeArmed = 0;
  WinSetMsgboxHold(false);
  bool bClean = true;
  if (ghDll && EditorAlive()) {
    if (!gbQuiet)
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
  WinFailUnaccountedMsgboxes();
  HostOut("%d passed, %d failed", giPassed, giFailed);
  ExitProcess(giFailed ? 1 : (UINT)iCode);
}

bool NeedLib() {
  return ghDll || DllLoad();
}

bool cmd_Load(const CMD &) {
  return Check(DllLoad(), "load");
}

bool cmd_Unload(const CMD &) {
  if (ghDll)
    FreeLibrary(ghDll);
  ghDll = nullptr;
  return true;
}

// use-dll PATH: the library the host loads from now on (a copy beside its
// own flag-name lists, say); only while none is loaded.
bool cmd_UseDll(const CMD &c) {
  if (ghDll)
    return Act(false, "use-dll: a library is loaded; unload it first");
  gszDllPath = ResolvePath(c.tok[1].s);
  return true;
}

bool cmd_ExpectExports(const CMD &) {
  if (!NeedLib())
    return false;
  std::string szMissing;
  for (const char *sz : szAllExports)
    if (!GetProcAddress(ghDll, sz))
      szMissing += std::string(" ") + sz;
  return Check(szMissing.empty(), "missing exports:%s", szMissing.c_str());
}

bool cmd_Wake(const CMD &c) {
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
  PruneEditorThreads();
  std::vector<DWORD> before;
  WinThreadIds(before);
  giClosingCount = 0;
  giWakeState = 1;
  uint32_t r = pfnWakeUpDLL(bNull ? nullptr : HostService);
  giWakeState = 2;
  HostTakeNewThreads(before);
  return Check(r == (uint32_t)llExpect, "WakeUpDLL returned %u, expected %lld", r, llExpect);
}

bool cmd_Kill(const CMD &c) {
  if (!NeedLib())
    return false;
  DWORD dwMs = c.tok.size() > 1 ? (DWORD)ArgInt(c, 1) : 3000;
  bool bWait = c.tok[0].s == "kill";
  // The threads this kill ends; a run woken while it closes goes on.
  std::vector<HANDLE> threads;
  HostEditorThreads(threads);
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
  WaitThreads(threads, 2000);
  return true;
}

bool cmd_ExpectFlag(const CMD &c) {
  uint32_t v = (uint32_t)ArgInt(c, 1);
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 0;
  DWORD t0 = GetTickCount();
  while (KillFlag() != v && GetTickCount() - t0 < dwMs)
    Sleep(2);
  return Check(KillFlag() == v, "kill flag is %u, expected %u", KillFlag(), v);
}

bool cmd_Key(const CMD &c) {
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

bool cmd_EditorToTop(const CMD &) {
  if (!NeedLib())
    return false;
  uint32_t r = pfnEditorToTop();
  return Check(r == 1, "EditorToTop returned %u", r);
}

bool cmd_Wait(const CMD &c) {
  Sleep((DWORD)ArgInt(c, 1));
  return true;
}

bool cmd_Print(const CMD &c) {
  HostOut("%s", c.tok[1].s.c_str());
  return true;
}

bool cmd_Textures(const CMD &c) {
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

bool cmd_TextureSize(const CMD &c) {
  long long i = ArgInt(c, 1), w = ArgInt(c, 2), h = ArgInt(c, 3);
  if (i < 0 || i > 100000 || w < 0 || w > 65535 || h < 0 || h > 65535)
    ScriptError(c.iLine, "texture-size I (0..100000) W H (0..65535)");
  HostSetTextureSize((int)i, (uint16_t)w, (uint16_t)h);
  return true;
}

bool cmd_LevelName(const CMD &c) {
  HostSetLevelName(IsWord(c, 1, "none") ? nullptr : ResolvePath(c.tok[1].s).c_str());
  return true;
}

bool cmd_BlockEditor(const CMD &c) {
  giBlockEditorMs = (int)ArgInt(c, 1);
  return true;
}

// ---- a run woken from the previous run's closing

static std::atomic<int> iRewakeDone{0};
static std::atomic<uint32_t> dwRewakeResult{0};

void HostRewakeInline() {
  HostOut("host: request 1000: WakeUpDLL from the closing thread");
  std::vector<DWORD> before;
  WinThreadIds(before);
  giWakeState = 1;
  uint32_t r = pfnWakeUpDLL(HostService);
  giWakeState = 2;
  HostTakeNewThreads(before);
  dwRewakeResult = r;
  iRewakeDone = 1;
  HostOut("host: WakeUpDLL from request 1000 returned %u", r);
}

bool chk_RewakeOnClose(const CMD &c) {
  if (!IsWord(c, 1, "inline") && !IsWord(c, 1, "off"))
    ScriptError(c.iLine, "rewake-on-close inline|off");
  return true;
}

bool cmd_RewakeOnClose(const CMD &c) {
  chk_RewakeOnClose(c);
  if (IsWord(c, 1, "inline")) {
    iRewakeDone = 0;
    giRewakeArmed = 1;
  } else {
    giRewakeArmed = 0;
  }
  return true;
}

bool chk_ExpectRewake(const CMD &c) {
  ArgInt(c, 1);
  if (c.tok.size() > 2)
    ArgInt(c, 2);
  return true;
}

bool cmd_ExpectRewake(const CMD &c) {
  uint32_t dwWant = (uint32_t)ArgInt(c, 1);
  DWORD dwMs = c.tok.size() > 2 ? (DWORD)ArgInt(c, 2) : 2000;
  DWORD t0 = GetTickCount();
  while (!iRewakeDone && GetTickCount() - t0 < dwMs)
    Sleep(5);
  if (!Check(iRewakeDone != 0, "no request 1000 woke the editor again within %lu ms",
             (unsigned long)dwMs))
    return false;
  return Check(dwRewakeResult == dwWant, "WakeUpDLL from request 1000 returned %u, expected %u",
               dwRewakeResult.load(), dwWant);
}

// ---- answers of a bad host

static bool bPaletteFillNothing, bPaletteCounts;
static uint32_t dwPaletteMaps, dwPaletteShades;

bool chk_PaletteAnswer(const CMD &c) {
  if (IsWord(c, 1, "counts") && c.tok.size() == 4) {
    ArgU32(c, 2);
    ArgU32(c, 3);
  } else if (!(IsWord(c, 1, "normal") || IsWord(c, 1, "fill-nothing")) || c.tok.size() != 2) {
    ScriptError(c.iLine, "palette-answer normal|fill-nothing|counts CMAPS SHADES");
  }
  return true;
}

bool cmd_PaletteAnswer(const CMD &c) {
  chk_PaletteAnswer(c);
  if (IsWord(c, 1, "normal")) {
    bPaletteFillNothing = bPaletteCounts = false;
  } else if (IsWord(c, 1, "fill-nothing")) {
    bPaletteFillNothing = true;
  } else {
    bPaletteCounts = true;
    dwPaletteMaps = ArgU32(c, 2);
    dwPaletteShades = ArgU32(c, 3);
  }
  HostSetPaletteAnswer(bPaletteFillNothing, bPaletteCounts, dwPaletteMaps, dwPaletteShades);
  return true;
}

bool chk_ResourceText(const CMD &c) {
  size_t n = c.tok[1].s.size();
  if (n < 1 || n > 4)
    ScriptError(c.iLine, "resource-text: the code \"%s\" must have 1 to 4 characters",
                c.tok[1].s.c_str());
  return true;
}

bool cmd_ResourceText(const CMD &c) {
  chk_ResourceText(c);
  uint32_t dwCode = LevelResourceCode(c.tok[1].s.c_str());
  if (IsWord(c, 2, "none"))
    HostSetResourceText(dwCode, RT_NONE, nullptr);
  else if (IsWord(c, 2, "level"))
    HostSetResourceText(dwCode, RT_LEVEL, nullptr);
  else
    HostSetResourceText(dwCode, RT_TEXT, c.tok[2].s.c_str());
  return true;
}
