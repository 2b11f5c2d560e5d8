#include "flagnames.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

// Every name a byte stream gives, read with a limit of 120 until the end.
Names ReadNames(const std::string &sBytes, int iLen = KRED_FLAG_NAME_LEN) {
  NF_SOURCE src;
  NF_MEMORY mem;
  FlagNames_MemorySource(&src, &mem, sBytes.data(), sBytes.size());
  Names v;
  std::vector<char> buf((size_t)iLen);
  for (int i = 0; i < 1000; i++) {
    int n = nfReadLine(&src, buf.data(), iLen);
    EXPECT_EQ((size_t)n, strlen(buf.data()));
    if (n == 0)
      break;
    v.push_back(buf.data());
  }
  return v;
}

// A table of 32 slots of 120 characters, as the editors keep it.
struct Table {
  std::vector<char> block = std::vector<char>(KRED_FLAG_NAMES * KRED_FLAG_NAME_LEN, 0);
  char *slots[KRED_FLAG_NAMES];
  Table() {
    for (int i = 0; i < KRED_FLAG_NAMES; i++)
      slots[i] = &block[(size_t)i * KRED_FLAG_NAME_LEN];
  }
  Names Filled() const {
    Names v;
    for (char *p : slots)
      if (p[0] != '\0')
        v.push_back(p);
    return v;
  }
};

std::string Letters(int n, char c = 'a') {
  return std::string((size_t)n, c);
}

std::string FixedRecords(int cRecords) {
  std::string s;
  for (int i = 0; i < cRecords; i++) {
    std::string sName = "Bit " + std::to_string(i);
    s += sName + std::string(120 - sName.size(), '\0') + "\n";
  }
  return s;
}

Names Numbered(int n) {
  Names v;
  for (int i = 0; i < n; i++)
    v.push_back("Bit " + std::to_string(i));
  return v;
}

TEST(FlagNames, ReaderSplitsTheStream) {
  const struct {
    const char *szWhat;
    std::string sBytes;
    Names want;
  } cases[] = {
      {"CR LF lines", "Open Sky\r\nSlick Floor\r\n", {"Open Sky", "Slick Floor"}},
      {"empty lines and no final line end", "First\n\n\nSecond", {"First", "Second"}},
      {"blanks belong to the name", "  two words  \n", {"  two words  "}},
      {"130 letters spill", Letters(130) + "\n", {Letters(119), Letters(11)}},
      {"119 letters exactly", Letters(119) + "\nb", {Letters(119), "b"}},
      {"238 letters", Letters(238), {Letters(119), Letters(119)}},
      {"0xE9 splits",
       "ab\xE9"
       "cd\n",
       {"ab", "cd"}},
      {"0x7F is a name byte",
       "a\x7F"
       "b\x1F"
       "c",
       {"a\x7F"
        "b",
        "c"}},
      {"zero bytes separate", std::string("\0\0x\0\0y", 6), {"x", "y"}},
      {"0x1A ends the list",
       "a\r\n\x1A"
       "b\r\n",
       {"a"}},
      {"0x1A inside a name",
       "ab\x1A"
       "cd",
       {"ab"}},
      {"only separators", "\r\n\r\n\x01\xFF", {}},
      {"empty", "", {}},
      {"fixed records", FixedRecords(32), Numbered(32)},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ReadNames(c.sBytes), c.want) << c.szWhat;
}

TEST(FlagNames, SmallLimitsCutAndContinue) {
  EXPECT_EQ(ReadNames("abcdefg\nh", 4), (Names{"abc", "def", "g", "h"}));
  // A limit of 1 has room for the terminator only: nothing is read.
  NF_SOURCE src;
  NF_MEMORY mem;
  FlagNames_MemorySource(&src, &mem, "abc", 3);
  char sz[2] = {'x', 'x'};
  EXPECT_EQ(nfReadLine(&src, sz, 1), 0);
  EXPECT_EQ(sz[0], '\0');
  EXPECT_EQ(sz[1], 'x');
  EXPECT_EQ(nfReadLine(&src, sz, 0), 0);
  EXPECT_EQ(nfReadLine(nullptr, sz, 2), 0);
  EXPECT_EQ(nfReadLine(&src, sz, 2), 1);
  EXPECT_STREQ(sz, "a");
}

// A source that answers with a scripted list of results and counts calls.
struct Scripted {
  std::vector<int> results; // > 0: that many 'x'; 0 end; < 0 error
  size_t iCall = 0;
};

int ScriptedRead(void *pCtx, unsigned char *p, unsigned cb) {
  Scripted *s = (Scripted *)pCtx;
  if (s->iCall >= s->results.size())
    return 0;
  int n = s->results[s->iCall++];
  if (n > (int)cb)
    n = (int)cb;
  if (n > 0)
    memset(p, 'x', (size_t)n);
  return n;
}

TEST(FlagNames, TheEndIsFinal) {
  const struct {
    const char *szWhat;
    std::vector<int> results;
    int cCallsWant;
    Names want;
  } cases[] = {
      {"end, then more", {3, 0, 5}, 2, {"xxx"}},
      {"error, then more", {2, -1, 5}, 2, {"xx"}},
      {"error at once", {-1, 4}, 1, {}},
  };
  for (const auto &c : cases) {
    Scripted s;
    s.results = c.results;
    NF_SOURCE src;
    memset(&src, 0, sizeof(src));
    src.pfnRead = ScriptedRead;
    src.pCtx = &s;
    Names v;
    char sz[KRED_FLAG_NAME_LEN];
    for (int i = 0; i < 10; i++)
      if (nfReadLine(&src, sz, sizeof(sz)) > 0)
        v.push_back(sz);
    EXPECT_EQ(v, c.want) << c.szWhat;
    EXPECT_EQ((int)s.iCall, c.cCallsWant) << c.szWhat;
  }
}

TEST(FlagNames, TableTakesTheFirst32) {
  const struct {
    const char *szWhat;
    std::string sBytes;
    Names want;
  } cases[] = {
      {"40 names",
       [] {
         std::string s;
         for (int i = 0; i < 40; i++)
           s += "Bit " + std::to_string(i) + "\n";
         return s;
       }(),
       Numbered(32)},
      {"two names", "Bit 0\r\nBit 1\r\n", Numbered(2)},
      {"nothing", "", {}},
  };
  for (const auto &c : cases) {
    Table t;
    for (char *p : t.slots)
      strcpy(p, "stale");
    NF_SOURCE src;
    NF_MEMORY mem;
    FlagNames_MemorySource(&src, &mem, c.sBytes.data(), c.sBytes.size());
    EXPECT_EQ(FlagNames_ReadAll(&src, t.slots), (int)c.want.size()) << c.szWhat;
    EXPECT_EQ(t.Filled(), c.want) << c.szWhat; // later slots are emptied
  }
}

std::string ListPath(const char *szName) {
  return std::string(KRED_SOURCE_DIR) + "/tests/unit/lists/" + szName;
}

TEST(FlagNames, LoadsListFiles) {
  const struct {
    const char *szFile;
    Names want;
  } cases[] = {
      {"crlf.lst", {"Open Sky", "Slick Floor"}},
      {"ctrlz.lst", {"Alpha", "Beta"}},
      {"fixed32.lst",
       [] {
         Names v;
         char sz[16];
         for (int i = 0; i < 32; i++) {
           snprintf(sz, sizeof(sz), "Record %02d", i);
           v.push_back(sz);
         }
         return v;
       }()},
  };
  for (const auto &c : cases) {
    Table t;
    EXPECT_EQ(FlagNames_LoadFile(ListPath(c.szFile).c_str(), t.slots), (int)c.want.size())
        << c.szFile;
    EXPECT_EQ(t.Filled(), c.want) << c.szFile;
  }
  // A list that is not there leaves the table as it was.
  Table t;
  strcpy(t.slots[0], "kept");
  EXPECT_EQ(FlagNames_LoadFile(ListPath("missing.lst").c_str(), t.slots), -1);
  EXPECT_EQ(FlagNames_LoadFile("", t.slots), -1);
  EXPECT_EQ(t.Filled(), (Names{"kept"}));
}

TEST(FlagNames, ChangeFileName) {
  const struct {
    const char *szPath;
    size_t cb;
    int iWant;
    const char *szWant;
  } cases[] = {
      {"C:\\Games\\Keldrun\\KREDITOR.DLL", 120, 1, "C:\\Games\\Keldrun\\jsmflags.lst"},
      {"C:KREDITOR.DLL", 120, 1, "C:jsmflags.lst"},
      {"C:\\", 120, 1, "C:\\jsmflags.lst"},
      {"KREDITOR.DLL", 120, 1, "jsmflags.lst"},
      {"/usr/lib/KREDITOR.DLL", 120, 1, "jsmflags.lst"}, // a slash is no separator
      {"K", 120, 0, "K"},
      {"", 120, 0, ""},
      {"C:\\dir\\x", 20, 1, "C:\\dir\\jsmflags.lst"}, // 19 characters: fits exactly
      {"C:\\dirs\\x", 20, 0, ""},                     // 20: does not
  };
  for (const auto &c : cases) {
    // A buffer of exactly cb bytes, so a write past it is caught.
    char *sz = (char *)malloc(c.cb);
    strcpy(sz, c.szPath);
    EXPECT_EQ(ChangeFileName(sz, c.cb, "jsmflags.lst"), c.iWant) << c.szPath;
    EXPECT_STREQ(sz, c.szWant) << c.szPath;
    free(sz);
  }
  // A path that fills its buffer without a terminator is not used.
  char szFull[8];
  memset(szFull, 'a', sizeof(szFull));
  EXPECT_EQ(ChangeFileName(szFull, sizeof(szFull), "x"), 0);
  EXPECT_EQ(szFull[0], '\0');
}

TEST(FlagNames, ListBesideTheLibrary) {
  // Natively a slash does not separate, so the library is named without a
  // directory and its list is looked for in the working directory.
  char szOld[4096];
  ASSERT_NE(getcwd(szOld, sizeof(szOld)), nullptr);
  ASSERT_EQ(chdir(ListPath("").c_str()), 0);
  Table t;
  const char szLib[] = "KREDITOR.DLL";
  EXPECT_EQ(FlagNames_LoadBeside(szLib, strlen(szLib), "crlf.lst", t.slots), 2);
  EXPECT_EQ(t.Filled(), (Names{"Open Sky", "Slick Floor"}));
  // A path the system cut at the buffer's end, or a one-character path,
  // opens nothing, not even a file that happens to have that name.
  Table t2;
  std::string sLong(150, 'd');
  EXPECT_EQ(FlagNames_LoadBeside(sLong.c_str(), 120, "crlf.lst", t2.slots), -1);
  EXPECT_EQ(FlagNames_LoadBeside("c", 1, "crlf.lst", t2.slots), -1);
  EXPECT_EQ(FlagNames_LoadBeside(szLib, 0, "crlf.lst", t2.slots), -1);
  // The library's directory fits, the list's name behind it does not.
  std::string sDeep = "C:" + std::string(108, 'p') + "\\K.DLL";
  ASSERT_LT(sDeep.size(), 120u);
  EXPECT_EQ(FlagNames_LoadBeside(sDeep.c_str(), sDeep.size(), "jsmflags.lst", t2.slots), -1);
  EXPECT_TRUE(t2.Filled().empty());
  ASSERT_EQ(chdir(szOld), 0);
}

} // namespace
