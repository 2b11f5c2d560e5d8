// The sector editor's "Floor / Ceiling Levels": the floor list, the new
// elevation of the chosen floor, the thickness and the ceiling height. A new
// floor elevation keeps whichever of ceiling height and thickness the
// designer typed last and recomputes the other.
#include "winsec.h"

#include <stdio.h>
#include <string.h>

#define SL_TEXT 40 // the fields are read up to 39 characters
#define SL_BAR_MIN (-800)
#define SL_BAR_MAX 800

// The text of entry i of the floor list ("" when there is none).
static void sl_Entry(HWND hDlg, int i, char *szOut, size_t cbOut) {
  szOut[0] = '\0';
  HWND hList = Sec_Ctl(hDlg, IDC_SEC_FLOORS);
  LRESULT n = SendMessageA(hList, CB_GETLBTEXTLEN, (WPARAM)i, 0);
  if (n != CB_ERR && (size_t)n < cbOut)
    SendMessageA(hList, CB_GETLBTEXT, (WPARAM)i, (LPARAM)szOut);
}

// Floor 0's elevation as the list shows it (the nothing value for "?").
static double sl_Floor0(HWND hDlg) {
  char szEntry[SL_TEXT];
  sl_Entry(hDlg, 0, szEntry, sizeof(szEntry));
  return Fields_ParseDouble(SecLevel_ValueText(szEntry));
}

static double sl_Read(HWND hDlg, int id) {
  char sz[SL_TEXT];
  Sec_GetText(hDlg, id, sz, (int)sizeof(sz));
  return Fields_ParseDouble(sz);
}

// Writes one of the linked fields while their change handling stands still.
static void sl_WriteLinked(HWND hDlg, WINSEC_DLG_DATA *pd, int id, double d, int iAfter) {
  pd->iAbsDelta = -1;
  Sec_SetText(hDlg, id, DoubleOrNothing(d));
  pd->iAbsDelta = iAfter;
}

static void sl_SetEntry(HWND hDlg, int iFloor, double dElev) {
  char szEntry[SL_TEXT];
  SecLevel_EntryText((unsigned)iFloor, dElev, szEntry, sizeof(szEntry));
  HWND hList = Sec_Ctl(hDlg, IDC_SEC_FLOORS);
  SendMessageA(hList, CB_DELETESTRING, (WPARAM)iFloor, 0);
  SendMessageA(hList, CB_INSERTSTRING, (WPARAM)iFloor, (LPARAM)szEntry);
  SendMessageA(hList, CB_SETCURSEL, (WPARAM)iFloor, 0);
}

// The list holds exactly these floors' entries already.
static bool sl_Listed(HWND hDlg, const WINSEC_RESULTS *wr, int nFloors) {
  if ((int)Sec_Send(hDlg, IDC_SEC_FLOORS, CB_GETCOUNT, 0, 0) != nFloors)
    return false;
  for (int f = 0; f < nFloors; f++) {
    char szEntry[SL_TEXT], szNow[SL_TEXT];
    SecLevel_EntryText((unsigned)f, wr->fFloorElev[f], szEntry, sizeof(szEntry));
    sl_Entry(hDlg, f, szNow, sizeof(szNow));
    if (strcmp(szEntry, szNow) != 0)
      return false;
  }
  return true;
}

void SecLevels_Fill(HWND hDlg, WINSEC_DLG_DATA *pd) {
  const WINSEC_RESULTS *wr = pd->wsResults;
  HWND hList = Sec_Ctl(hDlg, IDC_SEC_FLOORS);
  int nFloors =
      (int)wCurrentNumberOfFloors < WS_MAX_FLOORS ? (int)wCurrentNumberOfFloors : WS_MAX_FLOORS;
  if (!sl_Listed(hDlg, wr, nFloors)) {
    SendMessageA(hList, CB_RESETCONTENT, 0, 0);
    for (int f = 0; f < nFloors; f++) {
      char szEntry[SL_TEXT];
      SecLevel_EntryText((unsigned)f, wr->fFloorElev[f], szEntry, sizeof(szEntry));
      SendMessageA(hList, CB_ADDSTRING, 0, (LPARAM)szEntry);
    }
  }
  Sec_SetSel(hDlg, IDC_SEC_FLOORS, 0);
  // Both through their change handling, as if typed: the refresh ends
  // holding the ceiling height.
  Sec_SetDouble(hDlg, IDC_SEC_THICKNESS, wr->fCeilThick);
  double dCeiling = SecLevel_Ceiling(wr->fFloorElev[0], wr->fCeilThick);
  Sec_SetDouble(hDlg, IDC_SEC_CEILING, dCeiling);
  Sec_SetBar(hDlg, IDC_SEC_CEILING_BAR, SL_BAR_MIN, SL_BAR_MAX,
             Sec_TruncPos(dCeiling, 8.0, SL_BAR_MIN, SL_BAR_MAX, 0));
}

void SecLevels_FloorChosen(HWND hDlg, WINSEC_DLG_DATA *pd) {
  int iSel = (int)Sec_Send(hDlg, IDC_SEC_FLOORS, CB_GETCURSEL, 0, 0);
  if (iSel < 0)
    return;
  char szEntry[SL_TEXT];
  sl_Entry(hDlg, iSel, szEntry, sizeof(szEntry));
  const char *szValue = SecLevel_ValueText(szEntry);
  if (*szValue != '\0')
    Sec_SetText(hDlg, IDC_SEC_NEWELEV, szValue);
  SendMessageA(hDlg, WM_SEC_FLOORCHOSEN, (WPARAM)iSel, 0);
  if (iSel >= 0 && iSel < WS_MAX_FLOORS)
    Sec_SetBar(hDlg, IDC_SEC_NEWELEV_BAR, SL_BAR_MIN, SL_BAR_MAX,
               Sec_TruncPos(pd->wsResults->fFloorElev[iSel], 8.0, SL_BAR_MIN, SL_BAR_MAX, 0));
}

void SecLevels_MarkShown(HWND hDlg, WINSEC_DLG_DATA *pd) {
  for (int f = 0; f < (int)wCurrentNumberOfFloors && f < WS_MAX_FLOORS; f++)
    Sec_MarkEntry(pd, hDlg, IDC_SEC_FLOORS, f);
  Sec_MarkText(pd, hDlg, IDC_SEC_THICKNESS);
  Sec_MarkText(pd, hDlg, IDC_SEC_CEILING);
}

static void sl_NewElevation(HWND hDlg, WINSEC_DLG_DATA *pd) {
  int iSel = (int)Sec_Send(hDlg, IDC_SEC_FLOORS, CB_GETCURSEL, 0, 0);
  if (iSel < 0)
    return;
  char szTyped[SL_TEXT], szEntry[SL_TEXT];
  Sec_GetText(hDlg, IDC_SEC_NEWELEV, szTyped, (int)sizeof(szTyped));
  sl_Entry(hDlg, iSel, szEntry, sizeof(szEntry));
  double dElev = Fields_ParseDouble(szTyped);
  // The entry's own value text (put there when the floor was chosen) leaves
  // the entry as it is: a value that is no number keeps showing as such.
  if (strcmp(szTyped, SecLevel_ValueText(szEntry)) != 0)
    sl_SetEntry(hDlg, iSel, dElev);
  if (iSel != 0 || pd->iAbsDelta < 0)
    return;
  double dOut = 0;
  switch (SecLevel_LinkFloor(pd->iAbsDelta, dElev, sl_Read(hDlg, IDC_SEC_CEILING),
                             sl_Read(hDlg, IDC_SEC_THICKNESS), &dOut)) {
  case SEC_LINK_THICKNESS:
    sl_WriteLinked(hDlg, pd, IDC_SEC_THICKNESS, dOut, 0);
    break;
  case SEC_LINK_CEILING:
    sl_WriteLinked(hDlg, pd, IDC_SEC_CEILING, dOut, 1);
    break;
  default:
    break;
  }
}

// The ceiling height or the thickness was typed: the other follows from
// floor 0, and the typed one is held from now on.
static void sl_LinkedTyped(HWND hDlg, WINSEC_DLG_DATA *pd, int id) {
  if (pd->iAbsDelta == -1)
    return;
  double dTyped = sl_Read(hDlg, id);
  double dFloor = sl_Floor0(hDlg);
  if (dTyped == KRED_NOTHING || dFloor == KRED_NOTHING)
    return;
  if (id == IDC_SEC_CEILING)
    sl_WriteLinked(hDlg, pd, IDC_SEC_THICKNESS, SecLevel_Thickness(dTyped, dFloor), 0);
  else
    sl_WriteLinked(hDlg, pd, IDC_SEC_CEILING, SecLevel_Ceiling(dFloor, dTyped), 1);
}

void SecLevels_Command(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iNotify) {
  if (iNotify != EN_CHANGE)
    return;
  if (id == IDC_SEC_NEWELEV)
    sl_NewElevation(hDlg, pd);
  else
    sl_LinkedTyped(hDlg, pd, id);
}

bool SecLevels_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply) {
  (void)pd;
  int idEdit;
  if (id == IDC_SEC_NEWELEV_BAR)
    idEdit = IDC_SEC_NEWELEV;
  else if (id == IDC_SEC_CEILING_BAR)
    idEdit = IDC_SEC_CEILING;
  else
    return false;
  int iPos = StepScrollBar(Sec_Ctl(hDlg, id), iCode, iThumb, WS_PAGE_STEP);
  char sz[SL_TEXT];
  snprintf(sz, sizeof(sz), "%g", (double)iPos / 8.0);
  Sec_SetText(hDlg, idEdit, sz); // runs the field's own change handling
  if (bApply)
    Sec_SendApply(hDlg);
  return true;
}

void SecLevels_Apply(HWND hDlg, WINSEC_DLG_DATA *pd) {
  WINSEC_RESULTS *wr = pd->wsResults;
  for (int f = 0; f < (int)wCurrentNumberOfFloors && f < WS_MAX_FLOORS; f++) {
    if (!Sec_TakeEntry(pd, hDlg, IDC_SEC_FLOORS, f))
      continue;
    char szEntry[SL_TEXT];
    sl_Entry(hDlg, f, szEntry, sizeof(szEntry));
    const char *szValue = SecLevel_ValueText(szEntry);
    if (*szValue != '\0' && *szValue != '?')
      wr->fFloorElev[f] = Fields_ParseDouble(szValue);
  }
  if (Sec_TakeText(pd, hDlg, IDC_SEC_THICKNESS))
    wr->fCeilThick = Sec_GetDouble(hDlg, IDC_SEC_THICKNESS);
  if (Sec_TakeText(pd, hDlg, IDC_SEC_CEILING))
    wr->fCeilHeight = Sec_GetDouble(hDlg, IDC_SEC_CEILING);
}
