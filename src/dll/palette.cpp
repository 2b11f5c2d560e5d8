// Palette viewers: the game's palette, colour maps and shade tables as a
// 16 by 16 grid of colour cells, up to 20 viewers at once.
#include "kreditor.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "palgrid.h"

// To the grid window: a colour table (also, to the dialog: refresh), and an
// index table. The data travels in lParam.
#define WM_PAL_COLORS 2269
#define WM_PAL_INDEXES 2270

// The grid window's slots: colour table, bitmap header, index table.
#define PAL_SLOT_COLORS 0
#define PAL_SLOT_HEADER 4
#define PAL_SLOT_INDEXES 8

#define PAL_PAGE 5
// Table numbers travel as 16-bit thumb positions: more tables than this
// cannot be scrolled to.
#define PAL_MAX_TABLES 32768

struct PAL_DLG_STATE {
  int32_t iButtonPressed;
  int32_t iScrollPos;
  int32_t iMaxColorMaps;
  int32_t iMaxShades;
};

// The bitmap header with its 256 palette-index colour entries.
struct PAL_BITMAP_HEADER {
  BITMAPINFOHEADER bmiHeader;
  WORD wIndexes[256];
};

static const int iKindButtons[] = {IDC_PAL_MAIN, IDC_PAL_CMAP, IDC_PAL_SHADE};

void LaunchAPaletteWindow(void) {
  for (HWND &hSlot : hPaletteWndSet) {
    if (hSlot == NULL) {
      hSlot = CreateDialogA(hInst, "KE_PAL", NULL, PalDlgProc);
      return;
    }
  }
}

void FreeAPaletteWindow(HWND hDlg) {
  for (HWND &hSlot : hPaletteWndSet) {
    if (hSlot == hDlg)
      hSlot = NULL;
  }
}

// ---------------------------------------------------------------------------
// Host requests

// The host's count of colour maps (pt 1) or shade tables (pt 2), read as a
// signed number: a negative count means none, a huge one is cut to what the
// scroll bar can reach. With Table, table n is asked for as well.
static int Pal_AskTable(int pt, int n, uint8_t *Table) {
  if (gCallBack == NULL)
    return 0;
  PALETTE_REQUEST pr = {};
  pr.pt = pt;
  pr.pn = n;
  pr.table = Table;
  pr.rgb = NULL;
  int32_t iCount = (int32_t)gCallBack(KREQ_PALETTE, (uintptr_t)&pr);
  if (iCount < 0)
    return 0;
  return iCount > PAL_MAX_TABLES ? PAL_MAX_TABLES : iCount;
}

// The main palette into rgb, which starts all black: a host that fills
// nothing shows a defined (black) grid, never stale memory.
static void Pal_AskPalette(KRED_RGBQUAD *rgb) {
  memset(rgb, 0, 256 * sizeof(KRED_RGBQUAD));
  if (gCallBack == NULL)
    return;
  PALETTE_REQUEST pr = {};
  pr.pt = 0;
  pr.rgb = rgb;
  gCallBack(KREQ_PALETTE, (uintptr_t)&pr);
}

// ---------------------------------------------------------------------------
// The viewer dialog

static PAL_DLG_STATE *Pal_State(HWND hDlg) {
  return (PAL_DLG_STATE *)GetWindowLongPtrA(hDlg, DWLP_USER);
}

static int Pal_CheckedKind(HWND hDlg) {
  for (int iId : iKindButtons) {
    if (IsDlgButtonChecked(hDlg, iId) == BST_CHECKED)
      return iId;
  }
  return 0;
}

static void Pal_SetPosText(HWND hDlg, const char *szText) {
  SetDlgItemTextA(hDlg, IDC_PAL_POS, szText);
}

static void Pal_ShowPos(HWND hDlg, int iPos) {
  char szText[16];
  snprintf(szText, sizeof(szText), "%d", iPos);
  Pal_SetPosText(hDlg, szText);
}

// Shows the checked kind of table at the scroll position.
static void Pal_Refresh(HWND hDlg) {
  PAL_DLG_STATE *pds = Pal_State(hDlg);
  HWND hGrid = GetDlgItem(hDlg, IDC_PAL_GRID);
  if (pds == NULL || hGrid == NULL)
    return;
  uint8_t Table[256];
  int iKind = Pal_CheckedKind(hDlg);
  if (iKind == IDC_PAL_CMAP || iKind == IDC_PAL_SHADE) {
    int pt = iKind == IDC_PAL_CMAP ? 1 : 2;
    int n = GetScrollPos(GetDlgItem(hDlg, IDC_PAL_SCROLL), SB_CTL);
    // Entries the host leaves alone show colour 0.
    memset(Table, 0, sizeof(Table));
    int iCount = Pal_AskTable(pt, n, Table);
    if (pt == 1)
      pds->iMaxColorMaps = iCount;
    else
      pds->iMaxShades = iCount;
    if (n >= iCount) {
      // The host has no such table (any more): whatever it wrote is not
      // shown, the grid is blank.
      memset(Table, 0, sizeof(Table));
      Pal_SetPosText(hDlg, "N/A");
    }
  } else {
    for (int i = 0; i < 256; i++)
      Table[i] = (uint8_t)i;
  }
  SendMessageA(hGrid, WM_PAL_INDEXES, 0, (LPARAM)Table);
}

// Switches to a kind of table: iId is 2000, 2010 or 2020, and lParam the
// position to show when iExact (2011, 2021), else 0.
static void Pal_ShowKind(HWND hDlg, int iId, bool bExact, LPARAM lParam) {
  PAL_DLG_STATE *pds = Pal_State(hDlg);
  HWND hBar = GetDlgItem(hDlg, IDC_PAL_SCROLL);
  if (pds == NULL || hBar == NULL)
    return;
  if (iId == IDC_PAL_MAIN) {
    EnableWindow(hBar, FALSE);
    Pal_SetPosText(hDlg, "");
  } else {
    int iCount = iId == IDC_PAL_CMAP ? pds->iMaxColorMaps : pds->iMaxShades;
    int iMax = iCount > 0 ? iCount - 1 : 0;
    int iPos = bExact ? (int)lParam : 0;
    if (iPos < 0)
      iPos = 0;
    if (iPos > iMax)
      iPos = iMax;
    EnableWindow(hBar, TRUE);
    SetScrollRange(hBar, SB_CTL, 0, iMax, FALSE);
    SetScrollPos(hBar, SB_CTL, iPos, TRUE);
    char szText[16];
    snprintf(szText, sizeof(szText), "%u", (unsigned)iPos);
    Pal_SetPosText(hDlg, szText);
  }
  Pal_Refresh(hDlg);
}

static void Pal_Mark(HWND hDlg, PAL_DLG_STATE *pds) {
  int iKind = Pal_CheckedKind(hDlg);
  if (iKind != 0)
    pds->iButtonPressed = iKind;
  pds->iScrollPos = GetScrollPos(GetDlgItem(hDlg, IDC_PAL_SCROLL), SB_CTL);
  EnableWindow(GetDlgItem(hDlg, IDC_PAL_SWAP), TRUE);
}

static void Pal_Swap(HWND hDlg, PAL_DLG_STATE *pds) {
  PAL_DLG_STATE dsMarked = *pds;
  Pal_Mark(hDlg, pds);
  CheckDlgButton(hDlg, pds->iButtonPressed, BST_UNCHECKED);
  int iShow = dsMarked.iButtonPressed;
  if (iShow != IDC_PAL_MAIN && iShow != IDC_PAL_CMAP && iShow != IDC_PAL_SHADE)
    iShow = IDC_PAL_MAIN; // marked before any kind was checked
  CheckDlgButton(hDlg, iShow, BST_CHECKED);
  SendMessageA(hDlg, WM_COMMAND, (WPARAM)(iShow + 1), (LPARAM)dsMarked.iScrollPos);
}

static void Pal_Command(HWND hDlg, int iId, LPARAM lParam) {
  PAL_DLG_STATE *pds = Pal_State(hDlg);
  if (pds == NULL)
    return;
  switch (iId) {
  case IDC_PAL_MAIN:
  case IDC_PAL_MAIN + 1:
    Pal_ShowKind(hDlg, IDC_PAL_MAIN, false, 0);
    break;
  case IDC_PAL_CMAP:
  case IDC_PAL_SHADE:
    Pal_ShowKind(hDlg, iId, false, 0);
    break;
  case IDC_PAL_CMAP + 1:
  case IDC_PAL_SHADE + 1:
    Pal_ShowKind(hDlg, iId - 1, true, lParam);
    break;
  case IDC_PAL_MARK:
    Pal_Mark(hDlg, pds);
    break;
  case IDC_PAL_SWAP:
    Pal_Swap(hDlg, pds);
    break;
  case IDOK:
    PostMessageA(hDlg, WM_CLOSE, 0, 0);
    break;
  default:
    break;
  }
}

static void Pal_HScroll(HWND hDlg, WPARAM wParam, HWND hBar) {
  if (hBar == NULL || Pal_State(hDlg) == NULL)
    return;
  if (LOWORD(wParam) > SB_RIGHT)
    return; // SB_ENDSCROLL: nothing moved, nothing to fetch
  int iPos = StepScrollBar(hBar, LOWORD(wParam), HIWORD(wParam), PAL_PAGE);
  Pal_ShowPos(hDlg, iPos);
  Pal_Refresh(hDlg);
}

static void Pal_InitDialog(HWND hDlg) {
  PAL_DLG_STATE *pds = (PAL_DLG_STATE *)calloc(1, sizeof(PAL_DLG_STATE));
  if (pds == NULL) {
    // Nothing to keep the view's state in: the viewer does not open.
    PostMessageA(hDlg, WM_CLOSE, 0, 0);
    return;
  }
  SetWindowLongPtrA(hDlg, DWLP_USER, (LONG_PTR)pds);
  EnableWindow(GetDlgItem(hDlg, IDC_PAL_SWAP), FALSE);

  KRED_RGBQUAD rgb[256];
  Pal_AskPalette(rgb);
  pds->iMaxColorMaps = Pal_AskTable(1, 0, NULL);
  if (pds->iMaxColorMaps == 0)
    EnableWindow(GetDlgItem(hDlg, IDC_PAL_CMAP), FALSE);
  pds->iMaxShades = Pal_AskTable(2, 0, NULL);
  if (pds->iMaxShades == 0)
    EnableWindow(GetDlgItem(hDlg, IDC_PAL_SHADE), FALSE);

  SendDlgItemMessageA(hDlg, IDC_PAL_GRID, WM_PAL_COLORS, 0, (LPARAM)rgb);
  CheckDlgButton(hDlg, IDC_PAL_MAIN, BST_CHECKED);
  PostMessageA(hDlg, WM_COMMAND, IDC_PAL_MAIN, 0);
}

extern "C" INT_PTR CALLBACK PalDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam) {
  switch (wCmd) {
  case WM_INITDIALOG:
    Pal_InitDialog(hDlg);
    break;
  case WM_COMMAND:
    Pal_Command(hDlg, LOWORD(wParam), lParam);
    break;
  case WM_HSCROLL:
    Pal_HScroll(hDlg, wParam, (HWND)lParam);
    break;
  case WM_PAL_COLORS:
    Pal_Refresh(hDlg);
    break;
  case WM_CLOSE:
    DestroyWindow(hDlg);
    break;
  case WM_DESTROY: {
    PAL_DLG_STATE *pds = Pal_State(hDlg);
    SetWindowLongPtrA(hDlg, DWLP_USER, 0);
    free(pds);
    FreeAPaletteWindow(hDlg);
    break;
  }
  default:
    break;
  }
  return FALSE;
}

// ---------------------------------------------------------------------------
// The grid window

static void *Pal_Slot(HWND hWnd, int iSlot) {
  return (void *)(LONG_PTR)GetWindowLongA(hWnd, iSlot);
}

static void Pal_SetSlot(HWND hWnd, int iSlot, void *p) {
  SetWindowLongA(hWnd, iSlot, (LONG)(LONG_PTR)p);
}

// Replaces the buffer in a slot by a copy of cb bytes; keeps the old one
// when memory runs out.
static void Pal_ReplaceSlot(HWND hWnd, int iSlot, const void *pData, size_t cb) {
  if (pData == NULL)
    return;
  void *pCopy = malloc(cb);
  if (pCopy == NULL)
    return;
  memcpy(pCopy, pData, cb);
  free(Pal_Slot(hWnd, iSlot));
  Pal_SetSlot(hWnd, iSlot, pCopy);
  InvalidateRect(hWnd, NULL, FALSE);
}

static HPALETTE Pal_MakePalette(const KRED_RGBQUAD *rgb) {
  struct {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
  } lp;
  lp.palVersion = 0x300;
  lp.palNumEntries = 256;
  for (int i = 0; i < 256; i++) {
    lp.palPalEntry[i].peRed = rgb[i].rgbRed;
    lp.palPalEntry[i].peGreen = rgb[i].rgbGreen;
    lp.palPalEntry[i].peBlue = rgb[i].rgbBlue;
    lp.palPalEntry[i].peFlags = 0;
  }
  return CreatePalette((const LOGPALETTE *)&lp);
}

static PAL_BITMAP_HEADER *Pal_Header(HWND hWnd) {
  PAL_BITMAP_HEADER *pbh = (PAL_BITMAP_HEADER *)Pal_Slot(hWnd, PAL_SLOT_HEADER);
  if (pbh != NULL)
    return pbh;
  pbh = (PAL_BITMAP_HEADER *)calloc(1, sizeof(PAL_BITMAP_HEADER));
  if (pbh == NULL)
    return NULL;
  pbh->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  pbh->bmiHeader.biPlanes = 1;
  pbh->bmiHeader.biBitCount = 8;
  pbh->bmiHeader.biCompression = BI_RGB;
  for (int i = 0; i < 256; i++)
    pbh->wIndexes[i] = (WORD)i;
  Pal_SetSlot(hWnd, PAL_SLOT_HEADER, pbh);
  return pbh;
}

static void Pal_Paint(HWND hWnd, HDC hdc) {
  const KRED_RGBQUAD *rgb = (const KRED_RGBQUAD *)Pal_Slot(hWnd, PAL_SLOT_COLORS);
  const uint8_t *Table = (const uint8_t *)Pal_Slot(hWnd, PAL_SLOT_INDEXES);
  if (rgb == NULL || Table == NULL)
    return;
  RECT rc;
  GetClientRect(hWnd, &rc);
  int x = rc.right - rc.left;
  int y = rc.bottom - rc.top;
  PAL_BITMAP_HEADER *pbh = Pal_Header(hWnd);
  if (pbh == NULL)
    return;
  uint8_t *pBits = Make16By16Grid(x, y, Table);
  if (pBits == NULL)
    return; // an empty client area, or no memory: nothing to draw
  HPALETTE hPal = Pal_MakePalette(rgb);
  if (hPal != NULL) {
    HPALETTE hOldPal = SelectPalette(hdc, hPal, TRUE);
    RealizePalette(hdc);
    pbh->bmiHeader.biWidth = x;
    pbh->bmiHeader.biHeight = y;
    SetDIBitsToDevice(hdc, 0, 0, (DWORD)x, (DWORD)y, 0, 0, 0, (UINT)y, pBits,
                      (const BITMAPINFO *)pbh, DIB_PAL_COLORS);
    SelectPalette(hdc, hOldPal, TRUE);
    DeleteObject(hPal);
  }
  free(pBits);
}

extern "C" LRESULT CALLBACK PaletteWndProc(HWND hWnd, UINT wMsg, WPARAM wParam, LPARAM lParam) {
  switch (wMsg) {
  case WM_PAL_COLORS:
    Pal_ReplaceSlot(hWnd, PAL_SLOT_COLORS, (const void *)lParam, 256 * sizeof(KRED_RGBQUAD));
    break;
  case WM_PAL_INDEXES:
    Pal_ReplaceSlot(hWnd, PAL_SLOT_INDEXES, (const void *)lParam, 256);
    break;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    if (hdc != NULL) {
      Pal_Paint(hWnd, hdc);
      EndPaint(hWnd, &ps);
    }
    break;
  }
  case WM_DESTROY:
    for (int iSlot : {PAL_SLOT_COLORS, PAL_SLOT_HEADER, PAL_SLOT_INDEXES}) {
      free(Pal_Slot(hWnd, iSlot));
      Pal_SetSlot(hWnd, iSlot, NULL);
    }
    break;
  default:
    break;
  }
  return DefWindowProcA(hWnd, wMsg, wParam, lParam);
}
