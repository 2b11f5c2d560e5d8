// The wall editor: a modeless dialog on the targeted walls.
#include "kreditor.h"

void OpenWallEditor(HWND hMain) {
  (void)hMain;
}

void UpdateWallDialog(void) {}

extern "C" INT_PTR CALLBACK EditWallDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}
