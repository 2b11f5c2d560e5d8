// Map view and position updates: placeholder until the view lands.
#include "kreditor.h"

std::atomic<float> fLastSpeed{0.0f};
std::atomic<uint32_t> bSpeedKnown{0};

void ShowSpeed(HWND) {}
void UpdateWallDialog(void) {}

extern "C" uint32_t __cdecl UpdatePosition(const EDITOR_UPDATE_POSITION *) { return 0; }

extern "C" LRESULT CALLBACK ViewWndProc(HWND hWnd, UINT wMsg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hWnd, wMsg, wParam, lParam);
}
