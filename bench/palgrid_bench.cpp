#include <benchmark/benchmark.h>

#include <vector>

#include "palgrid.h"

namespace {

// The grid of one repaint: the viewer at its first size and maximised.
void BM_PalGridFill(benchmark::State &state) {
  int x = (int)state.range(0), y = (int)state.range(1);
  std::vector<uint8_t> table(256);
  for (int i = 0; i < 256; i++)
    table[(size_t)i] = (uint8_t)(255 - i);
  std::vector<uint8_t> buf(PalGrid_BufferSize(x, y));
  for (auto _ : state) {
    PalGrid_Fill(buf.data(), x, y, table.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)buf.size());
}
BENCHMARK(BM_PalGridFill)->Args({150, 162})->Args({1250, 900})->Args({1920, 1080});

} // namespace
