// A "Resource ID's" preference of any bytes and length: the list is built
// without a crash or a hang, never holds more kinds than the text has
// non-empty pieces, keeps every code terminated and within its ten
// characters, and the paging over it stays inside the list.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "resource_ids.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *sz = (const char *)data;
  _mem_dialog_entries *mde = ResourceIds_BuildList(sz, size);

  size_t cbText = 0;
  while (cbText < size && sz[cbText] != '\0')
    cbText++;
  size_t nPieces = 0;
  for (size_t i = 0; i < cbText; i++)
    nPieces += sz[i] == ';';
  nPieces += cbText > 0;

  int n = 0;
  const _mem_dialog_entries *prev = NULL;
  for (const _mem_dialog_entries *p = mde; p != NULL; p = p->mdeNext) {
    if (p->mdePrev != prev)
      abort();
    size_t len = strnlen(p->szTag, sizeof(p->szTag));
    if (len == 0 || len > KRED_RESOURCE_TAG_LEN)
      abort();
    // The code is the start of a piece of the text.
    if (memchr(p->szTag, ';', len) != NULL)
      abort();
    (void)ResourceIds_TypeCode(p->szTag);
    prev = p;
    n++;
  }
  if ((size_t)n > nPieces || n != ResourceIds_Count(mde))
    abort();

  // Page through the list with a page size from the input.
  int iPerPage = size > 0 ? data[0] % 24 : 0;
  int iStart = 0;
  for (int step = 0; step < 64; step++) {
    iStart = (step & 1) ? ResourceIds_PrevStart(iStart, iPerPage, n)
                        : ResourceIds_NextStart(iStart, iPerPage, n);
    if (iStart < 0 || (n > 0 && iStart >= n) || (n == 0 && iStart != 0))
      abort();
  }

  ResourceIds_FreeList(&mde);
  if (mde != NULL)
    abort();
  return 0;
}
