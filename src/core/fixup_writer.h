// The fixup file: text blocks of every recorded sector and wall.
#pragma once

#include <stddef.h>

#include <string>

#include "kred_records.h"

// Appends the whole file (every block of the fixup table, then
// "FIXUP: DONE") to out, with CR LF line ends.
void Fixup_FormatAll(std::string &out);

enum { FIXUP_NAME_OK = 0, FIXUP_NAME_MISSING = 1, FIXUP_NAME_TOO_LONG = 2 };
// "<level>.NFU" into szOut (cbOut bytes, at least 120 are used). The level
// name may have at most 115 characters.
int Fixup_MakeFileName(char *szOut, size_t cbOut, const char *szLevel);

// Menu command "&Add Whole Level to Fixup File": walks every sector and
// wall by ordinal through the host and records each in the fixup table.
// Returns the number of sectors recorded.
int Fixup_AddWholeLevel(KRED_CALLBACK pCallBack);
