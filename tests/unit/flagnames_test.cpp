#include "flagnames.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

// The editors' table: 32 slots of 120 characters, "stale" before a read.
struct Table {
  char block[KRED_FLAG_NAMES][KRED_FLAG_NAME_LEN];
  char *slots[KRED_FLAG_NAMES];
  Table() {
    for (int i = 0; i < KRED_FLAG_NAMES; i++)
      slots[i] = strcpy(block[i], "stale");
  }
  Names Filled() const { return Names(slots, std::find(slots, slots + 32, std::string())); }
};

Names Numbered(int n, const char *szFormat = "Bit %d") {
  Names v(n);
  for (int i = 0; i < n; i++) {
    char sz[32];
    snprintf(sz, sizeof(sz), szFormat, i);
    v[i] = sz;
  }
  return v;
}

TEST(FlagNames, ReadingAList) {
  std::string a119(119, 'a'), sFixed, sForty;
  for (const std::string &n : Numbered(32))
    sFixed += n + std::string(120 - n.size(), '\0') + "\n";
  for (const std::string &n : Numbered(40))
    sForty += n + "\n";
  // clang-format off
  const struct { std::string sBytes; Names want; } cases[] = {
      {"Open Sky\r\nSlick Floor\r\n", {"Open Sky", "Slick Floor"}},
      {"First\n\n\nSecond", {"First", "Second"}},         // no empty names, no final end
      {"  two words  \n", {"  two words  "}},              // blanks belong to the name
      {a119 + "aaaaaaaaaaa\n", {a119, "aaaaaaaaaaa"}},     // 130 letters spill
      {a119 + "\nb", {a119, "b"}},
      {"a\x7F" "b\xE9" "cd\x1F", {"a\x7F" "b", "cd"}},     // 0xE9 splits, 0x7F does not
      {std::string("\0\0x\0y", 5), {"x", "y"}},
      {"a\r\nb\x1A" "c\r\nd", {"a", "b"}},                 // 0x1A ends the list
      {"\r\n\x01\xFF", {}}, {sFixed, Numbered(32)}, {sForty, Numbered(32)}};
  // clang-format on
  for (const auto &c : cases) {
    Table t;
    NF_SOURCE src;
    NF_MEMORY mem;
    FlagNames_MemorySource(&src, &mem, c.sBytes.data(), c.sBytes.size());
    EXPECT_EQ(FlagNames_ReadAll(&src, t.slots), (int)c.want.size());
    EXPECT_EQ(t.Filled(), c.want) << c.sBytes; // and later slots are emptied
  }
}

// Answers 3 bytes, then the end, then would answer more.
int ThreeThenEnd(void *pCtx, unsigned char *p, unsigned) {
  int &iCall = *(int *)pCtx;
  memcpy(p, "xyz", 3);
  return iCall++ == 1 ? 0 : 3;
}

TEST(FlagNames, SmallLimitsAndAFinalEnd) {
  NF_SOURCE src;
  NF_MEMORY mem;
  FlagNames_MemorySource(&src, &mem, "abcdefg", 7);
  char sz[4] = "xxx";
  EXPECT_EQ(nfReadLine(&src, sz, 1), 0); // room for the terminator only
  EXPECT_EQ(sz[1], 'x');
  EXPECT_EQ(nfReadLine(&src, sz, 4), 3);
  EXPECT_STREQ(sz, "abc");
  int iCall = 0;
  src = NF_SOURCE();
  src.pfnRead = ThreeThenEnd;
  src.pCtx = &iCall;
  char szName[KRED_FLAG_NAME_LEN];
  EXPECT_EQ(nfReadLine(&src, szName, sizeof(szName)), 3);
  EXPECT_EQ(nfReadLine(&src, szName, sizeof(szName)) + nfReadLine(&src, szName, 9), 0);
  EXPECT_EQ(iCall, 2); // never asked again after its end
}

std::string ListPath(const char *szName) {
  return std::string(KRED_SOURCE_DIR) + "/tests/unit/lists/" + szName;
}

TEST(FlagNames, ListFilesBesideTheLibrary) {
  // clang-format off
  const struct { const char *szList; Names want; } cases[] = {
      {"crlf.lst", {"Open Sky", "Slick Floor"}}, {"ctrlz.lst", {"Alpha", "Beta"}},
      {"fixed32.lst", Numbered(32, "Record %02d")}};
  // clang-format on
  for (const auto &c : cases) {
    Table t;
    EXPECT_EQ(FlagNames_LoadFile(ListPath(c.szList).c_str(), t.slots), (int)c.want.size());
    EXPECT_EQ(t.Filled(), c.want) << c.szList;
  }
  // Natively a slash separates nothing: a library named without a directory
  // finds its list in the working directory.
  char szOld[4096];
  ASSERT_NE(getcwd(szOld, sizeof(szOld)), nullptr);
  ASSERT_EQ(chdir(ListPath("").c_str()), 0);
  Table t;
  EXPECT_EQ(FlagNames_LoadBeside("KREDITOR.DLL", 12, "crlf.lst", t.slots), 2);
  // A missing list, a path the system cut, a one-character path ("c" would
  // be opened as it is) and a list name that does not fit behind the
  // directory open nothing and leave the table alone.
  Table t2;
  std::string sDeep = "C:" + std::string(108, 'p') + "\\K.DLL";
  EXPECT_EQ(FlagNames_LoadBeside("KREDITOR.DLL", 12, "missing.lst", t2.slots), -1);
  EXPECT_EQ(FlagNames_LoadBeside(std::string(150, 'd').c_str(), 120, "crlf.lst", t2.slots), -1);
  EXPECT_EQ(FlagNames_LoadBeside("c", 1, "crlf.lst", t2.slots), -1);
  EXPECT_EQ(FlagNames_LoadBeside(sDeep.c_str(), sDeep.size(), "jsmflags.lst", t2.slots), -1);
  EXPECT_EQ(t2.Filled().size(), 32u);
  ASSERT_EQ(chdir(szOld), 0);
}

TEST(FlagNames, ChangeFileNameNeverOverflows) {
  // clang-format off
  const struct { const char *szPath; size_t cb; int iWant; const char *szWant; } cases[] = {
      {"C:\\Games\\Keldrun\\KREDITOR.DLL", 120, 1, "C:\\Games\\Keldrun\\jsmflags.lst"},
      {"C:KREDITOR.DLL", 120, 1, "C:jsmflags.lst"},
      {"/usr/lib/KREDITOR.DLL", 120, 1, "jsmflags.lst"},  // a slash is no separator
      {"K", 120, 0, "K"}, {"", 120, 0, ""},
      {"C:\\dir\\x", 20, 1, "C:\\dir\\jsmflags.lst"},     // 19 characters fit
      {"C:\\dirs\\x", 20, 0, ""},                         // 20 do not: the path is unusable
      {"C:\\dirs\\x", 9, 0, ""}};                         // not terminated in its buffer
  // clang-format on
  for (const auto &c : cases) {
    char *sz = (char *)malloc(c.cb); // exactly cb bytes: a write past them is caught
    memcpy(sz, c.szPath, std::min(c.cb, strlen(c.szPath) + 1));
    EXPECT_EQ(ChangeFileName(sz, c.cb, "jsmflags.lst"), c.iWant) << c.szPath;
    EXPECT_STREQ(sz, c.szWant) << c.szPath;
    free(sz);
  }
}

} // namespace
