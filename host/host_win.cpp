// Window side of the host: finding the editor's windows without sending
// them messages, the message box watcher (which is also the run's watchdog),
// pixel reads and screenshots.
#include "kredhost.h"

#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>

// Message boxes, under csBoxes: every box seen since the start or the last
// clear-msgboxes, and the boxes open now that the watcher knows.
struct BOX_OPEN {
  HWND h;
  bool bDismissing; // the answer was posted
  DWORD dwTime;     // when it was posted
  std::string szText;
};
static CRITICAL_SECTION csBoxes;
static std::vector<MSGBOX_SEEN> boxesSeen;
static std::vector<BOX_OPEN> boxesOpen;
static std::vector<HWND> boxesDismissed; // every box ever dismissed
static std::atomic<int> iMsgboxAnswer{IDOK};
static std::atomic<bool> bMsgboxHold{false};
static DWORD dwDeadline;

std::string WinText(HWND h) {
  // InternalGetWindowText reads the stored text without a message, so a
  // blocked editor thread cannot hang the host here.
  WCHAR wsz[1024];
  int n = InternalGetWindowText(h, wsz, 1024);
  if (n <= 0)
    return std::string();
  char sz[2048];
  int m = WideCharToMultiByte(CP_ACP, 0, wsz, n, sz, sizeof(sz) - 1, nullptr, nullptr);
  return std::string(sz, m > 0 ? (size_t)m : 0);
}

bool WinGetText(HWND h, std::string &out) {
  char sz[4096];
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutA(h, WM_GETTEXT, sizeof(sz), (LPARAM)sz, SMTO_NORMAL, 5000, &r))
    return false;
  sz[sizeof(sz) - 1] = 0;
  out = sz;
  return true;
}

static std::string win_Class(HWND h) {
  char sz[256];
  int n = GetClassNameA(h, sz, sizeof(sz));
  return std::string(sz, n > 0 ? (size_t)n : 0);
}

struct ENUM_CTX {
  std::vector<HWND> *out;
};

static BOOL CALLBACK win_EnumOwn(HWND h, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == GetCurrentProcessId())
    ((std::vector<HWND> *)lp)->push_back(h);
  return TRUE;
}

static BOOL CALLBACK win_EnumAll(HWND h, LPARAM lp) {
  ((std::vector<HWND> *)lp)->push_back(h);
  return TRUE;
}

void WinThreadIds(std::vector<DWORD> &out) {
  out.clear();
  HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (hSnap == INVALID_HANDLE_VALUE)
    return;
  THREADENTRY32 te;
  te.dwSize = sizeof(te);
  for (BOOL b = Thread32First(hSnap, &te); b; b = Thread32Next(hSnap, &te))
    if (te.th32OwnerProcessID == GetCurrentProcessId())
      out.push_back(te.th32ThreadID);
  CloseHandle(hSnap);
}

int WinCountThreads() {
  std::vector<DWORD> ids;
  WinThreadIds(ids);
  return (int)ids.size();
}

void WinListProcessWindows(std::vector<HWND> &out) {
  out.clear();
  EnumWindows(win_EnumOwn, (LPARAM)&out);
  std::vector<DWORD> ids;
  WinThreadIds(ids);
  for (DWORD id : ids) {
    std::vector<HWND> more;
    EnumThreadWindows(id, win_EnumAll, (LPARAM)&more);
    for (HWND h : more)
      if (std::find(out.begin(), out.end(), h) == out.end())
        out.push_back(h);
  }
}

// Palette viewers in the order the host first saw them; those seen in the
// same look are ordered bottom-up in z-order (a new dialog opens on top).
static std::vector<HWND> hPaletteSeen;

static bool win_IsPaletteViewer(HWND h) {
  HWND hGrid = GetDlgItem(h, 1000);
  return hGrid && !GetMenu(h) && WinText(h) == "Keldrun In-Game Editor" &&
         _stricmp(win_Class(hGrid).c_str(), "KREDITOR_PALETTE") == 0 && !WinIsDismissedMsgbox(h);
}

static HWND win_FindPalette(int n) {
  std::vector<HWND> wins;
  EnumWindows(win_EnumOwn, (LPARAM)&wins);
  std::vector<HWND> live;
  for (HWND h : wins)
    if (IsWindowVisible(h) && win_IsPaletteViewer(h))
      live.push_back(h);
  hPaletteSeen.erase(
      std::remove_if(hPaletteSeen.begin(), hPaletteSeen.end(),
                     [&](HWND h) { return std::find(live.begin(), live.end(), h) == live.end(); }),
      hPaletteSeen.end());
  for (auto it = live.rbegin(); it != live.rend(); ++it)
    if (std::find(hPaletteSeen.begin(), hPaletteSeen.end(), *it) == hPaletteSeen.end())
      hPaletteSeen.push_back(*it);
  return n >= 1 && (size_t)n <= hPaletteSeen.size() ? hPaletteSeen[(size_t)n - 1] : nullptr;
}

HWND WinFind(const std::string &szWin, bool bVisibleOnly) {
  std::string szTitle;
  bool bMain = szWin == "main";
  if (szWin.compare(0, 8, "palette:") == 0)
    return win_FindPalette(atoi(szWin.c_str() + 8));
  if (bMain)
    szTitle = "Keldrun In-Game Editor";
  else if (szWin.compare(0, 6, "title:") == 0)
    szTitle = szWin.substr(6);
  else
    return nullptr;
  std::vector<HWND> wins;
  EnumWindows(win_EnumOwn, (LPARAM)&wins);
  HWND hHidden = nullptr;
  for (HWND h : wins) {
    if (WinText(h) != szTitle || WinIsDismissedMsgbox(h))
      continue;
    // The main dialog is the one with the menu: palette viewers share its title.
    if (bMain && !GetMenu(h))
      continue;
    if (IsWindowVisible(h))
      return h;
    if (!hHidden)
      hHidden = h;
  }
  return bVisibleOnly ? nullptr : hHidden;
}

int WinCountTitle(const std::string &szTitle) {
  std::vector<HWND> wins;
  EnumWindows(win_EnumOwn, (LPARAM)&wins);
  int n = 0;
  for (HWND h : wins)
    if (WinText(h) == szTitle)
      n++;
  return n;
}

bool WinIsDismissedMsgbox(HWND h) {
  EnterCriticalSection(&csBoxes);
  bool b = std::find(boxesDismissed.begin(), boxesDismissed.end(), h) != boxesDismissed.end();
  LeaveCriticalSection(&csBoxes);
  return b;
}

void WinMsgboxSnapshot(std::vector<MSGBOX_SEEN> &out) {
  EnterCriticalSection(&csBoxes);
  out = boxesSeen;
  LeaveCriticalSection(&csBoxes);
}

void WinMsgboxClear() {
  EnterCriticalSection(&csBoxes);
  boxesSeen.clear();
  LeaveCriticalSection(&csBoxes);
}

void WinSetMsgboxAnswer(int iId) {
  iMsgboxAnswer = iId;
}

void WinSetMsgboxHold(bool bHold) {
  bMsgboxHold = bHold;
}

static bool win_TextMatches(const std::string &have, const std::string &want, bool bPrefix) {
  return bPrefix ? have.compare(0, want.size(), want) == 0 : have == want;
}

int WinMsgboxTake(const std::string &szWant, bool bPrefix) {
  int r = -1;
  EnterCriticalSection(&csBoxes);
  for (MSGBOX_SEEN &m : boxesSeen) {
    if (!win_TextMatches(m.szText, szWant, bPrefix))
      continue;
    if (!m.bAccounted) {
      m.bAccounted = true;
      r = 1;
      break;
    }
    r = 0;
  }
  LeaveCriticalSection(&csBoxes);
  return r;
}

bool WinMsgboxOpen(const std::string &szText) {
  bool bOpen = false;
  EnterCriticalSection(&csBoxes);
  for (const BOX_OPEN &b : boxesOpen) {
    if (b.bDismissing || b.szText != szText || !IsWindowVisible(b.h))
      continue;
    bOpen = true;
    for (MSGBOX_SEEN &m : boxesSeen)
      if (m.h == b.h)
        m.bAccounted = true;
  }
  LeaveCriticalSection(&csBoxes);
  return bOpen;
}

void WinFailUnaccountedMsgboxes() {
  std::vector<MSGBOX_SEEN> seen;
  WinMsgboxSnapshot(seen);
  for (const MSGBOX_SEEN &m : seen) {
    if (m.bAccounted)
      continue;
    // Reported at the line that ran when the box came up.
    giCurLine = m.iLine;
    HostFail("message box \"%s\" was not expected", m.szText.c_str());
  }
}

// A message box: a dialog whose children are only its text (id 0xFFFF), its
// icon and its buttons; or any dialog titled "KREDITOR.DLL".
static bool win_IsMsgbox(HWND h) {
  if (win_Class(h) != "#32770")
    return false;
  if (WinText(h) == "KREDITOR.DLL")
    return true;
  bool bText = false, bOther = false;
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(c) & 0xFFFF;
    if (id == 0xFFFF)
      bText = true;
    else if (!((id >= 1 && id <= 11) || id == 0x14 || id == 1088))
      bOther = true;
  }
  return bText && !bOther;
}

static std::string win_MsgboxText(HWND h) {
  HWND hText = GetDlgItem(h, 0xFFFF);
  return hText ? WinText(hText) : std::string();
}

bool WinMsgboxShown(const std::string &szText) {
  std::vector<HWND> wins;
  EnumWindows(win_EnumOwn, (LPARAM)&wins);
  for (HWND h : wins)
    if (IsWindowVisible(h) && win_IsMsgbox(h) && win_MsgboxText(h) == szText)
      return true;
  return false;
}

static void win_Dismiss(HWND h) {
  int id = iMsgboxAnswer;
  HWND hBtn = GetDlgItem(h, id);
  if (!hBtn) {
    static const int ids[] = {IDOK, IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE};
    for (int k : ids) {
      if ((hBtn = GetDlgItem(h, k)) != nullptr) {
        id = k;
        break;
      }
    }
  }
  PostMessageA(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)hBtn);
}

// Marks a box as answered; called with csBoxes held.
static void win_StartDismiss(BOX_OPEN &b) {
  b.bDismissing = true;
  b.dwTime = GetTickCount();
  boxesDismissed.push_back(b.h);
}

int WinMsgboxDismissHeld() {
  std::vector<BOX_OPEN> held;
  EnterCriticalSection(&csBoxes);
  for (BOX_OPEN &b : boxesOpen) {
    if (b.bDismissing)
      continue;
    win_StartDismiss(b);
    held.push_back(b);
  }
  LeaveCriticalSection(&csBoxes);
  for (const BOX_OPEN &b : held) {
    HostOut("message box \"%s\" dismissed", b.szText.c_str());
    win_Dismiss(b.h);
  }
  return (int)held.size();
}

// One pass over the process's message boxes: records the new ones and
// answers them (unless held), answers held ones once holding ends, and
// answers again a box whose first answer came before its loop ran.
static void win_WatchBoxes() {
  std::vector<HWND> wins;
  EnumWindows(win_EnumOwn, (LPARAM)&wins);
  bool bHold = bMsgboxHold;
  for (HWND h : wins) {
    if (!IsWindowVisible(h) || !win_IsMsgbox(h))
      continue;
    EnterCriticalSection(&csBoxes);
    auto it = std::find_if(boxesOpen.begin(), boxesOpen.end(),
                           [h](const BOX_OPEN &b) { return b.h == h; });
    const char *szNote = nullptr;
    bool bNew = it == boxesOpen.end();
    MSGBOX_SEEN mb;
    if (bNew) {
      mb.szTitle = WinText(h);
      mb.szText = win_MsgboxText(h);
      mb.h = h;
      mb.iLine = giCurLine;
      mb.bAccounted = false;
      boxesSeen.push_back(mb);
      boxesOpen.push_back(BOX_OPEN{h, false, 0, mb.szText});
      it = boxesOpen.end() - 1;
      szNote = bHold ? "held" : "dismissed";
    }
    bool bDismiss = false;
    if (!it->bDismissing && !bHold) {
      win_StartDismiss(*it);
      bDismiss = true;
      if (!szNote)
        szNote = "dismissed, no longer held";
    } else if (it->bDismissing && GetTickCount() - it->dwTime > 500) {
      it->dwTime = GetTickCount();
      bDismiss = true;
    }
    std::string szText = it->szText;
    LeaveCriticalSection(&csBoxes);
    if (bNew)
      HostOut("message box \"%s\": \"%s\" (%s)", mb.szTitle.c_str(), mb.szText.c_str(), szNote);
    else if (szNote)
      HostOut("message box \"%s\" %s", szText.c_str(), szNote);
    if (bDismiss)
      win_Dismiss(h);
  }
  EnterCriticalSection(&csBoxes);
  boxesOpen.erase(std::remove_if(boxesOpen.begin(), boxesOpen.end(),
                                 [](const BOX_OPEN &b) { return !IsWindow(b.h); }),
                  boxesOpen.end());
  LeaveCriticalSection(&csBoxes);
}

static DWORD WINAPI win_Watcher(LPVOID) {
  for (;;) {
    Sleep(30);
    if (dwDeadline && (LONG)(GetTickCount() - dwDeadline) >= 0)
      HostTimeout();
    win_WatchBoxes();
  }
  return 0;
}

void WinStartWatcher(DWORD dwTimeoutSec) {
  InitializeCriticalSection(&csBoxes);
  dwDeadline = dwTimeoutSec ? GetTickCount() + dwTimeoutSec * 1000 : 0;
  if (dwDeadline == 0 && dwTimeoutSec)
    dwDeadline = 1;
  HANDLE h = CreateThread(nullptr, 0, win_Watcher, nullptr, 0, nullptr);
  if (h)
    CloseHandle(h);
}

// Reads an area from a 32-bit top-down DIB section filled by fill().
template <class F> static bool win_ReadVia(int w, int hgt, F fill, std::vector<uint32_t> &px) {
  BITMAPINFO bi;
  memset(&bi, 0, sizeof(bi));
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -hgt;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *pBits = nullptr;
  HDC hdcMem = CreateCompatibleDC(nullptr);
  HBITMAP hDib = CreateDIBSection(hdcMem, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
  if (!hDib || !pBits) {
    DeleteDC(hdcMem);
    return false;
  }
  HGDIOBJ hOld = SelectObject(hdcMem, hDib);
  bool bOk = fill(hdcMem);
  GdiFlush();
  if (bOk) {
    const uint32_t *p = (const uint32_t *)pBits;
    px.assign(p, p + (size_t)w * (size_t)hgt);
    for (uint32_t &c : px)
      c &= 0xFFFFFF; // DIB order is 0x00RRGGBB already
  }
  SelectObject(hdcMem, hOld);
  DeleteObject(hDib);
  DeleteDC(hdcMem);
  return bOk;
}

bool WinReadPixels(HWND h, int x, int y, int w, int hgt, std::vector<uint32_t> &px) {
  if (w <= 0 || hgt <= 0 || w > 8192 || hgt > 8192)
    return false;
  if (win_Class(h) == "KREDITOR_VIEW") {
    // The map view keeps its back buffer's handle in window slot 0.
    HBITMAP hbm = (HBITMAP)GetWindowLongPtrA(h, 0);
    BITMAP bm;
    if (hbm && GetObjectA(hbm, sizeof(bm), &bm) == sizeof(bm) && bm.bmWidth > 0 &&
        bm.bmHeight > 0) {
      std::vector<uint32_t> all((size_t)bm.bmWidth * (size_t)bm.bmHeight);
      BITMAPINFO bi;
      memset(&bi, 0, sizeof(bi));
      bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      bi.bmiHeader.biWidth = bm.bmWidth;
      bi.bmiHeader.biHeight = -bm.bmHeight;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      bi.bmiHeader.biCompression = BI_RGB;
      HDC hdc = GetDC(nullptr);
      int n = GetDIBits(hdc, hbm, 0, (UINT)bm.bmHeight, all.data(), &bi, DIB_RGB_COLORS);
      ReleaseDC(nullptr, hdc);
      if (n == bm.bmHeight) {
        px.assign((size_t)w * (size_t)hgt, 0xFF000000u); // outside the buffer: no colour
        for (int j = 0; j < hgt; j++)
          for (int i = 0; i < w; i++)
            if (x + i >= 0 && x + i < bm.bmWidth && y + j >= 0 && y + j < bm.bmHeight)
              px[(size_t)j * (size_t)w + (size_t)i] =
                  all[(size_t)(y + j) * (size_t)bm.bmWidth + (size_t)(x + i)] & 0xFFFFFF;
        return true;
      }
    }
  }
  return win_ReadVia(
      w, hgt,
      [&](HDC hdcMem) {
        HDC hdc = GetDC(h);
        if (!hdc)
          return false;
        BOOL b = BitBlt(hdcMem, 0, 0, w, hgt, hdc, x, y, SRCCOPY);
        ReleaseDC(h, hdc);
        return b != 0;
      },
      px);
}

bool WinScreenshot(HWND h, const std::string &szPath) {
  RECT rc;
  if (h) {
    if (!GetWindowRect(h, &rc))
      return false;
  } else {
    rc.left = rc.top = 0;
    rc.right = GetSystemMetrics(SM_CXSCREEN);
    rc.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  int w = rc.right - rc.left, hgt = rc.bottom - rc.top;
  if (w <= 0 || hgt <= 0)
    return false;
  std::vector<uint32_t> px;
  bool bOk = win_ReadVia(
      w, hgt,
      [&](HDC hdcMem) {
        HDC hdc = GetDC(nullptr);
        BOOL b = BitBlt(hdcMem, 0, 0, w, hgt, hdc, rc.left, rc.top, SRCCOPY);
        ReleaseDC(nullptr, hdc);
        return b != 0;
      },
      px);
  if (!bOk)
    return false;
  // 24-bit bottom-up BMP, rows padded to four bytes.
  int iRow = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER bf;
  BITMAPINFOHEADER bh;
  memset(&bf, 0, sizeof(bf));
  memset(&bh, 0, sizeof(bh));
  bf.bfType = 0x4D42;
  bf.bfOffBits = sizeof(bf) + sizeof(bh);
  bf.bfSize = bf.bfOffBits + (DWORD)(iRow * hgt);
  bh.biSize = sizeof(bh);
  bh.biWidth = w;
  bh.biHeight = hgt;
  bh.biPlanes = 1;
  bh.biBitCount = 24;
  bh.biCompression = BI_RGB;
  bh.biSizeImage = (DWORD)(iRow * hgt);
  FILE *f = fopen(szPath.c_str(), "wb");
  if (!f)
    return false;
  fwrite(&bf, sizeof(bf), 1, f);
  fwrite(&bh, sizeof(bh), 1, f);
  std::vector<uint8_t> row((size_t)iRow, 0);
  for (int j = hgt - 1; j >= 0; j--) {
    for (int i = 0; i < w; i++) {
      uint32_t c = px[(size_t)j * (size_t)w + (size_t)i];
      row[(size_t)i * 3] = (uint8_t)c;
      row[(size_t)i * 3 + 1] = (uint8_t)(c >> 8);
      row[(size_t)i * 3 + 2] = (uint8_t)(c >> 16);
    }
    fwrite(row.data(), 1, row.size(), f);
  }
  bool bWritten = ferror(f) == 0;
  fclose(f);
  return bWritten;
}
