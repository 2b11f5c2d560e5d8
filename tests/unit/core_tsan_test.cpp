// Stress tests of the lock-free handoffs between the host's frame thread and
// the editor thread, run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "geometry.h"
#include "keyring.h"
#include "selection.h"
#include "snapshot.h"

namespace {

const auto kRunTime = std::chrono::milliseconds(500);

bool TimeLeft(std::chrono::steady_clock::time_point tEnd) {
  return std::chrono::steady_clock::now() < tEnd;
}

TEST(CoreTsan, KeysArriveInOrderWithoutLossBelowCapacity) {
  KeyRing_Reset();
  std::atomic<bool> bDone{false};
  std::atomic<uint32_t> dwPulled{0};
  uint32_t dwPosted = 0;
  uint32_t dwBad = 0;

  std::thread consumer([&] {
    uint32_t dwWant = 1;
    for (;;) {
      bool bFinished = bDone.load();
      uint32_t dwKey = PullKey();
      if (dwKey == 0) {
        if (bFinished)
          break;
        std::this_thread::yield();
        continue;
      }
      if (dwKey != dwWant)
        dwBad++;
      dwWant = dwKey + 1;
      dwPulled.store(dwWant - 1);
    }
  });

  // The producer keeps at most 99 keys unread, so none may be dropped.
  auto tEnd = std::chrono::steady_clock::now() + kRunTime;
  while (TimeLeft(tEnd)) {
    if (dwPosted - dwPulled.load() >= KRED_KEY_SLOTS - 1) {
      std::this_thread::yield();
      continue;
    }
    KeyRing_Post(++dwPosted);
  }
  bDone.store(true);
  consumer.join();

  EXPECT_EQ(dwBad, 0u);
  EXPECT_EQ(dwPulled.load(), dwPosted);
  EXPECT_GT(dwPosted, 1000u);
}

// An update whose every field carries the sequence number n.
void Stamp(EDITOR_UPDATE_POSITION *eup, std::vector<WALL_VERTEXES> &walls,
           std::vector<EDITOR_OBJECT> &actors, uint32_t n) {
  float f = (float)n;
  for (WALL_VERTEXES &wv : walls)
    wv = {n, f, f, f, f};
  for (EDITOR_OBJECT &eo : actors)
    eo = {(int16_t)n, 0, f, f, (int32_t)n, n};
  eup->x = f;
  eup->z = f;
  eup->sAngle = (int16_t)n;
  eup->dwSectorHandle = 1;
  eup->wSectorNumber = (uint16_t)n;
  eup->iWallCount = (int32_t)walls.size();
  eup->fpWSet = walls.data();
  eup->iActorCount = (int32_t)actors.size();
  eup->pp = actors.data();
  int32_t *pru = &eup->ruCurrent.peakActiveWindows;
  for (int i = 0; i < 9; i++)
    pru[i] = (int32_t)n;
}

// Counts the fields of a snapshot that do not carry its x as stamp.
int TornFields(const EDITOR_VIEW &pv) {
  uint32_t n = (uint32_t)pv.x;
  float f = pv.x;
  int nBad = 0;
  nBad += pv.y != f;
  nBad += pv.sAngle != (int16_t)n;
  nBad += pv.wSectorNumber != (uint16_t)n;
  nBad += pv.iWallCount != KRED_MAX_WALLS;
  nBad += pv.iActorCount != KRED_MAX_ACTORS;
  const int32_t *pru = &pv.ruData.peakActiveWindows;
  for (int i = 0; i < 9; i++)
    nBad += pru[i] != (int32_t)n;
  for (int i = 0; i < KRED_MAX_WALLS; i++) {
    const WALL_VERTEXES &wv = pv.fpWSet[i];
    nBad += wv.dwWallTag != n || wv.v1x != f || wv.v1y != f || wv.v2x != f || wv.v2y != f;
  }
  for (int i = 0; i < KRED_MAX_ACTORS; i++) {
    const EDITOR_OBJECT &eo = pv.pp[i];
    nBad +=
        eo.sDir != (int16_t)n || eo.x != f || eo.y != f || eo.iType != (int32_t)n || eo.dwTag != n;
  }
  return nBad;
}

TEST(CoreTsan, ReaderNeverSeesATornSnapshot) {
  ASSERT_TRUE(Snapshot_Alloc());
  Snapshot_Reset();
  std::vector<WALL_VERTEXES> walls(KRED_MAX_WALLS);
  std::vector<EDITOR_OBJECT> actors(KRED_MAX_ACTORS);
  EDITOR_UPDATE_POSITION eup = {};
  Stamp(&eup, walls, actors, 1);
  ASSERT_EQ(Snapshot_Publish(&eup), 1u);

  std::atomic<bool> bDone{false};
  uint32_t dwAccepted = 1;
  std::thread host([&] {
    uint32_t n = 2;
    Stamp(&eup, walls, actors, n);
    while (!bDone.load()) {
      if (Snapshot_Publish(&eup)) {
        dwAccepted++;
        Stamp(&eup, walls, actors, ++n);
      }
    }
  });

  int nReads = 0, nTorn = 0, nBackwards = 0;
  uint32_t dwLastSeen = 0;
  auto tEnd = std::chrono::steady_clock::now() + kRunTime;
  while (TimeLeft(tEnd)) {
    int iSlot = Snapshot_BeginRead();
    const EDITOR_VIEW &pv = pvSet[iSlot];
    uint32_t n = (uint32_t)pv.x;
    // Read twice, with a pause, so an overwrite during the read shows.
    int nBad = TornFields(pv);
    std::this_thread::yield();
    nBad += TornFields(pv);
    nBad += FindFacedWall(&pv) == -2; // keeps the search under the race detector
    Snapshot_EndRead();
    nTorn += nBad != 0;
    nBackwards += n < dwLastSeen;
    dwLastSeen = n;
    nReads++;
  }
  bDone.store(true);
  host.join();

  EXPECT_EQ(nTorn, 0);
  EXPECT_EQ(nBackwards, 0);
  EXPECT_GT(nReads, 10);
  EXPECT_GT(dwAccepted, 10u);
  Snapshot_Reset();
}

TEST(CoreTsan, SectorChangesEmptyTheSelectionWhileItIsEdited) {
  ASSERT_TRUE(Snapshot_Alloc());
  Snapshot_Reset();
  ClearWallSelection();
  std::atomic<bool> bDone{false};
  std::thread host([&] {
    EDITOR_UPDATE_POSITION eup = {};
    uint32_t dwSector = 0;
    while (!bDone.load()) {
      eup.dwSectorHandle = dwSector++ / 64;
      Snapshot_Publish(&eup);
    }
  });

  int nBad = 0;
  auto tEnd = std::chrono::steady_clock::now() + kRunTime;
  for (int i = 0; TimeLeft(tEnd); i++) {
    AddWallToSelectedList(i % 37);
    ToggleWallInSelectedList(i % 11);
    int n = wCurrentWallSelections.load();
    nBad += n > KRED_MAX_SELECTIONS;
    nBad += TargetedWall() >= KRED_MAX_WALLS;
    IsWallInSelectionList(i % 5);
  }
  bDone.store(true);
  host.join();
  EXPECT_EQ(nBad, 0);
  ClearWallSelection();
  Snapshot_Reset();
}

} // namespace
