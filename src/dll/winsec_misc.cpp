// The sector editor's "Misc." values: light, friction, gravity and
// elasticity on their scroll bars, the step sound and the sector name.
#include "winsec.h"

#include <stdlib.h>
#include <string.h>

// The bars by SEC_BAR_* order, with their labels.
static const int idMiscBars[SEC_BAR_COUNT] = {IDC_SEC_LIGHT, IDC_SEC_FRICTION, IDC_SEC_GRAVITY,
                                              IDC_SEC_ELASTICITY};
static const int idMiscLabels[SEC_BAR_COUNT] = {IDC_SEC_LIGHT_LABEL, IDC_SEC_FRICTION_LABEL,
                                                IDC_SEC_GRAVITY_LABEL, IDC_SEC_ELASTICITY_LABEL};

// The record holds at most this many name characters.
#define SM_NAME_CHARS 79

static double sm_Field(const WINSEC_RESULTS *wr, int iBar) {
  switch (iBar) {
  case SEC_BAR_LIGHT:
    return (double)wr->iSecLight;
  case SEC_BAR_FRICTION:
    return (double)wr->fFriction;
  case SEC_BAR_GRAVITY:
    return (double)wr->fGravity;
  default:
    return (double)wr->fElasticity;
  }
}

static void sm_SetField(WINSEC_RESULTS *wr, int iBar, double d) {
  switch (iBar) {
  case SEC_BAR_LIGHT:
    // "Light: ?" leaves the light as it is: the game's light level is 16
    // bits and has no room for the integer no-value, which would reach it
    // as 0, a black sector.
    if ((int32_t)d != SEC_LIGHT_NOTHING)
      wr->iSecLight = (int32_t)d;
    break;
  case SEC_BAR_FRICTION:
    wr->fFriction = (float)d;
    break;
  case SEC_BAR_GRAVITY:
    wr->fGravity = (float)d;
    break;
  default:
    wr->fElasticity = (float)d;
    break;
  }
}

static int sm_Bar(int id) {
  for (int i = 0; i < SEC_BAR_COUNT; i++)
    if (idMiscBars[i] == id)
      return i;
  return -1;
}

void SecMisc_Init(HWND hDlg, WINSEC_DLG_DATA *pd) {
  (void)pd;
  for (int i = 0; i < SEC_BAR_COUNT; i++) {
    int iMin, iMax;
    SecBar_Range(i, &iMin, &iMax);
    Sec_SetBar(hDlg, idMiscBars[i], iMin, iMax, 0);
  }
  Sec_Send(hDlg, IDC_SEC_NAME, EM_LIMITTEXT, SM_NAME_CHARS, 0);
  Sec_Send(hDlg, IDC_SEC_SOUND, EM_LIMITTEXT, sizeof(((WINSEC_RESULTS *)0)->szStepSoundName) - 1,
           0);
}

void SecMisc_Show(HWND hDlg, WINSEC_DLG_DATA *pd) {
  const WINSEC_RESULTS *wr = pd->wsResults;
  for (int i = 0; i < SEC_BAR_COUNT; i++) {
    double d = sm_Field(wr, i);
    int iMin, iMax;
    SecBar_Range(i, &iMin, &iMax);
    Sec_SetBar(hDlg, idMiscBars[i], iMin, iMax, SecBar_PosFromField(i, d));
    Sec_MarkPos(pd, hDlg, idMiscBars[i]);
    char szLabel[SEC_LABEL_TEXT];
    SecBar_LabelFromField(i, d, szLabel, sizeof(szLabel));
    Sec_SetLabel(hDlg, idMiscLabels[i], szLabel);
  }
  char szSound[sizeof(wr->szStepSoundName)];
  memcpy(szSound, wr->szStepSoundName, sizeof(szSound));
  szSound[sizeof(szSound) - 1] = '\0';
  Sec_SetText(hDlg, IDC_SEC_SOUND, szSound);
  Sec_MarkText(pd, hDlg, IDC_SEC_SOUND);
}

bool SecMisc_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply) {
  (void)pd;
  int iBar = sm_Bar(id);
  if (iBar < 0)
    return false;
  int iPos = StepScrollBar(Sec_Ctl(hDlg, id), iCode, iThumb, WS_PAGE_STEP);
  char szLabel[SEC_LABEL_TEXT];
  SecBar_LabelFromPos(iBar, iPos, szLabel, sizeof(szLabel));
  Sec_SetLabel(hDlg, idMiscLabels[iBar], szLabel);
  if (bApply)
    Sec_PostApply(hDlg);
  return true;
}

void SecMisc_Apply(HWND hDlg, WINSEC_DLG_DATA *pd) {
  for (int i = 0; i < SEC_BAR_COUNT; i++)
    if (Sec_TakePos(pd, hDlg, idMiscBars[i]))
      sm_SetField(pd->wsResults, i, SecBar_FieldFromPos(i, Sec_BarPos(hDlg, idMiscBars[i])));
}

// Turns the blanks of a name into "_"; true when there were any.
static bool sm_Underscore(char *szName) {
  bool bReplaced = false;
  for (char *p = szName; *p != '\0'; p++)
    if (*p == ' ') {
      *p = '_';
      bReplaced = true;
    }
  return bReplaced;
}

void SecMisc_ShowName(HWND hDlg, const char *szName) {
  // What the field ends with when the name goes through its change
  // handling: the name, or its first characters with blanks turned into
  // "_". Written so at once, the handling finds nothing more to replace.
  char szShown[SM_NAME_CHARS + 1];
  size_t n = strlen(szName);
  if (n > SM_NAME_CHARS)
    n = SM_NAME_CHARS;
  memcpy(szShown, szName, n);
  szShown[n] = '\0';
  Sec_SetText(hDlg, IDC_SEC_NAME, sm_Underscore(szShown) ? szShown : szName);
}

void SecMisc_NameChanged(HWND hDlg) {
  char szName[SM_NAME_CHARS + 1];
  Sec_GetText(hDlg, IDC_SEC_NAME, szName, (int)sizeof(szName));
  if (!sm_Underscore(szName))
    return;
  DWORD dwStart = 0, dwEnd = 0;
  Sec_Send(hDlg, IDC_SEC_NAME, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
  Sec_SetText(hDlg, IDC_SEC_NAME, szName); // comes back here with nothing to replace
  Sec_Send(hDlg, IDC_SEC_NAME, EM_SETSEL, dwStart, dwEnd);
}

void SecMisc_ApplyName(HWND hDlg, WINSEC_DLG_DATA *pd) {
  WINSEC_RESULTS *wr = pd->wsResults;
  // A record without a name text has its field disabled, holding whatever
  // the previous record left there: it keeps having no name.
  if (wr->szSecName == NULL)
    return;
  char szName[SM_NAME_CHARS + 1];
  Sec_GetText(hDlg, IDC_SEC_NAME, szName, (int)sizeof(szName));
  char *szNew = (char *)malloc(strlen(szName) + 1);
  if (szNew == NULL)
    return; // the old name stays rather than none
  memcpy(szNew, szName, strlen(szName) + 1);
  free(wr->szSecName);
  wr->szSecName = szNew;
}
