// Shared state of the replacement host: the level it serves, the request log,
// the message box watcher, and the routines the scenario runner calls.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "kred_records.h"
#include "level.h"

// ---- output and failures (kredhost.cpp) ----
void HostOut(const char *szFmt, ...);
// A failed check or action: "FAIL file:line: what", counts as a failed check.
void HostFail(const char *szFmt, ...);
// The run's time limit has passed: report and end the process (exit 3).
void HostTimeout();
extern std::atomic<int> giCurLine;
extern std::string gszScriptName;

// ---- the DLL, the service function and the level (host_dll.cpp) ----
typedef uint32_t(KRED_CDECL *PFN_WAKEUP)(KRED_CALLBACK);
typedef uint32_t(KRED_CDECL *PFN_UPDATEPOSITION)(const EDITOR_UPDATE_POSITION *);
typedef void(KRED_CDECL *PFN_POSTKEY)(uint32_t);
typedef uint32_t(KRED_CDECL *PFN_EDITORTOTOP)(void);
typedef uint32_t(KRED_CDECL *PFN_KILLOFF)(uint32_t *);

struct HOST_REQUEST {
  uint16_t wCode;
  uintptr_t dwArg;
  bool bHostThread;   // made on the host's (scenario) thread
  bool bWakeReturned; // WakeUpDLL had returned when it came
  uintptr_t dwResult; // for 1010: the list handed out
};

extern LEVEL gLevel;
extern CRITICAL_SECTION gcsLevel; // guards gLevel and the player; never held across DLL calls
extern HMODULE ghDll;
extern PFN_WAKEUP pfnWakeUpDLL;
extern PFN_UPDATEPOSITION pfnUpdatePosition;
extern PFN_POSTKEY pfnPostKey;
extern PFN_EDITORTOTOP pfnEditorToTop;
extern PFN_KILLOFF pfnKillOffDLL;
extern DWORD gdwHostThread;
extern std::atomic<int> giWakeState;    // 0 never, 1 inside WakeUpDLL, 2 returned
extern std::atomic<int> giClosingCount; // requests 1000 seen
extern std::atomic<int> giBlockEditorMs;
extern volatile uint32_t gdwKillFlag;
extern std::vector<HANDLE> gEditorThreads;

uint32_t KRED_CDECL HostService(uint16_t wCode, uintptr_t dwArg);
void HostLogSnapshot(std::vector<HOST_REQUEST> &out);
void HostLogClear();
// 1020 came with a pointer that 1010 had not handed out.
extern std::atomic<int> giBadListReturns;
void HostSetTextureOverride(int n, int iLen, bool bEnabled);
void HostSetLevelName(const char *sz); // null: answer 0
void HostInitService();

// Player and frames.
struct PLAYER {
  float x, y;
  int16_t sHeading;
  int iSector; // index into gLevel.sectors
};
extern PLAYER gPlayer;
extern uint32_t gdwLastUpdateResult;
// Moves the player (bForce: into sector iForceSector) and sends one update;
// returns the time the call took in microseconds.
double HostFrame(float x, float y, int16_t sHeading, int iForceSector);
// "render-usage": fixed statistics for the frames that follow (guarded by
// gcsLevel), instead of the changing ones.
extern std::atomic<bool> gbFixedUsage;
extern RenderUsage gruFixed;
double HostNowUs();

// ---- windows, message boxes, pixels (host_win.cpp) ----
struct MSGBOX_SEEN {
  std::string szTitle;
  std::string szText;
};
void WinStartWatcher(DWORD dwTimeoutSec);
void WinMsgboxSnapshot(std::vector<MSGBOX_SEEN> &out);
void WinMsgboxClear();
void WinSetMsgboxAnswer(int iId);
bool WinIsDismissedMsgbox(HWND h);
// "main" or "title:TEXT"; a visible window first, else (unless bVisibleOnly)
// a hidden one; null when there is none.
HWND WinFind(const std::string &szWin, bool bVisibleOnly = false);
int WinCountTitle(const std::string &szTitle);
std::string WinText(HWND h);               // without sending messages
bool WinGetText(HWND h, std::string &out); // WM_GETTEXT with a timeout
void WinListProcessWindows(std::vector<HWND> &out);
int WinCountThreads();
void WinThreadIds(std::vector<DWORD> &out);
// Pixels of a control in its client coordinates as 0x00RRGGBB, row-major.
bool WinReadPixels(HWND h, int x, int y, int w, int hgt, std::vector<uint32_t> &px);
bool WinScreenshot(HWND h, const std::string &szPath); // h null: whole screen
