#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "textures.h"

namespace {

TEST(TextureLabel, Examples) {
  // clang-format off
  const struct { int i; std::string sHost, sLabel; } cases[] = {
      {3, "A\\B\\WALL1.PCX", " 3) ALL1   \\W"},
      {0, "WALL1.PCX", " 0) LL1    WA"},
      {12, "X\\STONE.BM", "12) TONE   \\S"}, // backslash at index 1
      {5, "\\AB.C", " 5) B      \\A"},       // backslash at index 0 is not looked at
      {598, "DIR\\LONGTEXTURENAME", "598) ONGTEXTURENAME\\L"},
      {1, "D\\XAB.C.D", " 1) AB     \\X"}, // cut at the first dot
      {2, "AB", " 2)        AB"},
      {0, "", " 0)        "},
      {7, "DIR\\", " 7)        \\"}, // trailing backslash
      {1, "D\\" + std::string(300, 'N') + ".PCX", " 1) " + std::string(85, 'N')}, // cut to 89
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.sHost);
    char sz[100];
    memset(sz, 'x', sizeof(sz));
    Textures_MakeLabel(sz, c.i, c.sHost.c_str());
    EXPECT_EQ(sz, c.sLabel);
    EXPECT_EQ(sz[90], 'x'); // nothing written past the 90-byte label
  }
}

// The names an index gives, for a list of n generated textures (null: no
// list at all, -1: no table).
std::vector<std::string> NamesAfter(int n, const std::vector<int32_t> &indices) {
  std::vector<std::string> names;
  std::vector<SHARED_TEXTURE_DATA> list;
  for (int i = 0; i < n; i++) {
    char sz[32];
    snprintf(sz, sizeof(sz), "T\\TEX%d.PCX", i);
    names.push_back(sz);
  }
  for (int i = 0; i < n; i++)
    list.push_back({(uint16_t)(i + 1), (uint16_t)(2 * i), names[(size_t)i].c_str()});
  list.push_back({0, 0, nullptr});
  if (n < 0)
    Textures_Free();
  else
    EXPECT_EQ(Textures_Build(n == 0 ? nullptr : list.data()), n > 599 ? 599 : n);
  std::vector<std::string> out;
  for (int32_t i : indices)
    out.push_back(ReturnTextureName(i));
  return out;
}

typedef std::vector<std::string> Names;

// Up to 599 textures, then the "---" terminator; "?" past it, "###" for
// -2 and "-" for other negative indices. A shorter list hides the entries
// of the one before.
TEST(TextureTable, NamesUpToTheTerminator) {
  ASSERT_TRUE(Textures_Alloc());
  FILE_ENTRY *fe = feTextures;
  ASSERT_TRUE(Textures_Alloc()); // twice keeps the same table
  EXPECT_EQ(feTextures, fe);
  EXPECT_EQ(NamesAfter(4, {-2, -1, -100, INT_MIN, 0, 3, 4, 5, 599, INT_MAX}),
            (Names{"###", "-", "-", "-", "T\\TEX0.PCX", "T\\TEX3.PCX", "---", "?", "?", "?"}));
  EXPECT_EQ(feTextures[3].w, 4);
  EXPECT_EQ(feTextures[3].h, 6);
  EXPECT_STREQ(feTextures[3].szName, " 3) EX3    \\T");
  EXPECT_STREQ(feTextures[4].szName, "---");
  EXPECT_EQ(NamesAfter(700, {598, 599, 600}), (Names{"T\\TEX598.PCX", "---", "?"}));
  EXPECT_EQ(Textures_Count(), 599);
  EXPECT_EQ(NamesAfter(2, {1, 2, 5}), (Names{"T\\TEX1.PCX", "---", "?"}));
  EXPECT_EQ(NamesAfter(0, {0, 1}), (Names{"---", "?"}));
  const SHARED_TEXTURE_DATA empty = {0, 0, nullptr};
  EXPECT_EQ(Textures_Build(&empty), 0);
  EXPECT_EQ(ReturnTextureName(0), std::string("---"));
  // A host name longer than the table's is cut to 79 characters.
  std::string s(200, 'Q');
  SHARED_TEXTURE_DATA l[2] = {{1, 1, s.c_str()}, {0, 0, nullptr}};
  EXPECT_EQ(Textures_Build(l), 1);
  EXPECT_EQ(ReturnTextureName(0), std::string(79, 'Q'));
  EXPECT_EQ(strlen(feTextures[0].szName), 89u);
  // No table: no terminator either.
  EXPECT_EQ(NamesAfter(-1, {0, -2, -7}), (Names{"?", "###", "-"}));
  EXPECT_EQ(Textures_Count(), 0);
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
