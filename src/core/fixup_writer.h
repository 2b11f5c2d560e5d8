// The fixup file: text blocks of every recorded sector and wall.
#pragma once

#include <stddef.h>

#include <string>

struct _kred_fixup;

// Appends the whole file (every block of the selected level's fixup table,
// then "FIXUP: DONE") to out, with CR LF line ends.
void Fixup_FormatAll(std::string &out);
// The same for the fixup table that starts at pHead (any level's).
void Fixup_FormatList(std::string &out, const _kred_fixup *pHead);

enum { FIXUP_NAME_OK = 0, FIXUP_NAME_MISSING = 1, FIXUP_NAME_TOO_LONG = 2 };
// "<level>.NFU" into szOut (cbOut bytes, at least 120 are used). The level
// name may have at most 115 characters.
int Fixup_MakeFileName(char *szOut, size_t cbOut, const char *szLevel);
