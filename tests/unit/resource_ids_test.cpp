#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "resource_ids.h"

namespace {

std::vector<std::string> Tags(const char *sz, size_t cb) {
  _mem_dialog_entries *mde = ResourceIds_BuildList(sz, cb);
  std::vector<std::string> tags;
  const _mem_dialog_entries *prev = nullptr;
  for (const _mem_dialog_entries *p = mde; p; p = p->mdeNext) {
    EXPECT_EQ(p->mdePrev, prev);
    EXPECT_EQ(memchr(p->szTag, 0, sizeof(p->szTag)) != nullptr, true);
    tags.push_back(p->szTag);
    prev = p;
  }
  EXPECT_EQ(ResourceIds_Count(mde), (int)tags.size());
  ResourceIds_FreeList(&mde);
  EXPECT_EQ(mde, nullptr);
  return tags;
}

using V = std::vector<std::string>;

// The text ends at its length or its first zero, whichever comes first.
TEST(ResourceIds, Splitting) {
  const struct {
    const char *sz;
    size_t cb; // 0: up to the terminator
    V tags;
  } cases[] = {
      {"WAX ;TEX ; PAL ;CMP", 0, {"WAX ", "TEX ", " PAL ", "CMP"}}, // blanks belong to the pieces
      {"WAX ;", 0, {"WAX "}},
      {"A;;B", 0, {"A"}},
      {";A", 0, {}},
      {"", 0, {}},
      {" ", 0, {" "}},
      {"ABCDEFGHIJ;K", 0, {"ABCDEFGHIJ", "K"}},       // ten characters kept whole
      {"ABCDEFGHIJKLMNOP;Q", 0, {"ABCDEFGHIJ", "Q"}}, // longer pieces cut
      {"a;b;c;d;e;f;g;h;i;j", 0, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}},
      {"AB;CD;EF", 4, {"AB", "C"}},
      {"AB\0CD;EF", 8, {"AB"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.sz);
    EXPECT_EQ(Tags(c.sz, c.cb == 0 ? strlen(c.sz) + 1 : c.cb), c.tags);
  }
  EXPECT_EQ(Tags("AB;CD", 0), V{});
  EXPECT_EQ(ResourceIds_BuildList(nullptr, 10), nullptr);
  ResourceIds_FreeList(nullptr);
}

TEST(ResourceIds, TypeCodePacking) {
  // clang-format off
  const struct { const char *sz; uint32_t dw; } cases[] = {
      {"WAX ", 0x57415820u},
      {" PAL", 0x2050414Cu},
      {"CMP", 0x434D5000u},
      {"", 0u},
      {"ABCDEFGH", 0x41424344u}, // only the first four count
      {"\xFF\x80", 0xFF800000u}, // bytes are unsigned
      {nullptr, 0u},
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.sz ? c.sz : "(null)");
    EXPECT_EQ(ResourceIds_TypeCode(c.sz), c.dw);
  }
}

TEST(ResourceIds, Paging) {
  enum { NEXT, PREV };
  // clang-format off
  const struct { int op, iStart, iPerPage, iTotal, iExpected; } cases[] = {
      {NEXT, 0, 8, 10, 8},  {NEXT, 8, 8, 10, 0},   {PREV, 0, 8, 10, 8},   {PREV, 8, 8, 10, 0},
      {NEXT, 0, 8, 16, 8},  {NEXT, 8, 8, 16, 0},   {PREV, 0, 8, 16, 8},   {PREV, 8, 8, 16, 0},
      {NEXT, 0, 5, 4, 0},   {PREV, 0, 5, 4, 0},    {PREV, 3, 8, 10, 0},   {PREV, 0, 8, 0, 0},
      {NEXT, 0, 8, 0, 0},   {NEXT, 3, 0, 10, 3},   {PREV, 3, 0, 10, 3},   {PREV, 0, 0, 10, 0},
      {NEXT, 0, 20, 20, 0}, {PREV, 0, 3, 100, 99}, {NEXT, 99, 3, 100, 0}, {PREV, 0, 1, 1, 0},
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << (c.op == NEXT ? "next" : "prev") << " from " << c.iStart
                                    << ", " << c.iPerPage << " per page of " << c.iTotal);
    int i = c.op == NEXT ? ResourceIds_NextStart(c.iStart, c.iPerPage, c.iTotal)
                         : ResourceIds_PrevStart(c.iStart, c.iPerPage, c.iTotal);
    EXPECT_EQ(i, c.iExpected);
  }
}

TEST(ResourceIds, RowsPerPage) {
  // clang-format off
  const struct { int iRoom, dy, iRows, iExpected; } cases[] = {
      {110, 22, 20, 5}, {109, 22, 20, 4},   {0, 22, 20, 0},  {-1, 22, 20, 0},
      {21, 22, 20, 0},  {5000, 22, 20, 20}, {100, 0, 20, 0}, {100, -3, 20, 0},
  };
  // clang-format on
  for (const auto &c : cases)
    EXPECT_EQ(ResourceIds_RowsPerPage(c.iRoom, c.dy, c.iRows), c.iExpected)
        << c.iRoom << "/" << c.dy;
}

} // namespace
