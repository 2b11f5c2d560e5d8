// The main dialog's fixup commands: saving the fixup file and recording the
// whole level. Both run on the editor thread.
//
// A save never costs the previous file: the text goes to "<file>.tmp" beside
// it, and only a complete, flushed and closed copy replaces the old file.
#include "kreditor.h"

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

static void fx_SaveFailed(const char *szFile, const char *szWhat, DWORD dwErr) {
  char szReason[200];
  fx_ErrorText(dwErr, szReason, sizeof(szReason));
  ErrMsg("Cannot save the fixup file %s: %s: %s. The previous file, if any, is unchanged.", szFile,
         szWhat, szReason);
}

// Writes the bytes to szTmp and moves the result over szFile. On failure
// removes szTmp, reports, and leaves szFile as it was.
static bool fx_WriteReplace(const char *szFile, const char *szTmp, const std::string &sText) {
  HANDLE hFile =
      CreateFileA(szTmp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (hFile == INVALID_HANDLE_VALUE) {
    fx_SaveFailed(szFile, "cannot create the temporary file", GetLastError());
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
    fx_SaveFailed(szFile, szWhat, dwErr);
    return false;
  }
  return true;
}

void SaveFixupFile(void) {
  if (gCallBack == NULL) {
    ErrMsg("Cannot save the fixup file: the editor is not connected to the game.");
    return;
  }
  const char *szLevel = (const char *)(uintptr_t)gCallBack(KREQ_LEVEL_NAME, 0);
  char szFile[120];
  int iName = Fixup_MakeFileName(szFile, sizeof(szFile), szLevel);
  if (iName == FIXUP_NAME_MISSING) {
    ErrMsg("Cannot save the fixup file: the game gave no level name.");
    return;
  }
  if (iName != FIXUP_NAME_OK) {
    ErrMsg("Cannot save the fixup file of level \"%.100s...\": the level name is longer than "
           "115 characters.",
           szLevel);
    return;
  }
  char szTmp[sizeof(szFile) + sizeof(szFxTmpSuffix)];
  snprintf(szTmp, sizeof(szTmp), "%s%s", szFile, szFxTmpSuffix);

  try {
    std::string sText;
    Fixup_FormatAll(sText);
    fx_WriteReplace(szFile, szTmp, sText);
  } catch (const std::bad_alloc &) {
    ErrMsg("Cannot save the fixup file %s: not enough memory. The previous file, if any, is "
           "unchanged.",
           szFile);
  } catch (...) {
    ErrMsg("Cannot save the fixup file %s: unexpected failure. The previous file, if any, is "
           "unchanged.",
           szFile);
  }
}

void AddWholeLevelToFixupFile(void) {
  if (gCallBack == NULL)
    return;
  try {
    Fixup_AddWholeLevel(gCallBack);
  } catch (...) {
    // The tables drop what they cannot hold; nothing may leave the library.
    ErrMsg("Not enough memory to record the whole level; part of it is missing from the fixup "
           "table.");
  }
}
