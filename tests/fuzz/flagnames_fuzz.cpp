// Fuzzes the flag-name list reader: any byte stream gives at most 32 names,
// each of at most 119 bytes of 0x20 to 0x7F, read without loss and to an
// end, and the path of the list never leaves its buffer.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "flagnames.h"

namespace {

void Check(bool b, const char *szWhat) {
  if (!b) {
    fprintf(stderr, "flagnames_fuzz: %s\n", szWhat);
    abort();
  }
}

bool IsNameByte(unsigned char c) {
  return c >= 0x20 && c <= 0x7F;
}

// The 32 slots are separate heap blocks of exactly 120 bytes, so a write
// past a slot is caught.
void FuzzTable(const uint8_t *data, size_t size) {
  std::vector<std::vector<char>> block(KRED_FLAG_NAMES, std::vector<char>(KRED_FLAG_NAME_LEN));
  char *slots[KRED_FLAG_NAMES];
  for (int i = 0; i < KRED_FLAG_NAMES; i++)
    slots[i] = block[i].data();
  NF_SOURCE src;
  NF_MEMORY mem;
  FlagNames_MemorySource(&src, &mem, data, size);
  int cNames = FlagNames_ReadAll(&src, slots);
  Check(cNames >= 0 && cNames <= KRED_FLAG_NAMES, "more than 32 names");
  for (int i = 0; i < KRED_FLAG_NAMES; i++) {
    const char *p = slots[i];
    const void *pEnd = memchr(p, 0, KRED_FLAG_NAME_LEN);
    Check(pEnd != nullptr, "slot not terminated");
    size_t n = (size_t)((const char *)pEnd - p);
    Check(n <= 119, "name longer than 119");
    Check((n > 0) == (i < cNames), "names are not the first slots");
    for (size_t k = 0; k < n; k++)
      Check(IsNameByte((unsigned char)p[k]), "name byte outside 0x20..0x7F");
  }
}

// The name bytes of the stream up to its end mark, in order.
std::string NameBytes(const uint8_t *data, size_t size) {
  std::string s;
  for (size_t i = 0; i < size && data[i] != 0x1A; i++)
    if (IsNameByte(data[i]))
      s += (char)data[i];
  return s;
}

void FuzzReader(const uint8_t *data, size_t size) {
  // Name by name with a limit taken from the data: nothing lost or made up,
  // and the end comes within one call per byte.
  int iLen = size > 0 ? 2 + data[0] % 119 : KRED_FLAG_NAME_LEN;
  NF_SOURCE src;
  NF_MEMORY mem;
  FlagNames_MemorySource(&src, &mem, data, size);
  std::vector<char> buf((size_t)iLen);
  std::string sAll;
  size_t cCalls = 0;
  for (;;) {
    Check(cCalls++ <= size, "reader does not come to an end");
    int n = nfReadLine(&src, buf.data(), iLen);
    Check(n >= 0 && n <= iLen - 1 && (size_t)n == strlen(buf.data()), "bad name length");
    if (n == 0)
      break;
    sAll.append(buf.data(), (size_t)n);
  }
  Check(sAll == NameBytes(data, size), "names differ from the stream's name bytes");
  Check(nfReadLine(&src, buf.data(), iLen) == 0, "reader went on after its end");
}

void FuzzPath(const uint8_t *data, size_t size) {
  // The data as the library's path (cut at a zero byte, as the system gives
  // it) in a buffer of exactly 120 bytes.
  static const char *const szLists[] = {"jsmflags.lst", "jmflags.lst", "x", ""};
  size_t n = size < 119 ? size : 119;
  const void *pZero = memchr(data, 0, n);
  if (pZero != nullptr)
    n = (size_t)((const uint8_t *)pZero - data);
  const char *szList = szLists[size % 4];
  char *sz = (char *)malloc(KRED_FLAG_NAME_LEN);
  memcpy(sz, data, n);
  sz[n] = '\0';
  std::string sBefore(sz);
  int r = ChangeFileName(sz, KRED_FLAG_NAME_LEN, szList);
  Check(memchr(sz, 0, KRED_FLAG_NAME_LEN) != nullptr, "path not terminated");
  if (r == 1) {
    std::string sAfter(sz);
    size_t cbList = strlen(szList);
    Check(sAfter.size() >= cbList && sAfter.compare(sAfter.size() - cbList, cbList, szList) == 0,
          "path does not end in the list's name");
  } else {
    Check(sz[0] == '\0' || (sBefore.size() <= 1 && sBefore == sz), "failed change left a path");
  }
  free(sz);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzReader(data, size);
  FuzzTable(data, size);
  FuzzPath(data, size);
  return 0;
}
