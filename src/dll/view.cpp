// The per-frame position update from the host and the top-down map view.
#include "kreditor.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <mmsystem.h>

// Speed of the latest update, shown by the main dialog's timer.
std::atomic<float> fLastSpeed{0.0f};
std::atomic<uint32_t> bSpeedKnown{0};

// Previous call, touched only on the host's thread.
static uint32_t dwLastCalled = 0;
static float fLastX = 0.0f;
static float fLastZ = 0.0f;

// Two back buffers per view window, kept in its window slots: a repaint
// draws into the bitmap of VIEW_SLOT_DRAW and then swaps it with the last
// finished picture in slot 0. So the bitmap in slot 0 is always complete and
// never selected into a context, whoever reads it (the test host) never
// sees a half-drawn map, and a view that is being destroyed frees only its
// own bitmaps.
#define VIEW_SLOT_SHOWN 0
#define VIEW_SLOT_DRAW ((int)sizeof(LONG_PTR))

// Map view state, editor thread only.
static int dmCurrent = 0; // 0 idle, 1 left button down, 2 dragging a box
static RECT rcDragBox = {0, 0, 0, 0};
static uint32_t bPointNextTime = 0;
static uint32_t bGrabNextTime = 0;
// A failed BitBlt is reported once at a time: the message box's own loop
// keeps dispatching the timer's repaints.
static bool bViewReportingError = false;

extern "C" uint32_t __cdecl UpdatePosition(const EDITOR_UPDATE_POSITION *eup) {
  if (eup == NULL)
    return 0;

  // The limit is typed as an unsigned number; a huge value means no spacing.
  uint32_t dwLimit = (uint32_t)iLimitFrameRate.load();
  if (dwLimit != 0 && dwLastCalled != 0) {
    uint32_t dwSpacing = 1000u / dwLimit;
    // Elapsed time rather than an absolute deadline, so a wrap of the
    // millisecond clock cannot turn into a 49-day wait.
    while ((uint32_t)(timeGetTime() - dwLastCalled) < dwSpacing)
      Sleep(0);
  }

  uint32_t dwNow = timeGetTime();
  float fDistance = Pythagoras(fLastX, fLastZ, eup->x, eup->z);
  // Two calls in the same millisecond give inf (or nan when standing still).
  float fSpeed = fDistance * 1000.0f / (float)(uint32_t)(dwNow - dwLastCalled);
  fLastSpeed.store(fSpeed);
  bSpeedKnown.store(1);

  fLastX = eup->x;
  fLastZ = eup->z;
  dwLastCalled = dwNow;

  return Snapshot_Publish(eup);
}

void ShowSpeed(HWND hDlg) {
  if (hDlg == NULL || !bSpeedKnown.load())
    return;
  char szText[64];
  snprintf(szText, sizeof(szText), "V: %g", (double)fLastSpeed.load());
  // Only on a change: setting the same text ten times a second flickers.
  char szOld[64];
  szOld[0] = 0;
  GetDlgItemTextA(hDlg, IDC_MAIN_SPEED, szOld, sizeof(szOld));
  if (strcmp(szOld, szText) != 0)
    SetDlgItemTextA(hDlg, IDC_MAIN_SPEED, szText);
}

void DrawObject(HDC hdc, HPEN hPen, int x, int y, int iHeading) {
  // A zero-length line with a wide pen is a disc.
  SelectObject(hdc, hPen);
  MoveToEx(hdc, x, y, NULL);
  LineTo(hdc, x, y);
  SelectObject(hdc, hPen2);
  MoveToEx(hdc, x, y, NULL);
  LineTo(hdc, x, y);

  double a = ConvertHeading(iHeading);
  int tx = x + (int)(20.0 * sin(a));
  int ty = y + (int)(20.0 * cos(a));
  SelectObject(hdc, GetStockObject(BLACK_PEN));
  MoveToEx(hdc, x, y, NULL);
  LineTo(hdc, tx, ty);

  // Barbs 157.5 degrees either side of the heading.
  double a1 = ConvertHeading(iHeading - 7168);
  double a2 = ConvertHeading(iHeading - 9216);
  LineTo(hdc, tx + (int)(10.0 * sin(a1)), ty + (int)(10.0 * cos(a1)));
  LineTo(hdc, tx + (int)(10.0 * sin(a2)), ty + (int)(10.0 * cos(a2)));
  LineTo(hdc, tx, ty);
}

static int View_Clamp(int n, int iMax) {
  if (n < 0)
    return 0;
  return n > iMax ? iMax : n;
}

static int View_Zoom(HWND hParent) {
  int iZoom = GetScrollPos(GetDlgItem(hParent, IDC_MAIN_ZOOM), SB_CTL);
  return iZoom < 1 ? 1 : iZoom;
}

static HBITMAP View_Bitmap(HWND hWnd, int iSlot) {
  return (HBITMAP)GetWindowLongPtrA(hWnd, iSlot);
}

static void View_Repaint(HWND hWnd) {
  HWND hParent = GetParent(hWnd);
  uint32_t bGrab = bGrabNextTime;
  uint32_t bPoint = bPointNextTime;
  HBITMAP hLocalBmp = View_Bitmap(hWnd, VIEW_SLOT_DRAW);
  HBITMAP hShownBmp = View_Bitmap(hWnd, VIEW_SLOT_SHOWN);
  HDC hdc = GetDC(hWnd);
  if (hdc == NULL)
    return;
  // Another pass still reading (a repaint re-entered from a message box).
  if (Snapshot_IsReading() || hLocalBmp == NULL || hShownBmp == NULL) {
    ReleaseDC(hWnd, hdc);
    return;
  }
  HDC hdcMem = CreateCompatibleDC(hdc);
  if (hdcMem == NULL) {
    ReleaseDC(hWnd, hdc);
    return;
  }

  // Picks and the faced wall of another sector are dropped here, before
  // this pass picks anything against its snapshot.
  bool bEmptied = false;
  int iSide = Selection_BeginRead(&bEmptied);
  const EDITOR_VIEW *pv = &pvSet[iSide];
  int iZoom = View_Zoom(hParent);

  RECT rcGrab = {0, 0, 0, 0};
  if (dmCurrent == 2 || bGrab) {
    rcGrab.left = rcDragBox.left < rcDragBox.right ? rcDragBox.left : rcDragBox.right;
    rcGrab.right = rcDragBox.left < rcDragBox.right ? rcDragBox.right : rcDragBox.left;
    rcGrab.top = rcDragBox.top < rcDragBox.bottom ? rcDragBox.top : rcDragBox.bottom;
    rcGrab.bottom = rcDragBox.top < rcDragBox.bottom ? rcDragBox.bottom : rcDragBox.top;
  }

  RECT rcClient;
  GetClientRect(hWnd, &rcClient);
  int cx = rcClient.right / 2;
  int cy = rcClient.bottom / 2;
  HGDIOBJ hOldBmp = SelectObject(hdcMem, hLocalBmp);
  HGDIOBJ hOldPen = SelectObject(hdcMem, hPenBig);
  FillRect(hdcMem, &rcClient, GetSysColorBrush(COLOR_WINDOW));

  DrawObject(hdcMem, hPenBig, cx, cy, pv->sAngle);

  int iActors = pv->pp ? View_Clamp(pv->iActorCount, KRED_MAX_ACTORS) : 0;
  for (int i = 0; i < iActors; i++) {
    const EDITOR_OBJECT *eo = &pv->pp[i];
    HPEN hPen;
    if (eo->iType == 1)
      hPen = hPenBigR;
    else if (eo->iType == 2)
      hPen = hPenBigG;
    else
      continue;
    int ox, oy;
    ConvertOneVertex(eo->x, eo->y, &ox, &oy, pv->x, pv->y, iZoom);
    DrawObject(hdcMem, hPen, ox + cx, oy + cy, eo->sDir);
  }

  int iWalls = pv->fpWSet ? View_Clamp(pv->iWallCount, KRED_MAX_WALLS) : 0;
  double dAngle = ConvertHeading(pv->sAngle);
  float fBest = 10000.0f;
  int iFaced = -1;
  WALL_VERTEXES_I wviFaced = {0, 0, 0, 0};
  float fClickBest = 20.0f;
  int iClicked = -1;
  bool bGrew = false;
  for (int i = 0; i < iWalls; i++) {
    const WALL_VERTEXES *wv = &pv->fpWSet[i];
    bool bFacedHere = false;
    if (wCurrentWallSelections.load() == 0) {
      float d = MeasureRayToLine(pv->x, pv->y, (float)dAngle, wv);
      // The first hit counts whatever its distance; later ones must be nearer.
      if (d != -1.0f && (iFaced < 0 || d < fBest)) {
        iFaced = i;
        fBest = d;
        bFacedHere = true;
      }
    }

    WALL_VERTEXES_I wvi;
    ConvertWallVertexes(wv, &wvi, pv->x, pv->y, iZoom);
    wvi.v1x += cx;
    wvi.v1y += cy;
    wvi.v2x += cx;
    wvi.v2y += cy;

    if (bPoint) {
      float c = PointToLineDistance((float)rcDragBox.left, (float)rcDragBox.top, (float)wvi.v1x,
                                    (float)wvi.v1y, (float)wvi.v2x, (float)wvi.v2y);
      if (c < fClickBest) {
        iClicked = i;
        fClickBest = c;
      }
    }

    if (bGrab && wvi.v1x >= rcGrab.left && wvi.v1x <= rcGrab.right && wvi.v1y >= rcGrab.top &&
        wvi.v1y <= rcGrab.bottom && wvi.v2x >= rcGrab.left && wvi.v2x <= rcGrab.right &&
        wvi.v2y >= rcGrab.top && wvi.v2y <= rcGrab.bottom) {
      AddWallToSelectedList(i);
      bGrew = true;
    }

    SelectObject(hdcMem, hPen2);
    MoveToEx(hdcMem, wvi.v1x, wvi.v1y, NULL);
    LineTo(hdcMem, wvi.v1x, wvi.v1y);
    SelectObject(hdcMem, IsWallInSelectionList(i) ? (HGDIOBJ)hPenR : GetStockObject(BLACK_PEN));
    LineTo(hdcMem, wvi.v2x, wvi.v2y);

    if (bFacedHere)
      wviFaced = wvi;
  }

  // The wall editor is refreshed after the read ends: it asks the host for
  // wall records, which must not happen while the snapshot is held.
  bool bRefreshWallDialog = bEmptied;
  if (bPoint && iClicked >= 0) {
    ToggleWallInSelectedList(iClicked);
    bRefreshWallDialog = true;
  }

  // No faced wall while walls are picked.
  iSelWall = (int16_t)(wCurrentWallSelections.load() == 0 ? iFaced : -1);
  if (bGrew || iSelWall != piSelWall.load())
    bRefreshWallDialog = true;
  piSelWall.store(iSelWall);

  if (iSelWall >= 0) {
    SelectObject(hdcMem, hPen2);
    MoveToEx(hdcMem, wviFaced.v1x, wviFaced.v1y, NULL);
    LineTo(hdcMem, wviFaced.v1x, wviFaced.v1y);
    SelectObject(hdcMem, hPenR);
    LineTo(hdcMem, wviFaced.v2x, wviFaced.v2y);
    SelectObject(hdcMem, hPen2);
    LineTo(hdcMem, wviFaced.v2x, wviFaced.v2y);
  }

  if (dmCurrent == 2)
    DrawFocusRect(hdcMem, &rcGrab);

  GdiFlush();
  DWORD dwBltError = 0;
  BOOL bBlt = BitBlt(hdc, 0, 0, rcClient.right, rcClient.bottom, hdcMem, 0, 0, SRCCOPY);
  if (!bBlt)
    dwBltError = GetLastError();
  else
    GdiFlush();

  SelectObject(hdcMem, hOldBmp);
  SelectObject(hdcMem, hOldPen);
  DeleteDC(hdcMem);

  SetWindowLongPtrA(hWnd, VIEW_SLOT_SHOWN, (LONG_PTR)hLocalBmp);
  SetWindowLongPtrA(hWnd, VIEW_SLOT_DRAW, (LONG_PTR)hShownBmp);

  Selection_EndRead();
  if (bGrab)
    bGrabNextTime = 0;
  if (bPoint)
    bPointNextTime = 0;
  ReleaseDC(hWnd, hdc);

  if (bRefreshWallDialog)
    UpdateWallDialog();
  if (!bBlt && !bViewReportingError) {
    bViewReportingError = true;
    ErrMsg("BitBlt Error: %lu", (unsigned long)dwBltError);
    bViewReportingError = false;
  }
}

static void View_FreeBuffers(HWND hWnd) {
  const int iSlots[] = {VIEW_SLOT_SHOWN, VIEW_SLOT_DRAW};
  for (int iSlot : iSlots) {
    HBITMAP hBmp = View_Bitmap(hWnd, iSlot);
    SetWindowLongPtrA(hWnd, iSlot, 0);
    if (hBmp != NULL)
      DeleteObject(hBmp);
  }
}

extern "C" LRESULT CALLBACK ViewWndProc(HWND hWnd, UINT wMsg, WPARAM wParam, LPARAM lParam) {
  switch (wMsg) {
  case WM_CREATE:
    SetWindowLongPtrA(hWnd, VIEW_SLOT_SHOWN, 0);
    SetWindowLongPtrA(hWnd, VIEW_SLOT_DRAW, 0);
    // A new editor run starts idle, whatever the last one left pending.
    dmCurrent = 0;
    bPointNextTime = 0;
    bGrabNextTime = 0;
    break;

  case WM_SIZE: {
    View_FreeBuffers(hWnd);
    HDC hdc = GetDC(hWnd);
    if (hdc != NULL) {
      HBITMAP hShown = CreateCompatibleBitmap(hdc, LOWORD(lParam), HIWORD(lParam));
      HBITMAP hDraw = CreateCompatibleBitmap(hdc, LOWORD(lParam), HIWORD(lParam));
      ReleaseDC(hWnd, hdc);
      SetWindowLongPtrA(hWnd, VIEW_SLOT_SHOWN, (LONG_PTR)hShown);
      SetWindowLongPtrA(hWnd, VIEW_SLOT_DRAW, (LONG_PTR)hDraw);
    }
    break;
  }

  case WM_DESTROY:
    View_FreeBuffers(hWnd);
    break;

  case WM_PAINT: {
    PAINTSTRUCT ps;
    BeginPaint(hWnd, &ps);
    EndPaint(hWnd, &ps);
    break;
  }

  case WM_KRED_REPAINT:
    View_Repaint(hWnd);
    break;

  case WM_LBUTTONDOWN:
    dmCurrent = 1;
    rcDragBox.left = LOWORD(lParam);
    rcDragBox.top = HIWORD(lParam);
    break;

  case WM_MOUSEMOVE:
    if (dmCurrent != 0 && !(wParam & MK_LBUTTON)) {
      // Released outside the window: no capture, so the release was lost.
      dmCurrent = 0;
      break;
    }
    if (dmCurrent == 1)
      dmCurrent = 2;
    if (dmCurrent == 2) {
      rcDragBox.right = LOWORD(lParam);
      rcDragBox.bottom = HIWORD(lParam);
    }
    break;

  case WM_LBUTTONUP:
    if (dmCurrent == 1)
      bPointNextTime = 1;
    else if (dmCurrent == 2)
      bGrabNextTime = 1;
    dmCurrent = 0;
    break;

  case WM_RBUTTONDOWN:
    SectorEditorRightButton(hWnd, (short)LOWORD(lParam), (short)HIWORD(lParam));
    break;
  }
  return DefWindowProcA(hWnd, wMsg, wParam, lParam);
}
