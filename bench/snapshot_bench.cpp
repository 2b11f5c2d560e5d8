#include <benchmark/benchmark.h>

#include <vector>

#include "keyring.h"
#include "snapshot.h"

namespace {

void BM_SnapshotPublish(benchmark::State &state) {
  Snapshot_Alloc();
  Snapshot_Reset();
  std::vector<WALL_VERTEXES> walls(KRED_MAX_WALLS);
  std::vector<EDITOR_OBJECT> actors(KRED_MAX_ACTORS);
  for (int i = 0; i < KRED_MAX_WALLS; i++)
    walls[i] = {(uint32_t)i, (float)i, 1.0f, (float)i + 1, 2.0f};
  for (int i = 0; i < KRED_MAX_ACTORS; i++)
    actors[i] = {(int16_t)i, 0, (float)i, 3.0f, 1, (uint32_t)i};
  EDITOR_UPDATE_POSITION eup = {};
  eup.dwSectorHandle = 5;
  eup.iWallCount = KRED_MAX_WALLS;
  eup.fpWSet = walls.data();
  eup.iActorCount = KRED_MAX_ACTORS;
  eup.pp = actors.data();
  for (auto _ : state) {
    eup.x += 1.0f;
    benchmark::DoNotOptimize(Snapshot_Publish(&eup));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SnapshotPublish);

void BM_PostKeyPullKey(benchmark::State &state) {
  KeyRing_Reset();
  uint32_t dwKey = 1;
  for (auto _ : state) {
    KeyRing_Post(dwKey++);
    benchmark::DoNotOptimize(PullKey());
  }
}
BENCHMARK(BM_PostKeyPullKey);

} // namespace
