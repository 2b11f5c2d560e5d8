// A stand-in library for testing kredhost on its own: it has the editor's
// exports and threads, makes the editor's requests when keys tell it to, and
// reports what the host answered in message boxes that the host's scenario
// checks (host/tests/selftest.scn).
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <initializer_list>

#include "kred_records.h"

#define TD_EXPORT extern "C" __declspec(dllexport)

static KRED_CALLBACK pfnHost;
static std::atomic<uint32_t *> pKillFlag{nullptr};
static std::atomic<uint32_t> dwKeys[64];
static std::atomic<int> iKeyIn{0};
static int iKeyOut;
static int iTextures;
static char szFirstTexture[80];

// The last frame, for key 'f'.
static CRITICAL_SECTION csFrame;
static EDITOR_UPDATE_POSITION eupLast;
static WALL_VERTEXES wvFirst;
static EDITOR_OBJECT eoFirst;

static void td_Box(const char *szFmt, ...) {
  char sz[600];
  va_list ap;
  va_start(ap, szFmt);
  vsnprintf(sz, sizeof(sz), szFmt, ap);
  va_end(ap);
  MessageBoxA(nullptr, sz, "KREDITOR.DLL", MB_OK);
}

static uint32_t td_Ask(uint16_t wCode, const void *p) {
  return pfnHost(wCode, (uintptr_t)p);
}

// Everything a level service must answer, summed up in one line.
static void td_Service() {
  SECTOR_DATA sd;
  int nSectors = 0, nBadOrdinal = 0;
  for (;; nSectors++) {
    memset(&sd, 0, sizeof(sd));
    sd.bOrdinal = 1;
    sd.dwSectorTag = (uint32_t)nSectors;
    if (td_Ask(KREQ_GET_SECTOR, &sd) != 0)
      break;
    if (sd.bOrdinal != 1)
      nBadOrdinal++;
  }
  WALL_DATA wd;
  WALL_DATA_REQUEST wr;
  int nWalls = 0;
  uint32_t dwLastWallTag = 0, dwLastSectorTag = 0;
  for (;; nWalls++) {
    wr.bOrdinal = 1;
    wr.dwSectorTag = 0;
    wr.dwWallTag = (uint32_t)nWalls;
    wr.wd = &wd;
    if (td_Ask(KREQ_GET_WALL, &wr) != 0)
      break;
    dwLastWallTag = wr.dwWallTag;
    dwLastSectorTag = wr.dwSectorTag;
  }

  memset(&sd, 0, sizeof(sd));
  sd.dwSectorTag = 0x11;
  uint32_t r11 = td_Ask(KREQ_GET_SECTOR, &sd);
  SECTOR_DATA sdMissing;
  memset(&sdMissing, 0, sizeof(sdMissing));
  sdMissing.dwSectorTag = 0xDEAD;
  uint32_t rMissing = td_Ask(KREQ_GET_SECTOR, &sdMissing);
  char szName11[80];
  snprintf(szName11, sizeof(szName11), "%s", sd.szSectorName);
  unsigned uLight11 = sd.wLight;
  // Change and apply, the way the sector editor does.
  sd.wLight = 77;
  snprintf(sd.szSectorName, sizeof(sd.szSectorName), "Changed");
  sd.cfFloor[0][0].fElev = -4.5f;
  sd.dwStructSize = 0;
  td_Ask(KREQ_SET_SECTOR, &sd);

  wr.bOrdinal = 0;
  wr.dwSectorTag = 0x11;
  wr.dwWallTag = 0x1101;
  wr.wd = &wd;
  uint32_t rWall = td_Ask(KREQ_GET_WALL, &wr);
  wd.dwFlag1 = 5;
  wd.cfdMiddle.iTextureIndex = 3;
  td_Ask(KREQ_SET_WALL, &wr);

  KRED_RGBQUAD rgb[256];
  memset(rgb, 0x55, sizeof(rgb));
  PALETTE_REQUEST pr = {0, 0, nullptr, rgb};
  td_Ask(KREQ_PALETTE, &pr);
  pr.pt = 1;
  pr.rgb = nullptr;
  uint32_t nMaps = td_Ask(KREQ_PALETTE, &pr);
  pr.pt = 2;
  uint32_t nShades = td_Ask(KREQ_PALETTE, &pr);
  uint8_t table[256];
  memset(table, 0xEE, sizeof(table));
  pr.pt = 1;
  pr.pn = (int32_t)nMaps; // one past the last: left alone
  pr.table = table;
  td_Ask(KREQ_PALETTE, &pr);
  int iUntouched = table[0] == 0xEE && table[255] == 0xEE;
  pr.pn = 0;
  td_Ask(KREQ_PALETTE, &pr);

  const char *szName = (const char *)(uintptr_t)pfnHost(KREQ_LEVEL_NAME, 0);
  const char *szWax = (const char *)(uintptr_t)pfnHost(KREQ_RESOURCE_TEXT, 0x57415820u);
  const char *szNone = (const char *)(uintptr_t)pfnHost(KREQ_RESOURCE_TEXT, 0x58585858u);

  td_Box("testdll: sectors %d (ordinal kept %s), sector 0 walls %d (last %X in %X), "
         "get 11: %u \"%s\" light %u, get DEAD: %s, get wall 1101: %u, "
         "palette 0: %u %u %u, 255: %u %u %u, maps %u shades %u, map %u untouched %d, "
         "map 0 entry 5: %u, name \"%s\", WAX \"%s\", XXXX %s",
         nSectors, nBadOrdinal ? "no" : "yes", nWalls, (unsigned)dwLastWallTag,
         (unsigned)dwLastSectorTag, (unsigned)r11, szName11, uLight11, rMissing ? "fails" : "found",
         (unsigned)rWall, rgb[0].rgbRed, rgb[0].rgbGreen, rgb[0].rgbBlue, rgb[255].rgbRed,
         rgb[255].rgbGreen, rgb[255].rgbBlue, (unsigned)nMaps, (unsigned)nShades, (unsigned)nMaps,
         iUntouched, table[5], szName ? szName : "(null)", szWax ? szWax : "(null)",
         szNone ? "answered" : "null");
}

static void td_Frame() {
  EnterCriticalSection(&csFrame);
  EDITOR_UPDATE_POSITION e = eupLast;
  WALL_VERTEXES wv = wvFirst;
  EDITOR_OBJECT eo = eoFirst;
  LeaveCriticalSection(&csFrame);
  td_Box("testdll: frame x %g z %g angle %d sector %X walls %d first %X (%g,%g)-(%g,%g) "
         "actors %d first type %d at (%g,%g)",
         (double)e.x, (double)e.z, e.sAngle, (unsigned)e.dwSectorHandle, e.iWallCount,
         (unsigned)wv.dwWallTag, (double)wv.v1x, (double)wv.v1y, (double)wv.v2x, (double)wv.v2y,
         e.iActorCount, eo.iType, (double)eo.x, (double)eo.y);
}

// Pens made by key 'g' and deleted by key 'h', for the host's GDI count.
static HPEN hPens[10];

static void td_Pens(bool bMake) {
  for (HPEN &h : hPens) {
    if (bMake && !h)
      h = CreatePen(PS_SOLID, 2, RGB(10, 20, 30));
    else if (!bMake && h) {
      DeleteObject(h);
      h = nullptr;
    }
  }
  td_Box(bMake ? "testdll: 10 pens made" : "testdll: pens deleted");
}

// The stand-in dialog: a check box (101) and a combo box (102) whose
// notifications, and the private messages WM_APP (shown) and WM_APP + 1
// (answered), report what the host sent.
static LRESULT CALLBACK td_WndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && LOWORD(wp) == 101) {
    td_Box("testdll: command 101 code %u check %d", HIWORD(wp),
           (int)SendMessageA((HWND)lp, BM_GETCHECK, 0, 0));
    return 0;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == 102) {
    td_Box("testdll: command 102 code %u selection %d", HIWORD(wp),
           (int)SendMessageA((HWND)lp, CB_GETCURSEL, 0, 0));
    return 0;
  }
  if (msg == WM_APP) {
    td_Box("testdll: message 8000 w %X l %X", (unsigned)wp, (unsigned)lp);
    return 0;
  }
  if (msg == WM_APP + 1)
    return (LRESULT)(wp ^ (WPARAM)lp);
  return DefWindowProcA(h, msg, wp, lp);
}

static HWND td_Window() {
  WNDCLASSA wc;
  memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = td_WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TESTDLL_EDITOR";
  RegisterClassA(&wc); // a second run finds it registered
  HWND h = CreateWindowExA(0, "TESTDLL_EDITOR", "testdll editor", WS_POPUP, 0, 0, 200, 100, nullptr,
                           nullptr, wc.hInstance, nullptr);
  CreateWindowExA(0, "BUTTON", "check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0, 0, 100, 20, h,
                  (HMENU)101, wc.hInstance, nullptr);
  HWND hCombo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0, 30,
                                100, 80, h, (HMENU)102, wc.hInstance, nullptr);
  for (const char *sz : {"one", "two", "three"})
    SendMessageA(hCombo, CB_ADDSTRING, 0, (LPARAM)sz);
  return h;
}

static DWORD WINAPI td_Thread(LPVOID) {
  // A hidden window stands in for the editor's dialog.
  HWND h = td_Window();
  uint32_t *p = nullptr;
  while ((p = pKillFlag.load()) == nullptr) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    if (iKeyOut != iKeyIn.load()) {
      uint32_t k = dwKeys[iKeyOut].load();
      iKeyOut = (iKeyOut + 1) % 64;
      if (k == 'a')
        td_Service();
      else if (k == 'f')
        td_Frame();
      else if (k == 'g' || k == 'h')
        td_Pens(k == 'g');
      else if (k == 'q')
        break;
    }
    Sleep(5);
  }
  pfnHost(KREQ_CLOSING, 0);
  DestroyWindow(h);
  if (p) {
    *p = 0;
    // A run woken meanwhile keeps a kill meant for it.
    pKillFlag.compare_exchange_strong(p, nullptr);
  }
  return 0;
}

TD_EXPORT uint32_t __cdecl WakeUpDLL(KRED_CALLBACK pfn) {
  if (!pfn)
    return 0;
  pfnHost = pfn;
  const SHARED_TEXTURE_DATA *pList =
      (const SHARED_TEXTURE_DATA *)(uintptr_t)pfn(KREQ_TEXTURE_LIST, 0);
  iTextures = 0;
  szFirstTexture[0] = 0;
  for (const SHARED_TEXTURE_DATA *e = pList; e && e->szName; e++, iTextures++)
    if (iTextures == 0)
      snprintf(szFirstTexture, sizeof(szFirstTexture), "%s", e->szName);
  pfn(KREQ_TEXTURE_LIST_DONE, (uintptr_t)pList);
  // Woken from the previous run's closing: that run's kill is not this one's.
  pKillFlag = nullptr;
  HANDLE hThread = CreateThread(nullptr, 0, td_Thread, nullptr, 0, nullptr);
  if (!hThread)
    return 0;
  CloseHandle(hThread);
  return 1;
}

TD_EXPORT uint32_t __cdecl UpdatePosition(const EDITOR_UPDATE_POSITION *eup) {
  EnterCriticalSection(&csFrame);
  eupLast = *eup;
  if (eup->iWallCount > 0)
    wvFirst = eup->fpWSet[0];
  if (eup->iActorCount > 0)
    eoFirst = eup->pp[0];
  LeaveCriticalSection(&csFrame);
  return 1;
}

TD_EXPORT void __cdecl PostKey(uint32_t k) {
  int i = iKeyIn.load();
  dwKeys[i] = k;
  iKeyIn = (i + 1) % 64;
}

TD_EXPORT uint32_t __cdecl EditorToTop(void) {
  return 1;
}

TD_EXPORT uint32_t __cdecl KillOffDLL(uint32_t *p) {
  pKillFlag = p;
  return 1;
}

// The remaining exports of the real library, as stubs.
#define TD_DLGPROC_STUB(name)                                                                      \
  TD_EXPORT INT_PTR CALLBACK name(HWND, UINT, WPARAM, LPARAM) {                                    \
    return FALSE;                                                                                  \
  }
#define TD_WNDPROC_STUB(name)                                                                      \
  TD_EXPORT LRESULT CALLBACK name(HWND h, UINT m, WPARAM w, LPARAM l) {                            \
    return DefWindowProcA(h, m, w, l);                                                             \
  }

TD_EXPORT DWORD WINAPI EditorThread(LPVOID) {
  return 0;
}
TD_DLGPROC_STUB(EditSecDlgProc)
TD_DLGPROC_STUB(EditWallDlgProc)
TD_DLGPROC_STUB(EditorDlgProc)
TD_DLGPROC_STUB(MemDlgProc)
TD_DLGPROC_STUB(PalDlgProc)
TD_DLGPROC_STUB(UsageDlgProc)
TD_WNDPROC_STUB(PaletteWndProc)
TD_WNDPROC_STUB(ViewWndProc)

TD_EXPORT BOOL WINAPI DLLEntryPoint(HINSTANCE, DWORD dwReason, LPVOID) {
  if (dwReason == DLL_PROCESS_ATTACH)
    InitializeCriticalSection(&csFrame);
  else if (dwReason == DLL_PROCESS_DETACH)
    DeleteCriticalSection(&csFrame);
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE h, DWORD dwReason, LPVOID p) {
  return DLLEntryPoint(h, dwReason, p);
}
