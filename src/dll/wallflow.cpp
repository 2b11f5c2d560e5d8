// The wall edit flow in the library: which walls the wall editor works on,
// and gathering, applying and reverting them through the host, with one
// message for whatever went wrong in a command.
#include "kreditor.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// A wall-flow message is on screen: its box runs a message loop in which
// timers, repaints and posted commands go on, and they must not stack more
// boxes on top of it.
static bool bWfReporting = false;

static void wf_Say(const char *szText) {
  if (bWfReporting)
    return;
  bWfReporting = true;
  ErrMsg("%s", szText);
  bWfReporting = false;
}

// Selects the running level's change tables; true when it is the level the
// walls were gathered in (or either is unknown: the tables could not be
// made, and the recording then fails and is reported).
static bool wf_SameLevel(const WALL_TARGETS *wt) {
  SelectHostLevel();
  int iLevel = ChangeTables_CurrentLevel();
  return wt->iLevel < 0 || iLevel < 0 || iLevel == wt->iLevel;
}

void CreateWallData(WINWALL_RESULTS *wd, WALL_TARGETS *wt) {
  memset(wt, 0, sizeof(*wt));
  // The first reads are kept in this level's revert table.
  SelectHostLevel();
  wt->iLevel = ChangeTables_CurrentLevel();
  wt->cWalls = Selection_GatherTags(&wt->dwSectorTag, wt->dwWallTags, KRED_MAX_SELECTIONS);
  bool bRead[KRED_MAX_SELECTIONS];
  bool bKept = CreateWallData(gCallBack, wd, wt->dwSectorTag, wt->dwWallTags, wt->cWalls, bRead);
  // Only the walls that were read are shown, so only they are worked on.
  int n = 0;
  for (int i = 0; i < wt->cWalls; i++)
    if (bRead[i])
      wt->dwWallTags[n++] = wt->dwWallTags[i];
  wt->cWalls = n;
  if (!bKept)
    wf_Say("Not enough memory to keep the first state of the walls in the wall editor: "
           "REVERT may not bring them back.");
}

void PostWallResults(const WINWALL_RESULTS *wr, const WALL_TARGETS *wt, WALL_OUTCOME *wo) {
  memset(wo, 0, sizeof(*wo));
  if (wr == NULL || wt == NULL)
    return;
  wo->cWalls = wt->cWalls;
  if (wt->cWalls > 0 && !wf_SameLevel(wt)) {
    wo->bLevelChanged = true;
    return;
  }
  wo->bRecordLost =
      !PostWallResults(gCallBack, wr, wt->dwSectorTag, wt->dwWallTags, wt->cWalls, &wo->cMissing);
}

void RevertWallDialog(const WALL_TARGETS *wt, WALL_OUTCOME *wo) {
  memset(wo, 0, sizeof(*wo));
  if (wt == NULL)
    return;
  wo->cWalls = wt->cWalls;
  if (wt->cWalls > 0 && !wf_SameLevel(wt)) {
    wo->bLevelChanged = true;
    return;
  }
  wo->bRecordLost =
      !RevertWallDialog(gCallBack, wt->dwSectorTag, wt->dwWallTags, wt->cWalls, &wo->cMissing);
}

void WallFlow_Report(const WALL_OUTCOME *wo, int *pcMissingTold) {
  if (wo->bLevelChanged) {
    wf_Say("The game has changed levels since the wall editor read its walls; nothing was sent. "
           "The editor now reads the walls of this level.");
    return;
  }
  char szText[300];
  size_t n = 0;
  szText[0] = '\0';
  bool bTellMissing = wo->cMissing > 0 && (pcMissingTold == NULL || wo->cMissing > *pcMissingTold);
  if (bTellMissing) {
    if (pcMissingTold != NULL)
      *pcMissingTold = wo->cMissing;
    if (wo->cWalls == 1)
      n = (size_t)snprintf(szText, sizeof(szText),
                           "The game no longer answers for the wall in the wall editor; nothing "
                           "was sent to it.");
    else
      n = (size_t)snprintf(szText, sizeof(szText),
                           "The game no longer answers for %d of the %d walls in the wall "
                           "editor; nothing was sent to them.",
                           wo->cMissing, wo->cWalls);
    if (n >= sizeof(szText))
      n = sizeof(szText) - 1;
  }
  if (wo->bRecordLost)
    snprintf(szText + n, sizeof(szText) - n,
             "%sNot enough memory to record the change for the "
             "fixup file: the game has it, the fixup file will "
             "not.",
             n > 0 ? " " : "");
  if (szText[0] != '\0')
    wf_Say(szText);
}

void UpdateWallDialog(void) {
  HWND hWall = hDialogSet[2];
  if (hWall == NULL || !IsWindow(hWall))
    return;
  WINWALL_RESULTS *wr = (WINWALL_RESULTS *)calloc(1, sizeof(WINWALL_RESULTS));
  if (wr == NULL) {
    wf_Say("Not enough memory to show the walls in the wall editor.");
    return;
  }
  WALL_TARGETS wt;
  CreateWallData(wr, &wt);
  // A message of the gathering runs a message loop, in which the editor may
  // have closed.
  if (hDialogSet[2] != hWall || !IsWindow(hWall)) {
    free(wr);
    return;
  }
  SendMessageA(hWall, WM_KRED_NEWRESULTS, (WPARAM)&wt, (LPARAM)wr);
}
