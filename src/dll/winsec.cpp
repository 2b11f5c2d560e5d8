// The sector editor: a modeless dialog on the player's sector.
#include "kreditor.h"

void OpenSectorEditor(HWND hMain) {
  (void)hMain;
}

void SectorEditorFollow(void) {}

void GrabWallForSlope(void) {}

void SectorEditorRightButton(HWND hView, int x, int y) {
  (void)hView;
  (void)x;
  (void)y;
}

extern "C" INT_PTR CALLBACK EditSecDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}
