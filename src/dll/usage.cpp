// Rendering peaks: the renderer's statistics from the latest update.
#include "kreditor.h"

void OpenUsageWindow(void) {}

extern "C" INT_PTR CALLBACK UsageDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}
