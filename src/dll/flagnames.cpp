// The flag-name lists beside the library: "jsmflags.lst" names the sector
// flags, "jmflags.lst" the wall flags.
#include "kreditor.h"

static void fn_LoadBesideLibrary(const char *szList, char *szFlagNames[KRED_FLAG_NAMES]) {
  char szPath[KRED_FLAG_NAME_LEN];
  // A path longer than the buffer comes back cut (and, on older systems,
  // unterminated); the reported length tells, and such a path is not used.
  DWORD cb = GetModuleFileNameA(hInst, szPath, (DWORD)sizeof(szPath));
  FlagNames_LoadBeside(szPath, cb, szList, szFlagNames);
}

void LoadSectorFlagNames(char *szFlagNames[KRED_FLAG_NAMES]) {
  fn_LoadBesideLibrary("jsmflags.lst", szFlagNames);
}

void LoadWallFlagNames(char *szFlagNames[KRED_FLAG_NAMES]) {
  fn_LoadBesideLibrary("jmflags.lst", szFlagNames);
}
