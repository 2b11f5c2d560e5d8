// What the library's modules share: the host link, the window slots, the
// main dialog's settings and the routines one module offers another.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>

#include "../../res/kreditor_ids.h"
#include "fields.h"
#include "fixup_tables.h"
#include "fixup_writer.h"
#include "flagnames.h"
#include "geometry.h"
#include "keyring.h"
#include "kred_records.h"
#include "level_export.h"
#include "palgrid.h"
#include "resource_ids.h"
#include "runs.h"
#include "sector_flow.h"
#include "selection.h"
#include "snapshot.h"
#include "textures.h"
#include "wall_editor.h"
#include "wall_flow.h"

#define KRED_DIALOG_SLOTS 4
#define KRED_PALETTE_SLOTS 20

// Private messages.
#define WM_KRED_REPAINT WM_USER // repaint the map view
#define WM_KRED_NEWRESULTS 2269 // hand a tool dialog a new working record
// Posted to the main dialog by the host's entries. Window messages, not
// thread messages: message boxes, menus and move loops dispatch them.
#define WM_KRED_RUNCHECK (WM_APP + 1) // KillOffDLL: the run may have to end
#define WM_KRED_TOTOP (WM_APP + 2)    // EditorToTop

// Entry points and the runtime (kreditor.cpp).
extern HINSTANCE hInst;
extern KRED_CALLBACK gCallBack;
extern DWORD lThreadID;
extern HWND hDialogSet[KRED_DIALOG_SLOTS];
extern HWND hPaletteWndSet[KRED_PALETTE_SLOTS];
extern HFONT hFixedFont;
extern HPEN hPenBig, hPenBigR, hPenBigG, hPen2, hPenR;
extern uint32_t dwCurSector;

// Shows nothing once the run has been told to end.
void ErrMsg(const char *szTemplate, ...);
void HandleKey(uint32_t dwKey);
void CheckKeyCommands(void);
// A single-instance tool window is being destroyed: its slot (1, 2 or 3)
// empties if it still holds hDlg.
void SectorDialogIsClosing(HWND hDlg);
void WallDialogIsClosing(HWND hDlg);
void MemDialogIsClosing(HWND hDlg);
// Empties *phSlot if it still holds hWnd (a slot another run has filled
// meanwhile keeps its window).
void EmptyWindowSlot(HWND *phSlot, HWND hWnd);
// Editor thread: the host has killed the run of this thread.
bool RunIsEnding(void);
// Editor thread: the texture table of this run's wake is built (the host's
// thread builds it after the run has started).
bool RunTexturesReady(void);
// Editor thread, once the run is ending (hDlg: the main dialog): closes the
// error boxes, menus and move or size loops the thread is inside, so control
// returns to the editor's own loop. Each call ends what is open now; the
// main dialog's timer repeats it for loops nested further out.
void EndModalLoops(HWND hDlg);
// Editor thread: EditorToTop's request, on the main dialog.
void BringEditorToTop(HWND hDlg);

// Tool dialogs kept for a whole editor run (keptdlg.cpp): made hidden from
// their template, shown by each opening where and as a new dialog from the
// template would show (placed beside the owner, the focus on the first tab
// stop), hidden again by closing. A closed dialog holds no record, so what
// was posted to it before its closing does nothing when it comes.
HWND KeptDlg_Create(const char *szTemplate, HWND hOwner, DLGPROC pfnProc, LPARAM lParam);
void KeptDlg_Show(HWND hDlg, HWND hOwner, const char *szTemplate);

// Main dialog (maindlg.cpp). Written on the editor thread, read by
// UpdatePosition on the host's thread.
extern std::atomic<int> iLimitFrameRate;
extern int rtChoice;
void GetChildRect(HWND hWnd, RECT *rc);
void TwiddleWindow(HWND hWnd, const RECT *rc);
void MainDialogTimerTick(HWND hDlg);

// Map view and position updates (view.cpp).
// The speed of the latest UpdatePosition, published for the main dialog's
// timer to show (the host's thread never touches a window).
extern std::atomic<float> fLastSpeed;
extern std::atomic<uint32_t> bSpeedKnown;
void ShowSpeed(HWND hDlg);

// Sector editor (winsec.cpp). Opening or focusing it (main dialog command
// 1010), following the player on the main dialog's timer, "&Grab Wall" and
// the map view's right button, which positions an overlay.
void OpenSectorEditor(HWND hMain);
void SectorEditorFollow(void);
// A new editor run starts with no surface marked, nothing grabbed and no
// sector followed yet.
void SectorEditorNewRun(void);
// Once the main dialog has painted, and on its timer until done: makes the
// sector editor's window, hidden, once the run has its texture table, so
// that an opening only fills and shows it. True when it made it now.
bool SectorEditorPrepare(HWND hMain);
void GrabWallForSlope(void);
void SectorEditorRightButton(HWND hView, int x, int y);

// Wall editor (winwall.cpp). Opening or focusing it (command 1020), and the
// refresh after the targeted walls changed. iLevelSelected: the wall level
// the key commands act on (0 upper .. 3 overlay, -1 none).
extern int iLevelSelected;
// "      ?": item 0 of both editors' texture lists, index -1 (winsec.cpp).
extern const char szUnknownDesc[];
void OpenWallEditor(HWND hMain);
void UpdateWallDialog(void);
// As for the sector editor: a run starts without the window, which is made
// hidden on a tick of the main dialog's timer once the run has its texture
// table (true when it was made now).
void WallEditorNewRun(void);
bool WallEditorPrepare(HWND hMain);

// Wall edit flow (wallflow.cpp), on the editor thread. A gathering resolves
// the targeted walls (the picked walls, else the faced wall) against one
// snapshot read and keeps the walls it could read; applying and reverting
// act on exactly those walls, the ones the wall editor shows.
struct WALL_TARGETS {
  int iLevel; // the level whose change tables were selected, -1 unknown
  uint32_t dwSectorTag;
  int cWalls;
  uint32_t dwWallTags[KRED_MAX_SELECTIONS];
};
struct WALL_OUTCOME {
  int cWalls;         // walls the command was for
  int cMissing;       // of them, walls the game no longer answered for
  bool bRecordLost;   // a record could not be kept in the change tables
  bool bLevelChanged; // the game runs another level now: nothing was sent
};
// Gathers into wd (zero-filled first) and fills *wt; a lost revert record
// is reported at once. Applying and reverting send nothing when the game
// has changed levels since (the tags may name other walls there).
void CreateWallData(WINWALL_RESULTS *wd, WALL_TARGETS *wt);
void PostWallResults(const WINWALL_RESULTS *wr, const WALL_TARGETS *wt, WALL_OUTCOME *wo);
void RevertWallDialog(const WALL_TARGETS *wt, WALL_OUTCOME *wo);
// One message for what went wrong in a command, if anything did. Missing
// walls are told only when more are missing than *pcMissingTold, which is
// updated before the message shows (the caller's data may be gone after).
void WallFlow_Report(const WALL_OUTCOME *wo, int *pcMissingTold);

// Palette viewers (palette.cpp): one more viewer, up to 20; a closing
// viewer empties every slot that holds it.
void LaunchAPaletteWindow(void);
void FreeAPaletteWindow(HWND hDlg);

// Resource memory viewer (memused.cpp): open or focus it (command 1110),
// and the entry list it reads, freed when the library is detached.
void OpenMemViewer(void);
HWND CreateMemDlg(void);
const char *GetResourceDescription(const char *szTag);
void FreeMemViewerList(void);

// Rendering peaks (usage.cpp): one more window (command 1130); the editor
// thread closes those still open before it ends.
void OpenUsageWindow(void);
void CloseUsageWindows(void);

// Dialog field routines (support.cpp). "?" shows and reads as the nothing
// value; GetDlgItemDouble reads at most 29 characters, GetDlgItemColonNumber
// at most 99 (the hexadecimal number after the first colon).
void SetDlgItemDouble(HWND hDlg, int id, double fValue);
void SetDlgItemDouble2(HWND hDlg, int id, double fValue);
double GetDlgItemDouble(HWND hDlg, int id);
// The dialogs' one scroll-bar rule on a bar (code and thumb from WM_HSCROLL,
// the dialog's page size): moves and redraws it, returns the new position.
int StepScrollBar(HWND hBar, int iCode, int iThumb, int iPage);
// Sets a bar's range and position (clamped into the range) only when they
// change: each change of a visible bar repaints it. bRedrawNow false leaves
// the drawing to the window's next paint.
void SetScrollBarIfChanged(HWND hBar, int iMin, int iMax, int iPos, bool bRedrawNow);
uint32_t GetDlgItemColonNumber(HWND hDlg, int id);

// Flag-name lists beside the library (flagnames.cpp): fill the 32 slots of
// 120 characters from "jsmflags.lst" or "jmflags.lst". A missing list leaves
// the slots as they were.
void LoadSectorFlagNames(char *szFlagNames[KRED_FLAG_NAMES]);
void LoadWallFlagNames(char *szFlagNames[KRED_FLAG_NAMES]);

// Change tables, fixup files and the whole-level export (fixup.cpp).
// SelectHostLevel asks the game which level is running (request 3010) and
// selects that level's change tables; every command that records or saves
// calls it once, at its start. False when the level's tables cannot be
// made: the command's table operations then fail, and the command reports
// what it did not record.
bool SelectHostLevel(void);
void SaveFixupFile(void);
void AddWholeLevelToFixupFile(void);

// Registry preferences (prefs.cpp).
extern int iMaxWindows;
LONG Tools_OpenKey(int key, HKEY *phregKey);
LONG Tools_ReadKey(const char *szKey, HKEY hKey, char *szBuffer, DWORD *iBufferLen);
LONG Tools_WriteKey(const char *szKey, HKEY hKey, const char *szBuffer);
void Tools_CloseKey(HKEY hKey);
int Tools_GetKey(const char *szKeyName, void *szBuffer, int iBufferLen);
int Tools_SetKey(const char *szKeyName, const char *szBuffer);
void Tools_MaxWindowsCycle(void);
void Tools_ResourceIdsCycle(char *szBuffer, int iBufferLen);

// Exported window and dialog procedures and host entries.
extern "C" {
BOOL WINAPI DLLEntryPoint(HINSTANCE hInstance, DWORD dwReason, LPVOID lpvReserved);
DWORD WINAPI EditorThread(LPVOID lpParam);
INT_PTR CALLBACK EditorDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EditSecDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EditWallDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MemDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PalDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK UsageDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ViewWndProc(HWND hWnd, UINT wMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PaletteWndProc(HWND hWnd, UINT wMsg, WPARAM wParam, LPARAM lParam);

uint32_t __cdecl WakeUpDLL(KRED_CALLBACK pCallBack);
uint32_t __cdecl UpdatePosition(const EDITOR_UPDATE_POSITION *eup);
void __cdecl PostKey(uint32_t dwKey);
uint32_t __cdecl EditorToTop(void);
uint32_t __cdecl KillOffDLL(uint32_t *bKillFlag);
}
