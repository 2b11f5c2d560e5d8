// The sector editor's modules: the frame (winsec.cpp), its controls
// (winsec_ctl.cpp), the "Misc." page (winsec_misc.cpp) with the levels
// (winsec_levels.cpp), the "Textures" page (winsec_tex.cpp), the "Flags"
// and "Slope" pages (winsec_flags.cpp). What they share.
#pragma once

#include "kreditor.h"
#include "sector_fields.h"

// Private messages of the sector editor (2269 is WM_KRED_NEWRESULTS).
#define WM_SEC_FLOORCHOSEN 2258 // wParam: the floor chosen in the floor list

// What the dialog put into a control when it showed the record there: the
// text as the control gives it back, or the scroll position or selection.
// APPLY takes a record value back only from a control that no longer holds
// what was shown, so a value shown rounded, wrapped, clamped or as "?"
// stays exactly as it was until the designer changes its control.
enum { WS_SHOWN_TEXT = 1, WS_SHOWN_POS, WS_SHOWN_SEL, WS_SHOWN_ENTRY };
#define WS_SHOWN_SLOTS 40
#define WS_SHOWN_CHARS 96
struct WS_SHOWN {
  int id; // 0: a free slot
  int iKind;
  int iValue;
  char szText[WS_SHOWN_CHARS];
};

// The alignment bars, by column (0 ceiling, 1 floor) and axis (0 X, 1 Y).
#define WS_COLUMNS 2

// The dialog's controls by id, taken once when it is created.
#define WS_CONTROLS 192
struct WS_CONTROL {
  int id;
  HWND h;
};

// Boxes 4000 to 4029 take their labels from the flag-name list (30 and 31
// are the "Active" boxes, never renamed).
#define WS_NAMED_BOXES 30
#define WS_BOX_LABEL 40

struct WINSEC_DLG_DATA {
  WINSEC_RESULTS *wsResults; // null while the editor is closed
  int iFloorChose;
  int iAbsDelta;
  int iTexOver;
  int iSetChosen;
  char *szFlagNames[KRED_FLAG_NAMES];
  char *pFlagNameBlock;
  // The window lives for the whole editor run and is hidden while the
  // editor is closed; each opening starts it afresh. It keeps the
  // template's box labels, and the generation of the texture table its
  // lists were filled from, or that they were filled before the run's own
  // table was there.
  char szBoxLabels[WS_NAMED_BOXES][WS_BOX_LABEL];
  uint32_t dwTexGeneration;
  bool bTexListsFilled;
  // During a refresh: the focus, which the refresh does not move (asking the
  // system is a trip to the window server for each field).
  bool bRefreshing;
  HWND hRefreshFocus;
  // An alignment bar nudges its value (overlay layer, or a texture without
  // a size) instead of spanning the texture.
  bool bNudge[WS_COLUMNS][2];
  WS_SHOWN shown[WS_SHOWN_SLOTS];
  WS_CONTROL ctl[WS_CONTROLS];
  int nCtl;
};

extern int iFCSelected;
extern uint32_t dwGrabbedSector;
extern uint32_t dwGrabbedWall;
extern uint16_t wCurrentNumberOfFloors;
extern const char szUnknownDesc[];
extern const char szUnknownName[];

// The page step of every scroll bar.
#define WS_PAGE_STEP 8

// ---- the frame (winsec.cpp)
// Opens the editor on the record (the editor owns it from now on, also when
// it cannot open): the run's hidden window when there is one, else a new
// one. Returns the window, shown, or null.
HWND SectorDlg(WINSEC_RESULTS *wsResults, HWND hParent);
WINSEC_DLG_DATA *Sec_Data(HWND hDlg);
void Sec_PostApply(HWND hDlg);
void Sec_SendApply(HWND hDlg);
// REVERT: sends the sector's first-read state again and refreshes the open
// sector editor with it; beeps and says "No changes to revert from!" when
// there is none.
void RevertSectorDialog(uint32_t dwSecTag);

// ---- controls (winsec_ctl.cpp)
// Takes the handles of the dialog's controls, once, at its creation.
void Sec_TakeControls(HWND hDlg, WINSEC_DLG_DATA *pd);
void Sec_SetBar(HWND hDlg, int id, int iMin, int iMax, int iPos);
int Sec_BarPos(HWND hDlg, int id);
// Remember what a control holds now as shown from the record.
void Sec_MarkText(WINSEC_DLG_DATA *pd, HWND hDlg, int id);
void Sec_MarkPos(WINSEC_DLG_DATA *pd, HWND hDlg, int id);
void Sec_MarkSel(WINSEC_DLG_DATA *pd, HWND hDlg, int id);
void Sec_MarkEntry(WINSEC_DLG_DATA *pd, HWND hDlg, int id, int iEntry);
// Does the control hold something else than was shown? A changed control
// is marked again as it is, so the next APPLY compares with what this one
// took.
bool Sec_TakeText(WINSEC_DLG_DATA *pd, HWND hDlg, int id);
bool Sec_TakePos(WINSEC_DLG_DATA *pd, HWND hDlg, int id);
bool Sec_TakeSel(WINSEC_DLG_DATA *pd, HWND hDlg, int id);
bool Sec_TakeEntry(WINSEC_DLG_DATA *pd, HWND hDlg, int id, int iEntry);
// The dialog's controls by id. Under Wine every look-up of a control through
// the system, and every change of a window's text or visibility, is a trip
// to the window server; a refresh touches some hundred controls, so the
// dialog keeps their handles and changes only what differs.
HWND Sec_Ctl(HWND hDlg, int id);
LRESULT Sec_Send(HWND hDlg, int id, UINT wMsg, WPARAM wParam, LPARAM lParam);
// A label is rewritten only when its text changes; a field's change
// handling runs on every write, also when the text stays (Sec_SetText).
void Sec_SetLabel(HWND hDlg, int id, const char *szText);
void Sec_SetText(HWND hDlg, int id, const char *szText);
// A combo box's selection, set only when it changes.
void Sec_SetSel(HWND hDlg, int id, int iSel);
// The field routines on the kept controls: "?" for the nothing value.
void Sec_SetDouble(HWND hDlg, int id, double d);
void Sec_SetAngleText(HWND hDlg, int id, double dDegrees);
double Sec_GetDouble(HWND hDlg, int id);
uint32_t Sec_GetColonNumber(HWND hDlg, int id);
void Sec_Show(HWND hDlg, int id, bool bShow);
// A button's check state, set only when it changes.
void Sec_SetCheck(HWND hDlg, int id, int iCheck);
// A control's text, cut to cbOut - 1 characters.
void Sec_GetText(HWND hDlg, int id, char *szOut, int cbOut);

// ---- "Misc." (winsec_misc.cpp, the levels in winsec_levels.cpp)
void SecMisc_Init(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecMisc_Show(HWND hDlg, WINSEC_DLG_DATA *pd);
bool SecMisc_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply);
void SecMisc_Apply(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecMisc_NameChanged(HWND hDlg);
// Shows a record's name in "Sector Name", blanks turned into "_".
void SecMisc_ShowName(HWND hDlg, const char *szName);
void SecMisc_ApplyName(HWND hDlg, WINSEC_DLG_DATA *pd);
// The levels group.
void SecLevels_Fill(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecLevels_FloorChosen(HWND hDlg, WINSEC_DLG_DATA *pd);
// After a refresh: what the levels show now stands for the record's values.
void SecLevels_MarkShown(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecLevels_Command(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iNotify);
bool SecLevels_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply);
void SecLevels_Apply(HWND hDlg, WINSEC_DLG_DATA *pd);

// ---- "Textures" (winsec_tex.cpp)
// Fills the two texture lists from the texture table (anew when they hold
// entries already).
void SecTex_FillLists(HWND hDlg, WINSEC_DLG_DATA *pd);
// The layer button and row label for the layer shown.
void SecTex_ShowLayer(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecTex_ShowCeiling(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecTex_FloorChosen(HWND hDlg, WINSEC_DLG_DATA *pd, int iFloor);
void SecTex_SwitchLayer(HWND hDlg, WINSEC_DLG_DATA *pd, int iLayer);
bool SecTex_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply);
void SecTex_ApplyAngle(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecTex_ApplyAlignments(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecTex_ApplyIndices(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecTex_ResetRanges(HWND hDlg, WINSEC_DLG_DATA *pd);
void HidePCXOptions(HWND hDlg);

// ---- "Flags" and "Slope" (winsec_flags.cpp)
// At creation: keeps the template's box labels. At each opening: the list's
// names on the boxes, the template's where the list names none.
void SecFlags_Init(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecFlags_Label(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecFlags_Show(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecFlags_Apply(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecSlope_ShowLabels(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecSlope_ShowAngles(HWND hDlg, WINSEC_DLG_DATA *pd);
bool SecSlope_Scroll(HWND hDlg, WINSEC_DLG_DATA *pd, int id, int iCode, int iThumb, bool bApply);
void SecSlope_Apply(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecSlope_Paste(HWND hDlg, int id);
void SecVelocity_Show(HWND hDlg, WINSEC_DLG_DATA *pd);
void SecVelocity_Apply(HWND hDlg, WINSEC_DLG_DATA *pd);
