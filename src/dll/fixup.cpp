// The change tables of the running level, and the main dialog's fixup
// commands: saving the fixup files and recording the whole level. All run on
// the editor thread.
//
// Each level that the game names keeps its own records. A save writes the
// running level's file, and also the file of every other level that holds
// records, so that one save keeps all the designer's work even when the game
// ends before he is back in that level.
//
// A save never costs the previous file: the text goes to "<file>.tmp" beside
// it, and only a complete, flushed and closed copy replaces the old file.
#include "kreditor.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <new>
#include <string>

static const char szFxTmpSuffix[] = ".tmp";

// The system's text for an error code, without its line end, cut to fit.
static void fx_ErrorText(DWORD dwErr, char *szOut, size_t cbOut) {
  char szSys[160];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwErr,
                           0, szSys, (DWORD)sizeof(szSys), NULL);
  while (n > 0 && (szSys[n - 1] == '\r' || szSys[n - 1] == '\n' || szSys[n - 1] == ' ' ||
                   szSys[n - 1] == '.'))
    n--;
  szSys[n < sizeof(szSys) ? n : sizeof(szSys) - 1] = '\0';
  if (n == 0)
    snprintf(szOut, cbOut, "system error %lu", (unsigned long)dwErr);
  else
    snprintf(szOut, cbOut, "%s (error %lu)", szSys, (unsigned long)dwErr);
}

// What one save could not write, reported once at its end.
struct FX_FAILURES {
  int nFailed;
  char szText[600]; // one sentence per failed file, cut to fit
};

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
static void
fx_Failed(FX_FAILURES *pf, const char *szFormat, ...) {
  size_t cbUsed = strlen(pf->szText);
  if (cbUsed > 0 && cbUsed + 1 < sizeof(pf->szText)) {
    pf->szText[cbUsed++] = ' ';
    pf->szText[cbUsed] = '\0';
  }
  if (cbUsed + 1 < sizeof(pf->szText)) {
    va_list va;
    va_start(va, szFormat);
    vsnprintf(pf->szText + cbUsed, sizeof(pf->szText) - cbUsed, szFormat, va);
    va_end(va);
  }
  pf->nFailed++;
}

static void fx_SaveFailed(FX_FAILURES *pf, const char *szFile, const char *szWhat, DWORD dwErr) {
  char szReason[200];
  fx_ErrorText(dwErr, szReason, sizeof(szReason));
  fx_Failed(pf, "Cannot save the fixup file %s: %s: %s. The previous file, if any, is unchanged.",
            szFile, szWhat, szReason);
}

// Writes the bytes to szTmp and moves the result over szFile. On failure
// removes szTmp, reports, and leaves szFile as it was.
static bool fx_WriteReplace(FX_FAILURES *pf, const char *szFile, const char *szTmp,
                            const std::string &sText) {
  HANDLE hFile =
      CreateFileA(szTmp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (hFile == INVALID_HANDLE_VALUE) {
    fx_SaveFailed(pf, szFile, "cannot create the temporary file", GetLastError());
    return false;
  }
  const char *pNext = sText.data();
  size_t cbLeft = sText.size();
  const char *szWhat = NULL;
  DWORD dwErr = 0;
  while (cbLeft > 0) {
    DWORD cbChunk = cbLeft > (1u << 20) ? (1u << 20) : (DWORD)cbLeft;
    DWORD cbDone = 0;
    if (!WriteFile(hFile, pNext, cbChunk, &cbDone, NULL) || cbDone != cbChunk) {
      dwErr = GetLastError();
      szWhat = "writing failed";
      break;
    }
    pNext += cbDone;
    cbLeft -= cbDone;
  }
  if (szWhat == NULL && !FlushFileBuffers(hFile)) {
    dwErr = GetLastError();
    szWhat = "writing failed";
  }
  if (!CloseHandle(hFile) && szWhat == NULL) {
    dwErr = GetLastError();
    szWhat = "closing failed";
  }
  if (szWhat == NULL &&
      !MoveFileExA(szTmp, szFile, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    dwErr = GetLastError();
    szWhat = "cannot replace the file";
  }
  if (szWhat != NULL) {
    DeleteFileA(szTmp);
    fx_SaveFailed(pf, szFile, szWhat, dwErr);
    return false;
  }
  return true;
}

// Writes the fixup file of one level from its fixup table.
static void fx_SaveLevel(FX_FAILURES *pf, int iLevel, bool bCurrent) {
  const char *szLevel = ChangeTables_LevelName(iLevel);
  char szFile[120];
  int iName = Fixup_MakeFileName(szFile, sizeof(szFile), szLevel);
  if (iName == FIXUP_NAME_MISSING) {
    if (bCurrent)
      fx_Failed(pf, "Cannot save the fixup file: the game gave no level name.");
    else
      fx_Failed(pf, "Cannot save the changes made while the game gave no level name.");
    return;
  }
  if (iName != FIXUP_NAME_OK) {
    fx_Failed(pf,
              "Cannot save the fixup file of level \"%.100s...\": the level name is longer "
              "than 115 characters.",
              szLevel);
    return;
  }
  char szTmp[sizeof(szFile) + sizeof(szFxTmpSuffix)];
  snprintf(szTmp, sizeof(szTmp), "%s%s", szFile, szFxTmpSuffix);

  // The text of a whole level may not fit into memory; only the string's
  // allocations can throw here.
  try {
    std::string sText;
    Fixup_FormatList(sText, ChangeTables_LevelFixups(iLevel));
    fx_WriteReplace(pf, szFile, szTmp, sText);
  } catch (const std::bad_alloc &) {
    fx_Failed(pf,
              "Cannot save the fixup file %s: not enough memory. The previous file, if any, is "
              "unchanged.",
              szFile);
  }
}

bool SelectHostLevel(void) {
  const char *szLevel = NULL;
  if (gCallBack != NULL)
    szLevel = (const char *)(uintptr_t)gCallBack(KREQ_LEVEL_NAME, 0);
  return ChangeTables_SelectLevel(szLevel);
}

void SaveFixupFile(void) {
  if (gCallBack == NULL) {
    ErrMsg("Cannot save the fixup file: the editor is not connected to the game.");
    return;
  }
  FX_FAILURES failures;
  failures.nFailed = 0;
  failures.szText[0] = '\0';
  int iCurrent = -1;
  if (SelectHostLevel()) {
    iCurrent = ChangeTables_CurrentLevel();
    fx_SaveLevel(&failures, iCurrent, true);
  } else {
    fx_Failed(&failures, "Cannot save the fixup file of this level: not enough memory.");
  }
  // Levels without records have nothing to add to an earlier file of theirs.
  for (int i = 0; i < ChangeTables_LevelCount(); i++)
    if (i != iCurrent && ChangeTables_LevelFixups(i) != NULL)
      fx_SaveLevel(&failures, i, false);

  if (failures.nFailed == 1)
    ErrMsg("%s", failures.szText);
  else if (failures.nFailed > 1)
    ErrMsg("%d fixup files were not saved. %s", failures.nFailed, failures.szText);
}

void AddWholeLevelToFixupFile(void) {
  if (gCallBack == NULL)
    return;
  // When the level's tables cannot be made, every record fails below and
  // is counted.
  SelectHostLevel();
  WHOLE_LEVEL_EXPORT r = Fixup_AddWholeLevel(gCallBack);
  if (r.iNotRecorded > 0)
    ErrMsg("Not enough memory to record the whole level: %d of its %d sectors and walls are not "
           "in the fixup table, and a save will not write them.",
           r.iNotRecorded, r.iSectors + r.iWalls);
}
