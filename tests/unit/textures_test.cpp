#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "textures.h"

namespace {

struct LabelCase {
  int i;
  const char *szHost;
  const char *szLabel;
};

TEST(TextureLabel, Examples) {
  const LabelCase cases[] = {
      {3, "A\\B\\WALL1.PCX", " 3) ALL1   \\W"},
      {0, "WALL1.PCX", " 0) LL1    WA"},
      {12, "X\\STONE.BM", "12) TONE   \\S"}, // backslash at index 1
      {5, "\\AB.C", " 5) B      \\A"},       // backslash at index 0 is not looked at
      {598, "DIR\\LONGTEXTURENAME", "598) ONGTEXTURENAME\\L"},
      {1, "D\\XAB.C.D", " 1) AB     \\X"}, // cut at the first dot
      {2, "AB", " 2)        AB"},
      {0, "A", " 0)        A"},
      {0, "", " 0)        "},
      {7, "DIR\\", " 7)        \\"}, // trailing backslash
  };
  for (const LabelCase &c : cases) {
    SCOPED_TRACE(c.szHost);
    char sz[90];
    memset(sz, 'x', sizeof(sz));
    Textures_MakeLabel(sz, c.i, c.szHost);
    EXPECT_STREQ(sz, c.szLabel);
  }
}

TEST(TextureLabel, LongNameIsCutTo89) {
  std::string s = "D\\" + std::string(300, 'N') + ".PCX";
  char sz[100];
  memset(sz, 'x', sizeof(sz));
  Textures_MakeLabel(sz, 1, s.c_str());
  EXPECT_EQ(strlen(sz), 89u);
  EXPECT_EQ(sz[95], 'x'); // nothing written past the 90-byte label
  EXPECT_EQ(std::string(sz, 4), " 1) ");
}

class TextureTable : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(Textures_Alloc()); }
  void TearDown() override { Textures_Free(); }

  // A host list of n generated names and its terminating entry.
  void MakeList(int n) {
    names.clear();
    list.clear();
    for (int i = 0; i < n; i++) {
      char sz[32];
      snprintf(sz, sizeof(sz), "T\\TEX%d.PCX", i);
      names.push_back(sz);
    }
    for (int i = 0; i < n; i++)
      list.push_back({(uint16_t)(i + 1), (uint16_t)(2 * i), names[i].c_str()});
    list.push_back({0, 0, nullptr});
  }

  std::vector<std::string> names;
  std::vector<SHARED_TEXTURE_DATA> list;
};

void ExpectTerminator(int i) {
  EXPECT_STREQ(feTextures[i].szFile, "---");
  EXPECT_STREQ(feTextures[i].szName, "---");
}

TEST_F(TextureTable, BuildCopiesNamesSizesAndEndsWithTerminator) {
  MakeList(3);
  EXPECT_EQ(Textures_Build(list.data()), 3);
  EXPECT_EQ(Textures_Count(), 3);
  EXPECT_STREQ(feTextures[2].szFile, "T\\TEX2.PCX");
  EXPECT_STREQ(feTextures[2].szName, " 2) EX2    \\T");
  EXPECT_EQ(feTextures[2].w, 3);
  EXPECT_EQ(feTextures[2].h, 4);
  ExpectTerminator(3);
}

TEST_F(TextureTable, EmptyOrMissingListLeavesOnlyTheTerminator) {
  const SHARED_TEXTURE_DATA empty = {0, 0, nullptr};
  for (const SHARED_TEXTURE_DATA *p : {&empty, (const SHARED_TEXTURE_DATA *)nullptr}) {
    MakeList(5);
    Textures_Build(list.data());
    EXPECT_EQ(Textures_Build(p), 0);
    EXPECT_EQ(Textures_Count(), 0);
    ExpectTerminator(0);
    EXPECT_STREQ(ReturnTextureName(0), "---");
    EXPECT_STREQ(ReturnTextureName(1), "?");
  }
}

TEST_F(TextureTable, TakesAtMost599) {
  MakeList(700);
  EXPECT_EQ(Textures_Build(list.data()), 599);
  EXPECT_EQ(Textures_Count(), 599);
  EXPECT_STREQ(feTextures[598].szFile, "T\\TEX598.PCX");
  ExpectTerminator(599);
  EXPECT_STREQ(ReturnTextureName(598), "T\\TEX598.PCX");
  EXPECT_STREQ(ReturnTextureName(599), "---");
  EXPECT_STREQ(ReturnTextureName(600), "?");
}

TEST_F(TextureTable, LongHostNameIsCutTo79) {
  std::string s(200, 'Q');
  SHARED_TEXTURE_DATA l[2] = {{1, 1, s.c_str()}, {0, 0, nullptr}};
  EXPECT_EQ(Textures_Build(l), 1);
  EXPECT_EQ(std::string(feTextures[0].szFile), std::string(79, 'Q'));
  EXPECT_EQ(strlen(feTextures[0].szName), 89u);
}

TEST_F(TextureTable, ReturnTextureName) {
  MakeList(4);
  Textures_Build(list.data());
  struct {
    int32_t i;
    const char *sz;
  } const cases[] = {{-2, "###"},
                     {-1, "-"},
                     {-100, "-"},
                     {INT_MIN, "-"},
                     {0, "T\\TEX0.PCX"},
                     {3, "T\\TEX3.PCX"},
                     // the terminator, then past it
                     {4, "---"},
                     {5, "?"},
                     {599, "?"},
                     {600, "?"},
                     {INT_MAX, "?"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.i);
    EXPECT_STREQ(ReturnTextureName(c.i), c.sz);
  }
}

TEST_F(TextureTable, RebuildWithShorterListHidesOldEntries) {
  MakeList(10);
  Textures_Build(list.data());
  MakeList(2);
  EXPECT_EQ(Textures_Build(list.data()), 2);
  ExpectTerminator(2);
  EXPECT_STREQ(ReturnTextureName(2), "---");
  EXPECT_STREQ(ReturnTextureName(5), "?");
}

TEST(TextureTableAbsent, NamesWithoutATable) {
  Textures_Free();
  EXPECT_EQ(Textures_Count(), 0);
  EXPECT_STREQ(ReturnTextureName(0), "?"); // no table, no terminator
  EXPECT_STREQ(ReturnTextureName(-2), "###");
  EXPECT_STREQ(ReturnTextureName(-7), "-");
  // Alloc twice keeps the same table.
  ASSERT_TRUE(Textures_Alloc());
  FILE_ENTRY *fe = feTextures;
  ASSERT_TRUE(Textures_Alloc());
  EXPECT_EQ(feTextures, fe);
  ExpectTerminator(0);
  Textures_Free();
}

// Wakes and their tables, as steps on wakes named a, b, c: "T" takes a
// number, "B" marks it built, "R"/"N" expects it ready or not yet ready.
struct WakeCase {
  const char *szName;
  const char *szSteps; // pairs: step letter, wake letter
};

TEST(TextureWakes, ReadyOnceBuiltOrOvertaken) {
  const WakeCase cases[] = {
      {"a wake is ready once it has built", "TaNaBaRa"},
      {"a later build covers an earlier wake", "TaTbNaNbBbRaRb"},
      {"an earlier build does not cover a later wake", "TaTbBaRaNbBbRb"},
      {"a build that comes late takes nothing back", "TaTbBbBaRaRb"},
      {"a wake that never builds is overtaken", "TaTbTcBcRaRbRc"},
  };
  for (const WakeCase &c : cases) {
    SCOPED_TRACE(c.szName);
    uint32_t dwWake[3] = {0, 0, 0};
    for (const char *p = c.szSteps; p[0] != '\0' && p[1] != '\0'; p += 2) {
      uint32_t &w = dwWake[p[1] - 'a'];
      switch (p[0]) {
      case 'T':
        w = Textures_TakeWake();
        EXPECT_EQ(Textures_LastWake(), w);
        break;
      case 'B':
        Textures_WakeBuilt(w);
        break;
      case 'R':
        EXPECT_TRUE(Textures_WakeReady(w)) << p[1];
        break;
      case 'N':
        EXPECT_FALSE(Textures_WakeReady(w)) << p[1];
        break;
      default:
        FAIL() << "bad step " << p[0];
      }
    }
  }
}

} // namespace
