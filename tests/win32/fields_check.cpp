// The field cases and the list loader as the library builds them, under
// Wine: its C run-time formats "%G" its own way, files are read with _open
// and _read, and the library's path is separated by backslashes.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <stdio.h>

#include "../unit/fields_cases.h"
#include "flagnames.h"

static int cFailed = 0;

static void Fail(const std::string &s) {
  cFailed++;
  printf("FAILED: %s\n", s.c_str());
}

int main(void) {
  fields_cases::RunFieldCases(Fail);
  printf("DoubleOrNothing(1e-5) = '%s'\n", DoubleOrNothing(1e-5));

  // The test lists lie beside this program.
  char szPath[KRED_FLAG_NAME_LEN];
  DWORD cb = GetModuleFileNameA(NULL, szPath, (DWORD)sizeof(szPath));
  const struct {
    const char *szList, *szLast;
    int cWant;
  } cases[] = {{"crlf.lst", "Slick Floor", 2},
               {"ctrlz.lst", "Beta", 2},
               {"fixed32.lst", "Record 31", 32},
               {"missing.lst", "", -1}};
  for (const auto &c : cases) {
    static char block[KRED_FLAG_NAMES][KRED_FLAG_NAME_LEN];
    char *slots[KRED_FLAG_NAMES];
    for (int i = 0; i < KRED_FLAG_NAMES; i++)
      slots[i] = block[i];
    int n = FlagNames_LoadBeside(szPath, cb, c.szList, slots);
    if (n != c.cWant || (n > 0 && strcmp(slots[n - 1], c.szLast) != 0))
      Fail(std::string(c.szList) + ": " + std::to_string(n) + " names");
  }
  printf("fields_check: %d failed\n", cFailed);
  return cFailed == 0 ? 0 : 1;
}
