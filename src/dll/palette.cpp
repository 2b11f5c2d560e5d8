// Palette viewers: the palette, colour maps and shade tables as a grid.
#include "kreditor.h"

void LaunchAPaletteWindow(void) {}

extern "C" INT_PTR CALLBACK PalDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}

extern "C" LRESULT CALLBACK PaletteWndProc(HWND hWnd, UINT wMsg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hWnd, wMsg, wParam, lParam);
}
