// The dialog field routines: numbers into controls and back. The texts and
// the parsing are the core's; these only move text in and out of controls.
#include "kreditor.h"

#include "fields.h"

#include <string.h>

void SetDlgItemDouble(HWND hDlg, int id, double fValue) {
  char szBuf[KRED_DOUBLE_TEXT];
  Fields_DoubleText(szBuf, sizeof(szBuf), fValue);
  SetDlgItemTextA(hDlg, id, szBuf);
}

void SetDlgItemDouble2(HWND hDlg, int id, double fValue) {
  char szBuf[KRED_DOUBLE_TEXT];
  Fields_AngleText(szBuf, sizeof(szBuf), fValue);
  SetDlgItemTextA(hDlg, id, szBuf);
}

double GetDlgItemDouble(HWND hDlg, int id) {
  char szBuf[KRED_DOUBLE_TEXT] = "";
  // A missing control leaves the buffer alone: it reads as empty text.
  GetDlgItemTextA(hDlg, id, szBuf, (int)sizeof(szBuf));
  szBuf[sizeof(szBuf) - 1] = '\0';
  return Fields_ParseDouble(szBuf);
}

uint32_t GetDlgItemColonNumber(HWND hDlg, int id) {
  char szBuf[KRED_COLON_TEXT] = "";
  GetDlgItemTextA(hDlg, id, szBuf, (int)sizeof(szBuf));
  szBuf[sizeof(szBuf) - 1] = '\0';
  return Fields_ParseColonNumber(szBuf);
}

int StepScrollBar(HWND hBar, int iCode, int iThumb, int iPage) {
  int iMin = 0, iMax = 0;
  GetScrollRange(hBar, SB_CTL, &iMin, &iMax);
  int iPos = Fields_ScrollStep(GetScrollPos(hBar, SB_CTL), iCode, iThumb, iPage, iMin, iMax);
  SetScrollPos(hBar, SB_CTL, iPos, TRUE);
  return iPos;
}

void SetScrollBarIfChanged(HWND hBar, int iMin, int iMax, int iPos, bool bRedrawNow) {
  iPos = iPos < iMin ? iMin : iPos > iMax ? iMax : iPos;
  SCROLLINFO si;
  memset(&si, 0, sizeof(si));
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_POS;
  if (GetScrollInfo(hBar, SB_CTL, &si) && si.nMin == iMin && si.nMax == iMax && si.nPos == iPos)
    return;
  si.nMin = iMin;
  si.nMax = iMax;
  si.nPos = iPos;
  SetScrollInfo(hBar, SB_CTL, &si, bRedrawNow ? TRUE : FALSE);
  if (!bRedrawNow)
    InvalidateRect(hBar, NULL, FALSE);
}
