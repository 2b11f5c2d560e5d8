#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "palgrid.h"

namespace {

// Cell k shows k + 1, so no cell looks like a separator (0).
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

// Screen columns (or rows) where a new band starts, for a side of n pixels.
std::vector<int> BandStarts(const Grid &g, bool bColumns) {
  std::vector<int> starts;
  int n = bColumns ? g.x : g.y;
  for (int i = 0; i < n; i++) {
    // A full separator column/row is 0 all along the middle of the other axis.
    bool bBlank = bColumns ? g.At(i, g.y / 2 + 1) == 0 && g.At(i, 1) == 0
                           : g.At(g.x / 2 + 1, i) == 0 && g.At(1, i) == 0;
    if (bBlank)
      starts.push_back(i);
  }
  return starts;
}

TEST(PalGrid, SizesAndRowPadding) {
  struct Case {
    int x, y;
    size_t cbRow, cbSize;
  } cases[] = {
      {100, 100, 100, 10000}, {98, 100, 100, 10000},   {97, 3, 100, 300}, {1, 1, 4, 4},
      {16, 16, 16, 256},      {0, 10, 0, 0},           {10, 0, 12, 0},    {-5, 5, 0, 0},
      {5, -5, 8, 0},          {100000, 10, 100000, 0},
  };
  for (const Case &c : cases) {
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

TEST(PalGrid, HundredByHundredBandsAndSeparators) {
  std::vector<uint8_t> t = CountingTable();
  Grid g(100, 100, t);
  // Columns start where (px * 16) / 100 changes; each but the first has a
  // one-pixel line at its left edge.
  std::vector<int> expected;
  for (int px = 1; px < 100; px++)
    if (px * 16 / 100 != (px - 1) * 16 / 100)
      expected.push_back(px);
  ASSERT_EQ(expected.size(), 15u);
  EXPECT_EQ(BandStarts(g, true), expected);
  for (size_t i = 1; i < expected.size(); i++) {
    int iWidth = expected[i] - expected[i - 1];
    EXPECT_TRUE(iWidth == 6 || iWidth == 7) << iWidth;
  }
  // Row bands: a line at the bottom edge of each, the window's bottom row too.
  std::vector<int> rows = BandStarts(g, false);
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows.back(), 99);
  for (size_t i = 0; i + 1 < rows.size(); i++) {
    int sy = rows[i];
    EXPECT_EQ((sy + 1) * 16 / 100, sy * 16 / 100 + 1) << "line at the bottom of band " << i;
  }
  // Nothing but separators is 0 (apart from cell 255, whose k + 1 wraps).
  for (int sy = 0; sy < 100; sy++) {
    for (int px = 0; px < 94; px++) {
      if (g.At(px, sy) == 0) {
        EXPECT_TRUE(std::find(rows.begin(), rows.end(), sy) != rows.end() ||
                    std::find(expected.begin(), expected.end(), px) != expected.end())
            << px << "," << sy;
      }
    }
  }
}

TEST(PalGrid, CellsRunDownEachColumnFirst) {
  std::vector<uint8_t> t = CountingTable();
  struct Case {
    int x, y;
  } sizes[] = {{100, 100}, {98, 100}, {320, 200}, {50, 48}};
  for (const Case &s : sizes) {
    SCOPED_TRACE(testing::Message() << s.x << " by " << s.y);
    Grid g(s.x, s.y, t);
    EXPECT_EQ(g.At(0, 0), 1); // cell 0 at the top left
    for (int k = 0; k < 256; k++) {
      int c = k / 16, r = k % 16;
      // Lines run along a column band's left edge and a row band's bottom
      // edge: take the band's last column and first row.
      int px = ((c + 1) * s.x + 15) / 16 - 1;
      int sy = (r * s.y + 15) / 16;
      ASSERT_EQ(g.At(px, sy), (uint8_t)(k + 1)) << "cell " << k;
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
  Grid narrow(16, 16, t); // every band one pixel: all columns but the first are lines
  for (int sy = 0; sy < 16; sy++)
    for (int px = 1; px < 16; px++)
      ASSERT_EQ(narrow.At(px, sy), 0);
}

} // namespace
