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
// Set by rewake-on-close: the next request 1000 wakes the editor again.
extern std::atomic<int> giRewakeArmed;

uint32_t KRED_CDECL HostService(uint16_t wCode, uintptr_t dwArg);
void HostLogSnapshot(std::vector<HOST_REQUEST> &out);
void HostLogClear();
// 1020 came with a pointer that 1010 had not handed out.
extern std::atomic<int> giBadListReturns;
void HostSetTextureOverride(int n, int iLen, bool bEnabled);
// Request 1010 lists texture i with this size (texture-size).
void HostSetTextureSize(int i, uint16_t w, uint16_t h);
void HostSetLevelName(const char *sz); // null: answer 0
// Request 2200: leave the palette buffer untouched; report these counts.
void HostSetPaletteAnswer(bool bFillNothing, bool bCounts, uint32_t dwMaps, uint32_t dwShades);
enum { RT_LEVEL, RT_NONE, RT_TEXT };
// Request 4000 for one code: the level's text, a null pointer, or sz.
void HostSetResourceText(uint32_t dwCode, int iMode, const char *sz);
void HostInitService();
// Request 2100 for that wall answers "no such wall" (refuse-wall); 2110 is
// still taken and recorded.
void HostSetWallRefused(uint32_t dwSector, uint32_t dwWall, bool bRefused);

// Records the editor sent (host_sent.cpp), called with gcsLevel held; and
// the mark they are compared with (takes gcsLevel).
void HostSentSector(const SECTOR_DATA &sd);
void HostSentWall(uint32_t dwSector, uint32_t dwWall, const WALL_DATA &wd);
void HostMarkLevel();

// Editor threads (host_run.cpp): every thread that appeared while
// WakeUpDLL ran, on whatever thread called it.
void HostTakeNewThreads(const std::vector<DWORD> &before);
void HostEditorThreads(std::vector<HANDLE> &out);
// Request 1000 with rewake-on-close armed: WakeUpDLL on the closing thread.
void HostRewakeInline();

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
  HWND h;
  int iLine;       // the scenario line that ran when it came up
  bool bAccounted; // an expectation matched it
};
void WinStartWatcher(DWORD dwTimeoutSec);
void WinMsgboxSnapshot(std::vector<MSGBOX_SEEN> &out);
// Forgets the boxes seen so far: they count as accounted for.
void WinMsgboxClear();
void WinSetMsgboxAnswer(int iId);
// While held, boxes are recorded but left open.
void WinSetMsgboxHold(bool bHold);
int WinMsgboxDismissHeld(); // the number of boxes answered
// For expect-msgbox: 1 when a box not yet accounted for matched (it is now),
// 0 when only boxes already accounted for match, -1 when none does.
int WinMsgboxTake(const std::string &szWant, bool bPrefix);
// A recorded box with that text is open and not being answered; it is
// then accounted for.
bool WinMsgboxOpen(const std::string &szText);
// Any open message box of the process with that text, recorded or not.
bool WinMsgboxShown(const std::string &szText);
// A FAIL for every box no expectation matched.
void WinFailUnaccountedMsgboxes();
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
