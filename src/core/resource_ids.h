// The resource memory viewer's list of resource kinds, read from the
// "Resource ID's" preference ("WAX ;TEX ; PAL ;CMP"), the type code the host
// is asked with, and the viewer's paging arithmetic.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A kind's code text keeps at most this many characters, plus a terminator.
#define KRED_RESOURCE_TAG_LEN 10

struct _mem_dialog_entries {
  char szTag[KRED_RESOURCE_TAG_LEN + 1];
  _mem_dialog_entries *mdePrev;
  _mem_dialog_entries *mdeNext;
};

// Splits the text at every ";" (blanks belong to the pieces) and makes one
// entry per piece, in order, up to the first empty piece. The text ends at
// its first zero byte or after cbText bytes, whichever comes first. Each
// entry keeps the first KRED_RESOURCE_TAG_LEN characters of its piece.
// Returns the head, null for an empty list; when memory runs out the list
// holds the entries made so far.
_mem_dialog_entries *ResourceIds_BuildList(const char *szText, size_t cbText);
// Frees every entry once and sets the head to null.
void ResourceIds_FreeList(_mem_dialog_entries **pmdeHead);
int ResourceIds_Count(const _mem_dialog_entries *mde);

// The host's type code: the first four characters as unsigned bytes, the
// first in bits 24 to 31; characters after the end of a shorter text are 0.
uint32_t ResourceIds_TypeCode(const char *szTag);

// Rows that fit in iRoom pixels at a pitch of dy, at most iRows: 0 when the
// room is negative or the pitch is not positive.
int ResourceIds_RowsPerPage(int iRoom, int dy, int iRows);
// "&Next" and "&Previous": the entry shown in the first row afterwards. With
// no room for a row (iPerPage 0) the start does not move.
int ResourceIds_NextStart(int iStart, int iPerPage, int iTotal);
int ResourceIds_PrevStart(int iStart, int iPerPage, int iTotal);
