#include "resource_ids.h"

#include <stdlib.h>
#include <string.h>

_mem_dialog_entries *ResourceIds_BuildList(const char *szText, size_t cbText) {
  if (szText == NULL)
    return NULL;
  size_t cbLen = 0;
  while (cbLen < cbText && szText[cbLen] != '\0')
    cbLen++;

  _mem_dialog_entries *mdeHead = NULL;
  _mem_dialog_entries *mdeTail = NULL;
  size_t iPiece = 0;
  while (iPiece < cbLen) {
    size_t iEnd = iPiece;
    while (iEnd < cbLen && szText[iEnd] != ';')
      iEnd++;
    if (iEnd == iPiece)
      break; // the first empty piece ends the list
    _mem_dialog_entries *mde = (_mem_dialog_entries *)calloc(1, sizeof(_mem_dialog_entries));
    if (mde == NULL)
      break;
    size_t n = iEnd - iPiece;
    if (n > KRED_RESOURCE_TAG_LEN)
      n = KRED_RESOURCE_TAG_LEN;
    memcpy(mde->szTag, szText + iPiece, n);
    mde->mdePrev = mdeTail;
    if (mdeTail != NULL)
      mdeTail->mdeNext = mde;
    else
      mdeHead = mde;
    mdeTail = mde;
    iPiece = iEnd + 1; // past the ";" (or past the end)
  }
  return mdeHead;
}

void ResourceIds_FreeList(_mem_dialog_entries **pmdeHead) {
  if (pmdeHead == NULL)
    return;
  _mem_dialog_entries *mde = *pmdeHead;
  *pmdeHead = NULL;
  while (mde != NULL) {
    _mem_dialog_entries *mdeNext = mde->mdeNext;
    free(mde);
    mde = mdeNext;
  }
}

int ResourceIds_Count(const _mem_dialog_entries *mde) {
  int n = 0;
  for (; mde != NULL; mde = mde->mdeNext)
    n++;
  return n;
}

uint32_t ResourceIds_TypeCode(const char *szTag) {
  uint32_t dwCode = 0;
  bool bEnded = szTag == NULL;
  for (int i = 0; i < 4; i++) {
    uint32_t c = 0;
    if (!bEnded) {
      c = (uint8_t)szTag[i];
      bEnded = c == 0;
    }
    dwCode |= c << (8 * (3 - i));
  }
  return dwCode;
}

int ResourceIds_RowsPerPage(int iRoom, int dy, int iRows) {
  if (iRoom < 0 || dy <= 0 || iRows <= 0)
    return 0;
  int n = iRoom / dy;
  return n > iRows ? iRows : n;
}

int ResourceIds_NextStart(int iStart, int iPerPage, int iTotal) {
  if (iPerPage <= 0)
    return iStart;
  long long llNext = (long long)iStart + iPerPage;
  return llNext >= iTotal ? 0 : (int)llNext;
}

int ResourceIds_PrevStart(int iStart, int iPerPage, int iTotal) {
  if (iPerPage <= 0)
    return iStart;
  if (iStart == 0) {
    // The last page: the last full page when the entries fill whole pages.
    int iRemainder = iTotal % iPerPage;
    int iLast = iRemainder == 0 ? iTotal - iPerPage : iTotal - iRemainder;
    return iLast < 0 ? 0 : iLast;
  }
  if (iStart < iPerPage)
    return 0;
  return iStart - iPerPage;
}
