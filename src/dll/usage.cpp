// Rendering peaks: the renderer's statistics from the latest accepted
// position update, ten times a second. Any number of these windows may be
// open; none is tracked in a slot.
#include "kreditor.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#define USAGE_TIMER 1
#define USAGE_TIMER_MS 100
#define USAGE_TEXT 40

// The statistics being shown; set only for the length of one tick.
static const RenderUsage *ruPoint = NULL;

// The open windows, so that the editor thread can close them before it
// ends: left to the thread's own end, their procedure would run while the
// library may already be on its way out.
static std::vector<HWND> hUsageWindows;

void OpenUsageWindow(void) {
  HWND hDlg = CreateDialogParamA(hInst, "USAGE", NULL, UsageDlgProc, 0);
  if (hDlg != NULL && IsWindow(hDlg))
    hUsageWindows.push_back(hDlg);
}

void CloseUsageWindows(void) {
  std::vector<HWND> hOpen;
  hOpen.swap(hUsageWindows);
  for (HWND hDlg : hOpen) {
    if (IsWindow(hDlg))
      DestroyWindow(hDlg);
  }
  std::vector<HWND>().swap(hUsageWindows);
}

// Sets a value only when it changed: ten identical texts a second flicker
// and cost every open window a repaint.
static void Usage_SetText(HWND hDlg, int iId, const char *szText) {
  char szOld[USAGE_TEXT];
  szOld[0] = '\0';
  GetDlgItemTextA(hDlg, iId, szOld, (int)sizeof(szOld));
  if (strcmp(szOld, szText) != 0)
    SetDlgItemTextA(hDlg, iId, szText);
}

static void Usage_ShowPair(HWND hDlg, int iId, int32_t iPeak, int32_t iMax) {
  char szText[USAGE_TEXT];
  snprintf(szText, sizeof(szText), "%lu / %lu", (unsigned long)(uint32_t)iPeak,
           (unsigned long)(uint32_t)iMax);
  Usage_SetText(hDlg, iId, szText);
}

static void Usage_Tick(HWND hDlg) {
  // A copy taken under the snapshot guard: the host's thread may be filling
  // the other slot, but never rewrites the one read here.
  RenderUsage ru;
  bool bHave = false;
  int iSlot = Snapshot_BeginRead();
  if (gruPoint.load() != NULL) {
    ruPoint = &pvSet[iSlot].ruData;
    ru = *ruPoint;
    ruPoint = NULL;
    bHave = true;
  }
  Snapshot_EndRead();
  if (!bHave)
    return; // no update yet: the fields stay as they are
  Usage_ShowPair(hDlg, IDC_USAGE_ACTIVE_WINDOWS, ru.peakActiveWindows, ru.maxActiveWindows);
  Usage_ShowPair(hDlg, IDC_USAGE_WALL_EDGES, ru.peakWallEdges, ru.maxWallEdges);
  Usage_ShowPair(hDlg, IDC_USAGE_WALL_WINDOWS, ru.peakWallWindows, ru.maxWallWindows);
  Usage_ShowPair(hDlg, IDC_USAGE_ADJOINING, ru.peakAdjoiningSectors, ru.maxAdjoiningSectors);
  char szText[USAGE_TEXT];
  snprintf(szText, sizeof(szText), "%lu", (unsigned long)(uint32_t)ru.numSectorsVisited);
  Usage_SetText(hDlg, IDC_USAGE_VISITED, szText);
}

extern "C" INT_PTR CALLBACK UsageDlgProc(HWND hDlg, UINT wCmd, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (wCmd) {
  case WM_INITDIALOG:
    SetTimer(hDlg, USAGE_TIMER, USAGE_TIMER_MS, NULL);
    break;
  case WM_TIMER:
    Usage_Tick(hDlg);
    break;
  case WM_COMMAND:
    if (LOWORD(wParam) == IDOK)
      PostMessageA(hDlg, WM_CLOSE, 0, 0);
    break;
  case WM_CLOSE:
    DestroyWindow(hDlg);
    break;
  case WM_DESTROY:
    KillTimer(hDlg, USAGE_TIMER);
    hUsageWindows.erase(std::remove(hUsageWindows.begin(), hUsageWindows.end(), hDlg),
                        hUsageWindows.end());
    break;
  default:
    break;
  }
  return FALSE;
}
