// The scenario runner's shared parts: a command with its tokens, the
// outcome of checks and actions, argument and path helpers, and the
// routines of every command (one file per family of commands).
#pragma once

#include "kredhost.h"
#include "tokens.h"

struct CMD {
  int iLine;
  std::vector<TOKEN> tok;
};

typedef bool (*PFN_CMD)(const CMD &c);

struct CMD_DEF {
  const char *szName;
  int iMin, iMax; // argument counts
  PFN_CMD pfn;
  // Checks the arguments when the scenario is read (--check-script too);
  // a bad one is a ScriptError. Commands without one check when they run.
  PFN_CMD pfnCheck;
};

// ---- the run (host_script.cpp)
extern int giPassed, giFailed;
extern bool gbKeepGoing, gbQuiet;
extern std::string gszDllPath, gszOutDir, gszScriptDir;
extern int giBaseThreads; // threads of the host before the library was loaded

void HostOutInit();
// A failed action or check prints its message; a passed check counts.
bool Outcome(bool bCheck, bool bOk, const char *szFmt, ...);

// An action's outcome: counts only when it failed.
template <typename... ARGS> static bool Act(bool bOk, const char *szFmt, ARGS... args) {
  return Outcome(false, bOk, szFmt, args...);
}

// A check: counts as passed or failed.
template <typename... ARGS> static bool Check(bool bOk, const char *szFmt, ARGS... args) {
  return Outcome(true, bOk, szFmt, args...);
}

// A bad scenario: "file:line: message" on standard error, exit code 2.
[[noreturn]] void ScriptError(int iLine, const char *szFmt, ...);
long long ArgInt(const CMD &c, size_t i);
// A 32-bit value: -0x80000000 to 0xFFFFFFFF, negative ones as their two's
// complement.
uint32_t ArgU32(const CMD &c, size_t i);
double ArgFloat(const CMD &c, size_t i);
bool IsWord(const CMD &c, size_t i, const char *sz);
bool IsAbsolute(const std::string &s);
std::string JoinPath(const std::string &dir, const std::string &name);
// "out:NAME" is in the output folder, "dll:NAME" beside the library the host
// loads; other relative paths are taken from the scenario's folder.
std::string ResolvePath(const std::string &s);
std::string DirOf(const std::string &s);
bool ReadFileBytes(const std::string &szPath, std::string &out);
bool ReadScenario(const std::string &szPath, std::vector<CMD> &cmds);

// ---- the command table (host_table.cpp)
const CMD_DEF *FindCmd(const std::string &s);

// ---- library and run control (host_run.cpp)
bool DllLoad();
bool NeedLib();
uint32_t KillFlag();
bool EditorAlive();
bool WaitEditorThreads(DWORD dwMs);
// Ends a running editor, unloads the library, prints the counts and ends
// the process (code 2: a bad scenario, nothing printed).
[[noreturn]] void HostExit(int iCode);
bool cmd_Load(const CMD &c);
bool cmd_UseDll(const CMD &c);
bool cmd_Unload(const CMD &c);
bool cmd_ExpectExports(const CMD &c);
bool cmd_Wake(const CMD &c);
bool cmd_Kill(const CMD &c);
bool cmd_ExpectFlag(const CMD &c);
bool cmd_Key(const CMD &c);
bool cmd_EditorToTop(const CMD &c);
bool cmd_Wait(const CMD &c);
bool cmd_Print(const CMD &c);
bool cmd_Textures(const CMD &c);
bool cmd_TextureSize(const CMD &c);
bool cmd_LevelName(const CMD &c);
bool cmd_BlockEditor(const CMD &c);
bool cmd_RewakeOnClose(const CMD &c);
bool chk_RewakeOnClose(const CMD &c);
bool cmd_ExpectRewake(const CMD &c);
bool chk_ExpectRewake(const CMD &c);
bool cmd_PaletteAnswer(const CMD &c);
bool chk_PaletteAnswer(const CMD &c);
bool cmd_ResourceText(const CMD &c);
bool chk_ResourceText(const CMD &c);

// ---- frames (host_frames.cpp)
bool cmd_Pos(const CMD &c);
bool cmd_Walk(const CMD &c);
bool cmd_Frames(const CMD &c);
bool cmd_Actor(const CMD &c);
bool cmd_ExpectUpdate(const CMD &c);
bool cmd_FrameTiming(const CMD &c);
bool cmd_TimeRepaint(const CMD &c);
bool cmd_TimeCommand(const CMD &c);
bool cmd_TimeWalk(const CMD &c);
bool cmd_TimeSend(const CMD &c);
bool chk_TimeSend(const CMD &c);
bool cmd_TimeReport(const CMD &c);
bool chk_TimeReport(const CMD &c);

// ---- measuring (host_measure.cpp)
bool cmd_RenderUsage(const CMD &c);
bool cmd_TimePaint(const CMD &c);
bool cmd_ExpectPaintMax(const CMD &c);
bool cmd_WatchTicks(const CMD &c);
bool cmd_ExpectTicks(const CMD &c);
bool cmd_PrintHeap(const CMD &c);
bool cmd_MarkHeap(const CMD &c);
bool cmd_ExpectHeap(const CMD &c);

// ---- windows (host_windows.cpp)
// Token i is "main" or title:"..." (a scenario error otherwise).
void CheckWindowArg(const CMD &c, size_t i);
// The window named by token i ("main" or title:"..."); a missing one fails
// the command (null).
HWND NeedWindow(const CMD &c, size_t i);
// Control iId of window iWin, also among its descendants.
HWND NeedControl(const CMD &c, size_t iWin, size_t iId);
// SendMessage with a 5 s time-out; no answer fails the command.
bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR *pr = nullptr);
// The map view (control 1000) of the window named by token 1.
HWND NeedMapView(const CMD &c);
bool cmd_ExpectWindow(const CMD &c);
bool cmd_ExpectWindowCount(const CMD &c);
bool cmd_ExpectTitle(const CMD &c);
bool cmd_Close(const CMD &c);
bool cmd_InitMenu(const CMD &c);
bool cmd_Resize(const CMD &c);
bool cmd_Sizing(const CMD &c);
bool cmd_ExpectSizing(const CMD &c);
bool cmd_ExpectSize(const CMD &c);
bool cmd_ExpectWindowPos(const CMD &c);
bool cmd_ExpectFocus(const CMD &c);
bool cmd_View(const CMD &c);
bool cmd_ExpectPixel(const CMD &c);
bool cmd_ExpectColorCount(const CMD &c);
bool cmd_ExpectNoWindows(const CMD &c);
bool cmd_ListWindows(const CMD &c);
bool cmd_ExpectThreads(const CMD &c);
bool cmd_Screenshot(const CMD &c);

// ---- controls and dialogs (host_controls.cpp)
bool cmd_ExpectText(const CMD &c);
bool cmd_ExpectClass(const CMD &c);
bool cmd_ExpectStyle(const CMD &c);
bool cmd_ExpectRect(const CMD &c);
bool cmd_ExpectCheck(const CMD &c);
bool cmd_ExpectScroll(const CMD &c);
bool cmd_ExpectMenu(const CMD &c);
bool cmd_ExpectMenuOrder(const CMD &c);
bool cmd_SetText(const CMD &c);
bool cmd_Click(const CMD &c);
bool cmd_Command(const CMD &c);
bool cmd_Scroll(const CMD &c);
bool cmd_Select(const CMD &c);
bool cmd_ExpectListValue(const CMD &c);
bool cmd_ExpectItem(const CMD &c);
bool cmd_ExpectState(const CMD &c);
bool cmd_SetCheck(const CMD &c);
bool chk_SetCheck(const CMD &c);
bool cmd_SelectQuiet(const CMD &c);
bool chk_SelectQuiet(const CMD &c);
bool cmd_RawMessage(const CMD &c);
bool chk_RawMessage(const CMD &c);

// ---- requests and message boxes (host_requests.cpp)
bool cmd_ClearRequests(const CMD &c);
bool cmd_ExpectRequest(const CMD &c);
bool cmd_ExpectTextureHandshake(const CMD &c);
bool cmd_ExpectMsgbox(const CMD &c);
bool cmd_ExpectNoMsgbox(const CMD &c);
bool cmd_WaitMsgboxes(const CMD &c);
bool cmd_ClearMsgboxes(const CMD &c);
bool cmd_MsgboxAnswer(const CMD &c);
bool cmd_MsgboxHold(const CMD &c);
bool chk_MsgboxHold(const CMD &c);
bool cmd_MsgboxDismiss(const CMD &c);
bool cmd_ExpectMsgboxState(const CMD &c);
bool chk_MsgboxTimeout(const CMD &c);

// ---- GDI objects (host_gdi.cpp)
bool cmd_PrintGdiObjects(const CMD &c);
bool cmd_MarkGdiObjects(const CMD &c);
bool chk_MarkGdiObjects(const CMD &c);
bool cmd_ExpectGdiObjects(const CMD &c);
bool chk_ExpectGdiObjects(const CMD &c);

// ---- level data (host_level.cpp) and records the editor sent (host_sent.cpp)
bool cmd_ExpectSector(const CMD &c);
bool cmd_ExpectWall(const CMD &c);
bool chk_ExpectField(const CMD &c);
bool cmd_SetField(const CMD &c); // set-sector, set-wall, set-sector-raw, set-wall-raw
bool cmd_RefuseWall(const CMD &c);
bool chk_RefuseWall(const CMD &c);
bool chk_SetField(const CMD &c);
bool cmd_MarkLevel(const CMD &c);
bool cmd_ExpectSent(const CMD &c);
bool chk_ExpectSent(const CMD &c);

// ---- files and registry (host_files.cpp)
bool cmd_ExpectFile(const CMD &c);
bool cmd_CopyFile(const CMD &c);
bool cmd_DeleteFile(const CMD &c);
bool cmd_MakeDir(const CMD &c);
bool cmd_Reg(const CMD &c);
bool cmd_KeepGoing(const CMD &c);
