// Recording a whole level in the fixup table: N sectors with 10 walls each,
// then every record again (each one replacing its entry). The cost per record
// has to stay flat as N grows. BM_NaiveListWalk is the plain list walk that
// finds each key from the head, for comparison.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <string.h>

#include "fixup_tables.h"
#include "kred_records.h"

namespace {

const int iWallsPerSector = 10;

// Two passes over every sector and wall.
int64_t RecordsPerIteration(int64_t n) {
  return 2 * n * (1 + iWallsPerSector);
}

void SetCounters(benchmark::State &state) {
  int64_t nRecords = RecordsPerIteration(state.range(0));
  state.SetItemsProcessed(state.iterations() * nRecords);
  state.counters["ns_per_record"] =
      benchmark::Counter((double)nRecords * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
  state.counters["entries"] = (double)(state.range(0) * (1 + iWallsPerSector));
}

void BM_FixupTable(benchmark::State &state) {
  const uint32_t n = (uint32_t)state.range(0);
  SECTOR_DATA sd;
  memset(&sd, 0, sizeof(sd));
  WALL_DATA wd;
  memset(&wd, 0, sizeof(wd));
  FreeChangeTables();
  for (auto _ : state) {
    for (int pass = 0; pass < 2; pass++) {
      for (uint32_t s = 0; s < n; s++) {
        sd.dwSectorTag = s;
        sd.wLight = (uint16_t)pass;
        AddToFixupTable(OFT_SECTOR, s, 0, &sd, (int)sizeof(sd));
        for (uint32_t w = 0; w < (uint32_t)iWallsPerSector; w++) {
          wd.dwWallTag = w;
          AddToFixupTable(OFT_WALL, s, w, &wd, (int)sizeof(wd));
        }
      }
    }
    state.PauseTiming();
    if (ChangeTables_Count(ofMaster) != (int)(n * (1 + iWallsPerSector)))
      state.SkipWithError("wrong entry count");
    FreeChangeTables();
    state.ResumeTiming();
  }
  SetCounters(state);
}
BENCHMARK(BM_FixupTable)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The list alone: allocate, walk from the head to the matching key or the
// tail, link the new entry in the match's place and free the match.
struct NAIVE_ENTRY {
  int32_t oftType;
  uint32_t dwModTag1;
  uint32_t dwModTag2;
  NAIVE_ENTRY *pNext;
};

NAIVE_ENTRY *pNaiveHead = nullptr;

void Naive_Add(int32_t oft, uint32_t dwTag1, uint32_t dwTag2, const void *pData, int iSize) {
  NAIVE_ENTRY *pNew = (NAIVE_ENTRY *)malloc(sizeof(NAIVE_ENTRY) + (size_t)iSize);
  if (pNew == nullptr)
    return;
  pNew->oftType = oft;
  pNew->dwModTag1 = dwTag1;
  pNew->dwModTag2 = dwTag2;
  pNew->pNext = nullptr;
  memcpy(pNew + 1, pData, (size_t)iSize);
  if (pNaiveHead == nullptr) {
    pNaiveHead = pNew;
    return;
  }
  NAIVE_ENTRY *pPrev = nullptr;
  NAIVE_ENTRY *p = pNaiveHead;
  while (p != nullptr && !(p->oftType == oft && p->dwModTag1 == dwTag1 && p->dwModTag2 == dwTag2)) {
    pPrev = p;
    p = p->pNext;
  }
  if (pPrev == nullptr)
    pNaiveHead = pNew;
  else
    pPrev->pNext = pNew;
  if (p != nullptr) {
    pNew->pNext = p->pNext;
    free(p);
  }
}

void Naive_Free() {
  while (pNaiveHead != nullptr) {
    NAIVE_ENTRY *pNext = pNaiveHead->pNext;
    free(pNaiveHead);
    pNaiveHead = pNext;
  }
}

void BM_NaiveListWalk(benchmark::State &state) {
  const uint32_t n = (uint32_t)state.range(0);
  SECTOR_DATA sd;
  memset(&sd, 0, sizeof(sd));
  WALL_DATA wd;
  memset(&wd, 0, sizeof(wd));
  for (auto _ : state) {
    for (int pass = 0; pass < 2; pass++) {
      for (uint32_t s = 0; s < n; s++) {
        Naive_Add(OFT_SECTOR, s, 0, &sd, (int)sizeof(sd));
        for (uint32_t w = 0; w < (uint32_t)iWallsPerSector; w++)
          Naive_Add(OFT_WALL, s, w, &wd, (int)sizeof(wd));
      }
    }
    state.PauseTiming();
    Naive_Free();
    state.ResumeTiming();
  }
  SetCounters(state);
}
// Quadratic: 100000 sectors would take hours, and 10000 takes over a minute,
// so that size runs once and only when KRED_BENCH_NAIVE_10000 is set.
BENCHMARK(BM_NaiveListWalk)->Arg(1000)->Unit(benchmark::kMillisecond);

int RegisterNaive10000() {
  if (getenv("KRED_BENCH_NAIVE_10000") != nullptr)
    benchmark::RegisterBenchmark("BM_NaiveListWalk", BM_NaiveListWalk)
        ->Arg(10000)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  return 0;
}
const int iNaive10000 = RegisterNaive10000();

} // namespace
