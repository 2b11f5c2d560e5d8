// Library runtime: attach and detach, the host's entry points, the editor
// thread with its message loop, the key commands and the window slots.
#include "kreditor.h"

#include <stdarg.h>
#include <stdio.h>

HINSTANCE hInst = NULL;
KRED_CALLBACK gCallBack = NULL;
DWORD lThreadID = 0;
std::atomic<uint32_t *> bKillFlagPointer{nullptr};
HWND hDialogSet[KRED_DIALOG_SLOTS] = {};
HWND hPaletteWndSet[KRED_PALETTE_SLOTS] = {};
HFONT hFixedFont = NULL;
HPEN hPenBig = NULL, hPenBigR = NULL, hPenBigG = NULL, hPen2 = NULL, hPenR = NULL;
uint32_t dwCurSector = 0xFFFFFFFFu;

static int iLockCount = 0;

// Editor threads that have not yet finished their exit path. The last one
// out, or KillOffDLL when none is left, hands the host its flag back.
static std::atomic<int> iThreadsRunning{0};

// Thread message that EditorToTop posts: focus has to be taken on the
// thread that owns the window.
#define KRED_TM_TOTOP (WM_APP + 0x100)

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

void SectorDialogIsClosing(HWND hDlg) {
  if (hDialogSet[1] == hDlg) {
    hDialogSet[1] = NULL;
  }
}

void WallDialogIsClosing(HWND hDlg) {
  if (hDialogSet[2] == hDlg) {
    hDialogSet[2] = NULL;
  }
}

void MemDialogIsClosing(HWND hDlg) {
  if (hDialogSet[3] == hDlg) {
    hDialogSet[3] = NULL;
  }
}

// ---------------------------------------------------------------------------
// Editor thread

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

static void Kred_BringMainToTop(void) {
  HWND hDlg = hDialogSet[0];
  if (!hDlg || !IsWindow(hDlg)) {
    return;
  }
  if (IsIconic(hDlg)) {
    ShowWindow(hDlg, SW_RESTORE);
  }
  SetForegroundWindow(hDlg);
  SetFocus(hDlg);
}

static void Kred_DestroySlots(HWND *phSet, int iCount) {
  for (int i = 0; i < iCount; i++) {
    if (phSet[i] && IsWindow(phSet[i])) {
      DestroyWindow(phSet[i]);
    }
    phSet[i] = NULL;
  }
}

// Hands the host its kill flag back: exactly one caller gets the pointer.
static void Kred_ReleaseKillFlag(void) {
  uint32_t *pFlag = bKillFlagPointer.exchange(nullptr);
  if (pFlag) {
    *pFlag = 0;
  }
}

// lpParam: a reference on the library taken by WakeUpDLL, or null. The
// thread drops it as it exits, so the host may unload the library as soon
// as its kill flag reads 0 without pulling the code from under the thread.
extern "C" DWORD WINAPI EditorThread(LPVOID lpParam) {
  HMODULE hModuleRef = (HMODULE)lpParam;

  hDialogSet[0] = CreateDialogA(hInst, "KE_MAIN", NULL, EditorDlgProc);

  MSG msg;
  while (bKillFlagPointer.load() == nullptr && hDialogSet[0] && IsWindow(hDialogSet[0])) {
    CheckKeyCommands();
    BOOL bGot = GetMessageA(&msg, NULL, 0, 0);
    if (bGot == 0 || bGot == -1) {
      break;
    }
    if (msg.hwnd == NULL && msg.message == KRED_TM_TOTOP) {
      Kred_BringMainToTop();
      continue;
    }
    if (!Kred_OfferToDialogs(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  if (gCallBack) {
    gCallBack(KREQ_CLOSING, 0);
  }

  Kred_DestroySlots(hDialogSet, KRED_DIALOG_SLOTS);
  Kred_DestroySlots(hPaletteWndSet, KRED_PALETTE_SLOTS);
  CloseUsageWindows();

  // Leave the running count first: a KillOffDLL that stores its flag after
  // this point sees no thread and clears the flag itself.
  if (iThreadsRunning.fetch_sub(1) == 1) {
    Kred_ReleaseKillFlag();
  }

  if (hModuleRef) {
    FreeLibraryAndExitThread(hModuleRef, 0);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Host entry points

extern "C" uint32_t __cdecl WakeUpDLL(KRED_CALLBACK pCallBack) {
  if (!pCallBack) {
    return 0;
  }

  // A fresh run: nothing of the previous one is read any more.
  KeyRing_Reset();
  Snapshot_Reset();
  ClearWallSelection();

  HMODULE hModuleRef = NULL;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void *)&EditorThread,
                     &hModuleRef);

  KRED_CALLBACK pPrevious = gCallBack;
  gCallBack = pCallBack;
  iThreadsRunning.fetch_add(1);
  DWORD dwId = 0;
  HANDLE hThread = CreateThread(NULL, 0, EditorThread, (LPVOID)hModuleRef, 0, &dwId);
  if (!hThread) {
    iThreadsRunning.fetch_sub(1);
    gCallBack = pPrevious;
    if (hModuleRef) {
      FreeLibrary(hModuleRef);
    }
    MessageBoxA(NULL, "Error Launching Thread!", szTitle, MB_OK);
    return 0;
  }
  lThreadID = dwId;
  CloseHandle(hThread);

  const SHARED_TEXTURE_DATA *pList =
      (const SHARED_TEXTURE_DATA *)(uintptr_t)pCallBack(KREQ_TEXTURE_LIST, 0);
  Textures_Build(pList);
  pCallBack(KREQ_TEXTURE_LIST_DONE, (uintptr_t)pList);
  return 1;
}

extern "C" void __cdecl PostKey(uint32_t dwKey) {
  KeyRing_Post(dwKey);
}

extern "C" uint32_t __cdecl EditorToTop(void) {
  if (iThreadsRunning.load() > 0 && lThreadID != 0) {
    PostThreadMessageA(lThreadID, KRED_TM_TOTOP, 0, 0);
  }
  return 1;
}

extern "C" uint32_t __cdecl KillOffDLL(uint32_t *bKillFlag) {
  bKillFlagPointer.store(bKillFlag);
  // No editor left to see it: the flag is handed back at once.
  if (iThreadsRunning.load() == 0) {
    Kred_ReleaseKillFlag();
  }
  return 1;
}
