// Library runtime: attach and detach, the host's entry points, the editor
// thread with its message loop, the key commands and the window slots.
#include "kreditor.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

HINSTANCE hInst = NULL;
KRED_CALLBACK gCallBack = NULL;
DWORD lThreadID = 0;
HWND hDialogSet[KRED_DIALOG_SLOTS] = {};
HWND hPaletteWndSet[KRED_PALETTE_SLOTS] = {};
HFONT hFixedFont = NULL;
HPEN hPenBig = NULL, hPenBigR = NULL, hPenBigG = NULL, hPen2 = NULL, hPenR = NULL;
uint32_t dwCurSector = 0xFFFFFFFFu;

static int iLockCount = 0;

// The newest run's thread. The next run waits until it is gone before it
// makes windows, so the old run's exit never meets the new run's windows.
static std::atomic<HANDLE> hLastRunThread{NULL};
// A run whose predecessor does not end within this time starts anyway; the
// old run then still touches only its own windows, slots and flag.
#define KRED_PREVIOUS_RUN_WAIT_MS 5000

static const char szViewClass[] = "KREDITOR_VIEW";
static const char szPaletteClass[] = "KREDITOR_PALETTE";
static const char szTitle[] = "KREDITOR.DLL";

// ---------------------------------------------------------------------------
// Attach and detach

static void StartStuff(void) {
  Tools_MaxWindowsCycle();

  dwCurSector = 0xFFFFFFFFu;

  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS | CS_OWNDC;
  wc.lpfnWndProc = ViewWndProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 8;
  wc.hInstance = hInst;
  wc.hIcon = NULL;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszMenuName = NULL;
  wc.lpszClassName = szViewClass;
  RegisterClassA(&wc);

  wc.lpfnWndProc = PaletteWndProc;
  wc.cbWndExtra = 12;
  wc.lpszClassName = szPaletteClass;
  RegisterClassA(&wc);

  hFixedFont =
      CreateFontA(-12, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, 1, FF_MODERN | DEFAULT_PITCH, NULL);

  hPenBig = CreatePen(PS_SOLID, 10, RGB(0x7F, 0x7F, 0x7F));
  hPenBigR = CreatePen(PS_SOLID, 10, RGB(0xFF, 0x00, 0x00));
  hPenBigG = CreatePen(PS_SOLID, 10, RGB(0x00, 0xFF, 0x00));
  hPen2 = CreatePen(PS_SOLID, 4, RGB(0x00, 0x00, 0x00));
  hPenR = CreatePen(PS_SOLID, 3, RGB(0xFF, 0x00, 0x00));

  Snapshot_Alloc();
  Textures_Alloc();
}

// Deletes a pen or font and forgets it; typed per handle, so no pointer
// casts between handle types.
template <typename T> static void Kred_DeleteObject(T &h) {
  if (h) {
    DeleteObject(h);
  }
  h = NULL;
}

static void StopStuff(void) {
  Kred_DeleteObject(hPenBig);
  Kred_DeleteObject(hPenBigR);
  Kred_DeleteObject(hPenBigG);
  Kred_DeleteObject(hPen2);
  Kred_DeleteObject(hPenR);
  Kred_DeleteObject(hFixedFont);

  Snapshot_Free();

  UnregisterClassA(szViewClass, hInst);
  UnregisterClassA(szPaletteClass, hInst);

  Textures_Free();
  FreeChangeTables();
  FreeMemViewerList();

  HANDLE hThread = hLastRunThread.exchange(NULL);
  if (hThread) {
    CloseHandle(hThread);
  }
}

extern "C" BOOL WINAPI DLLEntryPoint(HINSTANCE hInstance, DWORD dwReason, LPVOID lpvReserved) {
  (void)lpvReserved;
  hInst = hInstance;
  switch (dwReason) {
  case DLL_PROCESS_ATTACH:
    if (iLockCount == 0) {
      StartStuff();
    }
    iLockCount++;
    break;
  case DLL_PROCESS_DETACH:
    if (iLockCount != 0) {
      iLockCount--;
      if (iLockCount == 0) {
        StopStuff();
      }
    }
    break;
  default:
    break;
  }
  return TRUE;
}

// The C run-time's start-up code calls DllMain; the library's own entry is
// DLLEntryPoint.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpvReserved) {
  return DLLEntryPoint(hInstance, dwReason, lpvReserved);
}

// ---------------------------------------------------------------------------
// Messages

void ErrMsg(const char *szTemplate, ...) {
  char szText[300];
  va_list args;
  va_start(args, szTemplate);
  int n = vsnprintf(szText, sizeof(szText), szTemplate, args);
  va_end(args);
  if (n < 0) {
    szText[0] = '\0';
  }
  szText[sizeof(szText) - 1] = '\0';
  // A killed run is on its way out: a box now would only be closed again.
  if (RunIsEnding()) {
    return;
  }
  MessageBoxA(NULL, szText, szTitle, MB_OK);
}

// ---------------------------------------------------------------------------
// Key commands

static void HK_PostMain(UINT wId) {
  if (hDialogSet[0]) {
    PostMessageA(hDialogSet[0], WM_COMMAND, wId, 0);
  }
}

static void HK_InvertLock(bool) {
  HK_PostMain(IDM_INVERT_LOCK);
}
static void HK_ClearSelection(bool) {
  HK_PostMain(IDC_MAIN_RESET);
}

struct KRED_KEY_COMMAND {
  uint16_t wKey;
  void (*pfnAction)(bool bShifted);
};

static const KRED_KEY_COMMAND kcKeyTable[] = {
    {0x45, HK_ClearSelection}, // E
    {0x4B, HK_InvertLock},     // K
};

void HandleKey(uint32_t dwKey) {
  bool bShifted = (dwKey & 0x80000000u) != 0;
  uint16_t wKey = (uint16_t)(dwKey & 0xFFFFu);
  if (wKey >= 'a' && wKey <= 'z') {
    wKey = (uint16_t)(wKey - 'a' + 'A');
  }
  for (const KRED_KEY_COMMAND &kc : kcKeyTable) {
    if (kc.wKey == wKey) {
      kc.pfnAction(bShifted);
      return;
    }
  }
}

void CheckKeyCommands(void) {
  uint32_t dwKey = PullKey();
  if (dwKey != 0) {
    HandleKey(dwKey);
  }
}

// ---------------------------------------------------------------------------
// Window slots

// Another run's thread may fill a slot at any moment; a compare-exchange
// empties it only while it still holds the closing window.
void EmptyWindowSlot(HWND *phSlot, HWND hWnd) {
  if (hWnd) {
    InterlockedCompareExchangePointer((PVOID volatile *)phSlot, NULL, (PVOID)hWnd);
  }
}

void SectorDialogIsClosing(HWND hDlg) {
  EmptyWindowSlot(&hDialogSet[1], hDlg);
}

void WallDialogIsClosing(HWND hDlg) {
  EmptyWindowSlot(&hDialogSet[2], hDlg);
}

void MemDialogIsClosing(HWND hDlg) {
  EmptyWindowSlot(&hDialogSet[3], hDlg);
}

// ---------------------------------------------------------------------------
// Ending a run from inside modal loops

bool RunIsEnding(void) {
  return Run_KillRequested(Run_OfThread(GetCurrentThreadId()));
}

bool RunTexturesReady(void) {
  KRED_RUN *r = Run_OfThread(GetCurrentThreadId());
  return r && Textures_WakeReady(r->dwTexWake);
}

static BOOL CALLBACK Kred_CloseErrorBox(HWND hWnd, LPARAM lParam) {
  (void)lParam;
  char szClass[16];
  char szText[sizeof(szTitle) + 1];
  if (GetClassNameA(hWnd, szClass, sizeof(szClass)) && strcmp(szClass, "#32770") == 0 &&
      GetWindowTextA(hWnd, szText, sizeof(szText)) && strcmp(szText, szTitle) == 0) {
    EndDialog(hWnd, IDOK);
  }
  return TRUE;
}

void EndModalLoops(HWND hDlg) {
  // A menu the thread tracks (none: nothing happens).
  EndMenu();
  // Move and size loops and a scroll bar's thumb end when the mouse capture
  // goes (Windows). Wine's move and size loop ends only on Escape or Enter,
  // and keeps running after it has lost the capture (as when another
  // program takes the foreground), so an Escape is queued as well. When no
  // such loop runs it reaches the main dialog as IDCANCEL, which does
  // nothing; a message box does not take it (it is not the box's).
  GUITHREADINFO gti;
  memset(&gti, 0, sizeof(gti));
  gti.cbSize = sizeof(gti);
  if (GetGUIThreadInfo(GetCurrentThreadId(), &gti)) {
    if ((gti.flags & GUI_INMOVESIZE) && gti.hwndMoveSize) {
      SendMessageA(gti.hwndMoveSize, WM_CANCELMODE, 0, 0);
    }
    if (gti.hwndCapture) {
      SendMessageA(gti.hwndCapture, WM_CANCELMODE, 0, 0);
      ReleaseCapture();
    }
  }
  PostMessageA(hDlg, WM_KEYDOWN, VK_ESCAPE, 0);
  // ErrMsg's boxes: ending one makes its MessageBoxA return.
  EnumThreadWindows(GetCurrentThreadId(), Kred_CloseErrorBox, 0);
}

void BringEditorToTop(HWND hDlg) {
  if (!hDlg || !IsWindow(hDlg)) {
    return;
  }
  if (IsIconic(hDlg)) {
    ShowWindow(hDlg, SW_RESTORE);
  }
  SetForegroundWindow(hDlg);
  SetFocus(hDlg);
}

// ---------------------------------------------------------------------------
// Editor runs

static bool Kred_OfferToDialogs(MSG *pMsg) {
  for (HWND hDlg : hDialogSet) {
    if (hDlg && IsDialogMessageA(hDlg, pMsg)) {
      return true;
    }
  }
  for (HWND hDlg : hPaletteWndSet) {
    if (hDlg && IsDialogMessageA(hDlg, pMsg)) {
      return true;
    }
  }
  return false;
}

// Destroys the slot's window if it belongs to this thread, and empties the
// slot if it still holds that window (or a window that is already gone).
static void Kred_DestroyIfOwn(HWND *phSlot, DWORD dwThread) {
  HWND hWnd = *phSlot;
  if (!hWnd) {
    return;
  }
  if (IsWindow(hWnd)) {
    if (GetWindowThreadProcessId(hWnd, NULL) != dwThread) {
      return;
    }
    DestroyWindow(hWnd);
  }
  EmptyWindowSlot(phSlot, hWnd);
}

#define KRED_MAX_LEFTOVERS 64

struct KRED_WINDOW_LIST {
  int n;
  HWND hWnd[KRED_MAX_LEFTOVERS];
};

// Windows made from the library's templates and classes; the thread's
// system windows (the input method's) are left to the system.
static BOOL CALLBACK Kred_ListWindow(HWND hWnd, LPARAM lParam) {
  KRED_WINDOW_LIST *pList = (KRED_WINDOW_LIST *)lParam;
  if (pList->n < KRED_MAX_LEFTOVERS &&
      (HINSTANCE)GetWindowLongPtrA(hWnd, GWLP_HINSTANCE) == hInst) {
    pList->hWnd[pList->n++] = hWnd;
  }
  return TRUE;
}

// The run's windows: the tracked ones in slot order, the rendering peaks
// windows, then whatever else its thread still has.
static void Kred_DestroyOwnWindows(void) {
  DWORD dwThread = GetCurrentThreadId();
  for (HWND &hWnd : hDialogSet) {
    Kred_DestroyIfOwn(&hWnd, dwThread);
  }
  for (HWND &hWnd : hPaletteWndSet) {
    Kred_DestroyIfOwn(&hWnd, dwThread);
  }
  CloseUsageWindows();
  // Destroying an owner takes its owned windows along; list again until
  // nothing is left (bounded, in case a window refuses to go).
  for (int iRound = 0; iRound < 4; iRound++) {
    KRED_WINDOW_LIST list;
    list.n = 0;
    EnumThreadWindows(dwThread, Kred_ListWindow, (LPARAM)&list);
    if (list.n == 0) {
      break;
    }
    for (int i = 0; i < list.n; i++) {
      if (IsWindow(list.hWnd[i])) {
        DestroyWindow(list.hWnd[i]);
      }
    }
  }
}

// One editor run on the calling thread, from its main dialog to the flag.
static void Kred_RunEditor(KRED_RUN *r) {
  r->dwThreadId.store(GetCurrentThreadId());
  HANDLE hPrevious = (HANDLE)r->hPrevThread;
  r->hPrevThread = NULL;
  if (hPrevious) {
    WaitForSingleObject(hPrevious, KRED_PREVIOUS_RUN_WAIT_MS);
    CloseHandle(hPrevious);
  }

  // The run's fresh state is set here, on its own thread: the previous
  // run's thread is gone, while the host's thread may post keys and
  // updates meanwhile. Keys posted before the wake were the old run's.
  KeyRing_SkipTo(r->iKeyStart);
  Snapshot_ReaderReset();
  Selection_Reset();
  SectorEditorNewRun();
  WallEditorNewRun();

  HWND hMain = CreateDialogA(hInst, "KE_MAIN", NULL, EditorDlgProc);
  hDialogSet[0] = hMain;
  r->hMainWnd.store((void *)hMain);

  MSG msg;
  while (!Run_KillRequested(r) && hMain && hDialogSet[0] == hMain && IsWindow(hMain)) {
    CheckKeyCommands();
    BOOL bGot = GetMessageA(&msg, NULL, 0, 0);
    if (bGot == 0 || bGot == -1) {
      break;
    }
    if (!Kred_OfferToDialogs(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // Its own service function: a host that wakes the next run from inside
  // this request has already replaced gCallBack.
  if (r->pCallBack) {
    r->pCallBack(KREQ_CLOSING, 0);
  }
  r->hMainWnd.store(NULL);
  Kred_DestroyOwnWindows();
  Run_ReturnFlag(r);
  Run_Retire(r);
}

static DWORD WINAPI Kred_RunThread(LPVOID lpRun) {
  KRED_RUN *r = (KRED_RUN *)lpRun;
  // The reference keeps the code here until the thread is out, so the host
  // may unload the library as soon as its kill flag reads 0.
  HMODULE hModuleRef = (HMODULE)r->hModuleRef;
  Kred_RunEditor(r);
  Run_Free(r);
  if (hModuleRef) {
    FreeLibraryAndExitThread(hModuleRef, 0);
  }
  return 0;
}

// A run record for a new editor, queued behind the previous run's thread.
static KRED_RUN *Kred_PrepareRun(KRED_CALLBACK pCallBack) {
  KRED_RUN *r = Run_Start(pCallBack);
  if (r) {
    r->iKeyStart = dwKeyIn.load();
    r->hPrevThread = (void *)hLastRunThread.exchange(NULL);
  }
  return r;
}

// The run's thread exists: it becomes the one the next run waits for.
static void Kred_QueueThread(HANDLE hThread) {
  HANDLE hOld = hLastRunThread.exchange(hThread);
  if (hOld) {
    CloseHandle(hOld);
  }
}

// The record was prepared but no thread came of it.
static void Kred_AbandonRun(KRED_RUN *r) {
  HANDLE hPrevious = (HANDLE)r->hPrevThread;
  r->hPrevThread = NULL;
  if (hPrevious) {
    Kred_QueueThread(hPrevious);
  }
  Run_Free(r);
}

// The thread procedure of the editor as the library exports it: its
// argument is ignored. It runs an editor on the calling thread with the
// service function of the last wake, and holds no library reference.
extern "C" DWORD WINAPI EditorThread(LPVOID lpParam) {
  (void)lpParam;
  KRED_RUN *r = Kred_PrepareRun(gCallBack);
  if (!r) {
    return 0;
  }
  r->dwTexWake = Textures_LastWake();
  HANDLE hSelf = NULL;
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &hSelf, SYNCHRONIZE,
                  FALSE, 0);
  Run_MakeCurrent(r);
  Kred_QueueThread(hSelf);
  Kred_RunEditor(r);
  Run_Free(r);
  return 0;
}

// ---------------------------------------------------------------------------
// Host entry points

extern "C" uint32_t __cdecl WakeUpDLL(KRED_CALLBACK pCallBack) {
  if (!pCallBack) {
    return 0;
  }

  HMODULE hModuleRef = NULL;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void *)&Kred_RunThread,
                     &hModuleRef);

  KRED_RUN *r = Kred_PrepareRun(pCallBack);
  HANDLE hThread = NULL;
  DWORD dwId = 0;
  // The run reads the table once this wake has built it (below); the record
  // is the run's from its start on, so the number is kept here as well.
  uint32_t dwWake = Textures_TakeWake();
  if (r) {
    r->dwTexWake = dwWake;
    r->hModuleRef = (void *)hModuleRef;
    // Current before its thread runs: a kill from now on is meant for it.
    Run_MakeCurrent(r);
    hThread = CreateThread(NULL, 0, Kred_RunThread, r, 0, &dwId);
  }
  if (!hThread) {
    if (r) {
      Run_Retire(r);
      Kred_AbandonRun(r);
    }
    if (hModuleRef) {
      FreeLibrary(hModuleRef);
    }
    MessageBoxA(NULL, "Error Launching Thread!", szTitle, MB_OK);
    return 0;
  }
  gCallBack = pCallBack;
  lThreadID = dwId;
  Kred_QueueThread(hThread);

  const SHARED_TEXTURE_DATA *pList =
      (const SHARED_TEXTURE_DATA *)(uintptr_t)pCallBack(KREQ_TEXTURE_LIST, 0);
  Textures_Build(pList);
  Textures_WakeBuilt(dwWake);
  pCallBack(KREQ_TEXTURE_LIST_DONE, (uintptr_t)pList);
  return 1;
}

extern "C" void __cdecl PostKey(uint32_t dwKey) {
  KeyRing_Post(dwKey);
}

// Both entries only post to the current run's main dialog and return: the
// editor thread acts on the message, also from inside a message box, a menu
// or a move loop, which dispatch window messages but not thread messages.
extern "C" uint32_t __cdecl EditorToTop(void) {
  KRED_RUN *r = Run_Current();
  HWND hMain = r ? (HWND)r->hMainWnd.load() : NULL;
  if (hMain) {
    PostMessageA(hMain, WM_KRED_TOTOP, 0, 0);
  }
  return 1;
}

extern "C" uint32_t __cdecl KillOffDLL(uint32_t *bKillFlag) {
  KRED_RUN *r = Run_Kill(bKillFlag);
  HWND hMain = r ? (HWND)r->hMainWnd.load() : NULL;
  if (hMain) {
    PostMessageA(hMain, WM_KRED_RUNCHECK, 0, 0);
  }
  return 1;
}
