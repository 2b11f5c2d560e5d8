#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

#include "palgrid.h"

namespace {

// Cell k shows k + 1, so no cell looks like a separator (0) but cell 255.
std::vector<uint8_t> CountingTable() {
  std::vector<uint8_t> t(256);
  for (int k = 0; k < 256; k++)
    t[(size_t)k] = (uint8_t)(k + 1);
  return t;
}

struct Grid {
  int x, y;
  std::vector<uint8_t> buf;
  Grid(int x_, int y_, const std::vector<uint8_t> &table) : x(x_), y(y_) {
    buf.assign(PalGrid_BufferSize(x, y), 0xEE);
    EXPECT_TRUE(PalGrid_Fill(buf.data(), x, y, table.data()));
  }
  // Pixel at screen column px, screen row sy (0 at the top).
  uint8_t At(int px, int sy) const {
    return buf[(size_t)(y - 1 - sy) * PalGrid_RowBytes(x) + (size_t)px];
  }
};

// Screen columns (or rows) that are separator lines: 0 all along.
std::vector<int> Lines(const Grid &g, bool bColumns) {
  std::vector<int> lines;
  for (int i = 0; i < (bColumns ? g.x : g.y); i++) {
    bool bBlank = true;
    for (int j = 0; j < (bColumns ? g.y : g.x); j++)
      bBlank = bBlank && (bColumns ? g.At(i, j) : g.At(j, i)) == 0;
    if (bBlank)
      lines.push_back(i);
  }
  return lines;
}

TEST(PalGrid, SizesAndRowPadding) {
  // clang-format off
  const struct { int x, y; size_t cbRow, cbSize; } cases[] = {
      {100, 100, 100, 10000}, {98, 100, 100, 10000},   {97, 3, 100, 300}, {1, 1, 4, 4},
      {16, 16, 16, 256},      {0, 10, 0, 0},           {10, 0, 12, 0},    {-5, 5, 0, 0},
      {5, -5, 8, 0},          {100000, 10, 100000, 0},
  };
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << " by " << c.y);
    EXPECT_EQ(PalGrid_RowBytes(c.x), c.cbRow);
    EXPECT_EQ(PalGrid_BufferSize(c.x, c.y), c.cbSize);
  }
  std::vector<uint8_t> t = CountingTable();
  EXPECT_EQ(Make16By16Grid(0, 100, t.data()), nullptr);
  EXPECT_EQ(Make16By16Grid(100, -1, t.data()), nullptr);
  EXPECT_EQ(Make16By16Grid(100, 100, nullptr), nullptr);
  uint8_t *p = Make16By16Grid(98, 100, t.data());
  ASSERT_NE(p, nullptr);
  free(p);
}

// 16 column bands with a one-pixel line at the left of each but the first,
// 16 row bands with one at the bottom of each (the window's bottom row too);
// cells run down each column first, and nothing else is 0.
TEST(PalGrid, CellsRunDownEachColumnBetweenOnePixelLines) {
  std::vector<uint8_t> t = CountingTable();
  // clang-format off
  const struct { int x, y; } sizes[] = {{100, 100}, {98, 100}, {320, 200}, {50, 48}};
  // clang-format on
  for (const auto &s : sizes) {
    SCOPED_TRACE(testing::Message() << s.x << " by " << s.y);
    Grid g(s.x, s.y, t);
    std::vector<int> cols = Lines(g, true), rows = Lines(g, false);
    ASSERT_EQ(cols.size(), 15u);
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(rows.back(), s.y - 1);
    for (int k = 0; k < 256; k++) {
      // Every pixel of the cell's band, between its lines.
      int c = k / 16, r = k % 16;
      for (int px = c == 0 ? 0 : cols[c - 1] + 1; px < (c == 15 ? s.x : cols[c]); px++)
        for (int sy = r == 0 ? 0 : rows[r - 1] + 1; sy < rows[r]; sy++)
          ASSERT_EQ(g.At(px, sy), (uint8_t)(k + 1)) << "cell " << k << " at " << px << "," << sy;
    }
    // Padding bytes are 0.
    size_t cbRow = PalGrid_RowBytes(s.x);
    for (int ly = 0; ly < s.y; ly++)
      for (size_t i = (size_t)s.x; i < cbRow; i++)
        ASSERT_EQ(g.buf[(size_t)ly * cbRow + i], 0);
  }
}

TEST(PalGrid, TinyWindows) {
  std::vector<uint8_t> t = CountingTable();
  // One pixel high: the only window whose bottom row is not a line.
  Grid one(3, 1, t);
  EXPECT_EQ(one.At(0, 0), 1);
  // Two pixels high: the bottom row (band 8) is a line, and so is the top
  // row (band 0), whose band differs from the one below it.
  Grid two(1, 2, t);
  EXPECT_EQ(two.At(0, 0), 0);
  EXPECT_EQ(two.At(0, 1), 0);
  Grid narrow(16, 16, t); // every band one pixel: every row is a line
  EXPECT_EQ(Lines(narrow, false).size(), 16u);
}

} // namespace
