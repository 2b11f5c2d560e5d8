// The sector editor's controls: their handles, kept when the dialog is
// created, the text, scroll and selection routines the pages use, and what
// the dialog showed in each control, against which APPLY tells the
// designer's changes from what the dialog put there itself.
#include "winsec.h"

#include <stdio.h>
#include <string.h>

void Sec_SetBar(HWND hDlg, int id, int iMin, int iMax, int iPos) {
  // Drawn with the dialog's next paint, together with the other controls
  // that change, rather than at once.
  SetScrollBarIfChanged(Sec_Ctl(hDlg, id), iMin, iMax, iPos, false);
}

int Sec_BarPos(HWND hDlg, int id) {
  return GetScrollPos(Sec_Ctl(hDlg, id), SB_CTL);
}

// ---------------------------------------------------------------------------
// Controls

struct SEC_TAKE {
  HWND hDlg;
  WINSEC_DLG_DATA *pd;
};

static BOOL CALLBACK Sec_TakeControl(HWND h, LPARAM lParam) {
  SEC_TAKE *pt = (SEC_TAKE *)lParam;
  WINSEC_DLG_DATA *pd = pt->pd;
  if (GetParent(h) == pt->hDlg && pd->nCtl < WS_CONTROLS) {
    pd->ctl[pd->nCtl].id = GetDlgCtrlID(h);
    pd->ctl[pd->nCtl].h = h;
    pd->nCtl++;
  }
  return TRUE;
}

void Sec_TakeControls(HWND hDlg, WINSEC_DLG_DATA *pd) {
  SEC_TAKE t = {hDlg, pd};
  pd->nCtl = 0;
  EnumChildWindows(hDlg, Sec_TakeControl, (LPARAM)&t);
}

HWND Sec_Ctl(HWND hDlg, int id) {
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (pd == NULL)
    return GetDlgItem(hDlg, id);
  // The table holds every control the dialog has: an id that is not in it
  // has none (asking the system would cost a trip to the window server).
  for (int i = 0; i < pd->nCtl; i++)
    if (pd->ctl[i].id == id)
      return pd->ctl[i].h;
  return pd->nCtl < WS_CONTROLS ? NULL : GetDlgItem(hDlg, id);
}

LRESULT Sec_Send(HWND hDlg, int id, UINT wMsg, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(Sec_Ctl(hDlg, id), wMsg, wParam, lParam);
}

void Sec_GetText(HWND hDlg, int id, char *szOut, int cbOut) {
  szOut[0] = '\0';
  HWND h = Sec_Ctl(hDlg, id);
  if (h != NULL)
    GetWindowTextA(h, szOut, cbOut);
  szOut[cbOut - 1] = '\0';
}

void Sec_SetText(HWND hDlg, int id, const char *szText) {
  HWND h = Sec_Ctl(hDlg, id);
  if (h == NULL)
    return;
  // A field that holds the text already, and whose state the designer could
  // tell from a new write (caret, scrolled text, undo), is not written
  // again: its change handling runs all the same, reading the same text.
  char szNow[WS_SHOWN_CHARS];
  szNow[0] = '\0';
  GetWindowTextA(h, szNow, (int)sizeof(szNow));
  WINSEC_DLG_DATA *pd = Sec_Data(hDlg);
  if (strlen(szText) < sizeof(szNow) - 1 && strcmp(szNow, szText) == 0 &&
      (SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0 &&
      SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0) == 0 && !SendMessageA(h, EM_CANUNDO, 0, 0) &&
      h != (pd != NULL && pd->bRefreshing ? pd->hRefreshFocus : GetFocus())) {
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)h);
    return;
  }
  SetWindowTextA(h, szText);
}

void Sec_SetSel(HWND hDlg, int id, int iSel) {
  HWND h = Sec_Ctl(hDlg, id);
  if (h != NULL && (int)SendMessageA(h, CB_GETCURSEL, 0, 0) != iSel)
    SendMessageA(h, CB_SETCURSEL, (WPARAM)iSel, 0);
}

void Sec_SetLabel(HWND hDlg, int id, const char *szText) {
  char szNow[WS_SHOWN_CHARS];
  Sec_GetText(hDlg, id, szNow, (int)sizeof(szNow));
  if (strlen(szText) >= sizeof(szNow) - 1 || strcmp(szNow, szText) != 0)
    Sec_SetText(hDlg, id, szText);
}

void Sec_SetDouble(HWND hDlg, int id, double d) {
  char sz[KRED_DOUBLE_TEXT];
  Fields_DoubleText(sz, sizeof(sz), d);
  Sec_SetText(hDlg, id, sz);
}

void Sec_SetAngleText(HWND hDlg, int id, double dDegrees) {
  char sz[KRED_DOUBLE_TEXT];
  Fields_AngleText(sz, sizeof(sz), dDegrees);
  Sec_SetLabel(hDlg, id, sz);
}

double Sec_GetDouble(HWND hDlg, int id) {
  char sz[KRED_DOUBLE_TEXT];
  Sec_GetText(hDlg, id, sz, (int)sizeof(sz));
  return Fields_ParseDouble(sz);
}

uint32_t Sec_GetColonNumber(HWND hDlg, int id) {
  char sz[KRED_COLON_TEXT];
  Sec_GetText(hDlg, id, sz, (int)sizeof(sz));
  return Fields_ParseColonNumber(sz);
}

// By the control's own style: while the dialog is frozen no child counts
// as visible.
void Sec_Show(HWND hDlg, int id, bool bShow) {
  HWND h = Sec_Ctl(hDlg, id);
  if (h != NULL && ((GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0) != bShow)
    ShowWindow(h, bShow ? SW_SHOWNA : SW_HIDE);
}

void Sec_SetCheck(HWND hDlg, int id, int iCheck) {
  HWND h = Sec_Ctl(hDlg, id);
  if (h == NULL)
    return;
  // A radio button takes its tab stop from every BM_SETCHECK (only the
  // checked one of a group is one), so it is always told.
  LONG lType = GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK;
  bool bRadio = lType == BS_RADIOBUTTON || lType == BS_AUTORADIOBUTTON;
  if (bRadio || (int)SendMessageA(h, BM_GETCHECK, 0, 0) != iCheck)
    SendMessageA(h, BM_SETCHECK, (WPARAM)iCheck, 0);
}

// ---------------------------------------------------------------------------
// What was shown

static WS_SHOWN *Sec_Slot(WINSEC_DLG_DATA *pd, int id, int iKind) {
  WS_SHOWN *pFree = NULL;
  for (WS_SHOWN &s : pd->shown) {
    if (s.id == id && s.iKind == iKind)
      return &s;
    if (s.id == 0 && pFree == NULL)
      pFree = &s;
  }
  if (pFree != NULL) {
    pFree->id = id;
    pFree->iKind = iKind;
  }
  return pFree;
}

// The control's state now, in the form the slot keeps.
static void Sec_Read(HWND hDlg, int id, int iKind, int iEntry, WS_SHOWN *pOut) {
  pOut->iValue = 0;
  pOut->szText[0] = '\0';
  HWND hCtl = Sec_Ctl(hDlg, id);
  switch (iKind) {
  case WS_SHOWN_TEXT:
    Sec_GetText(hDlg, id, pOut->szText, (int)sizeof(pOut->szText));
    break;
  case WS_SHOWN_POS:
    pOut->iValue = GetScrollPos(hCtl, SB_CTL);
    break;
  case WS_SHOWN_SEL:
    pOut->iValue = (int)SendMessageA(hCtl, CB_GETCURSEL, 0, 0);
    break;
  case WS_SHOWN_ENTRY: {
    LRESULT n = SendMessageA(hCtl, CB_GETLBTEXTLEN, (WPARAM)iEntry, 0);
    if (n != CB_ERR && n < (LRESULT)sizeof(pOut->szText))
      SendMessageA(hCtl, CB_GETLBTEXT, (WPARAM)iEntry, (LPARAM)pOut->szText);
    pOut->iValue = (int)n;
    break;
  }
  default:
    break;
  }
}

static void Sec_Mark(WINSEC_DLG_DATA *pd, HWND hDlg, int id, int iKind, int iEntry) {
  WS_SHOWN *ps = Sec_Slot(pd, id + iEntry * 0x10000, iKind);
  if (ps != NULL)
    Sec_Read(hDlg, id, iKind, iEntry, ps);
}

static bool Sec_Take(WINSEC_DLG_DATA *pd, HWND hDlg, int id, int iKind, int iEntry) {
  WS_SHOWN now;
  Sec_Read(hDlg, id, iKind, iEntry, &now);
  WS_SHOWN *ps = Sec_Slot(pd, id + iEntry * 0x10000, iKind);
  if (ps == NULL)
    return true;
  bool bChanged = ps->iValue != now.iValue || strcmp(ps->szText, now.szText) != 0;
  ps->iValue = now.iValue;
  memcpy(ps->szText, now.szText, sizeof(ps->szText));
  return bChanged;
}

void Sec_MarkText(WINSEC_DLG_DATA *pd, HWND hDlg, int id) {
  Sec_Mark(pd, hDlg, id, WS_SHOWN_TEXT, 0);
}
void Sec_MarkPos(WINSEC_DLG_DATA *pd, HWND hDlg, int id) {
  Sec_Mark(pd, hDlg, id, WS_SHOWN_POS, 0);
}
void Sec_MarkSel(WINSEC_DLG_DATA *pd, HWND hDlg, int id) {
  Sec_Mark(pd, hDlg, id, WS_SHOWN_SEL, 0);
}
void Sec_MarkEntry(WINSEC_DLG_DATA *pd, HWND hDlg, int id, int iEntry) {
  Sec_Mark(pd, hDlg, id, WS_SHOWN_ENTRY, iEntry);
}
bool Sec_TakeText(WINSEC_DLG_DATA *pd, HWND hDlg, int id) {
  return Sec_Take(pd, hDlg, id, WS_SHOWN_TEXT, 0);
}
bool Sec_TakePos(WINSEC_DLG_DATA *pd, HWND hDlg, int id) {
  return Sec_Take(pd, hDlg, id, WS_SHOWN_POS, 0);
}
bool Sec_TakeSel(WINSEC_DLG_DATA *pd, HWND hDlg, int id) {
  return Sec_Take(pd, hDlg, id, WS_SHOWN_SEL, 0);
}
bool Sec_TakeEntry(WINSEC_DLG_DATA *pd, HWND hDlg, int id, int iEntry) {
  return Sec_Take(pd, hDlg, id, WS_SHOWN_ENTRY, iEntry);
}
