// The resource memory viewer: the host's memory figures per resource type.
#include "kreditor.h"

void OpenMemViewer(void) {}

extern "C" INT_PTR CALLBACK MemDlgProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}
