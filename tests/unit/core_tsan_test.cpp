// Stress tests of the lock-free handoffs between the host's frame thread and
// the editor thread, run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "geometry.h"
#include "keyring.h"
#include "runs.h"
#include "selection.h"
#include "snapshot.h"
#include "textures.h"

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

TEST(CoreTsan, PicksStayWithTheSectorTheyWereMadeIn) {
  // The host walks through sectors 1 to 5 as fast as it can; wall i of sector
  // s carries the tag s * 1000 + i. At every read, each listed wall must
  // have been picked in the sector that read shows.
  ASSERT_TRUE(Snapshot_Alloc());
  Snapshot_Reset();
  Selection_Reset();
  std::atomic<bool> bDone{false};
  std::thread host([&] {
    std::vector<WALL_VERTEXES> walls(40);
    EDITOR_UPDATE_POSITION eup = {};
    for (uint32_t n = 0; !bDone.load(); n++) {
      eup.dwSectorHandle = 1 + n / 16 % 5;
      for (size_t i = 0; i < walls.size(); i++)
        walls[i] = {eup.dwSectorHandle * 1000 + (uint32_t)i, -10, 10, 10, 10};
      eup.iWallCount = (int32_t)walls.size();
      eup.fpWSet = walls.data();
      Snapshot_Publish(&eup);
    }
  });

  uint32_t dwPickedIn[KRED_MAX_SELECTIONS] = {};
  int nBad = 0, nReads = 0;
  auto tEnd = std::chrono::steady_clock::now() + kRunTime;
  for (int i = 0; TimeLeft(tEnd); i++, nReads++) {
    const EDITOR_VIEW &pv = pvSet[Selection_BeginRead(nullptr)];
    for (int k = 0; k < wCurrentWallSelections.load(); k++) {
      int w = wWallSelectionSet[k];
      nBad += dwPickedIn[w] != pv.dwSectorHandle || pv.fpWSet[w].dwWallTag % 1000 != (uint32_t)w;
    }
    nBad += TargetedWall() >= pv.iWallCount;
    for (int w : {i % 37, (i * 7) % 40}) {
      if (w < pv.iWallCount) { // as the view picks: walls it drew
        AddWallToSelectedList(w);
        dwPickedIn[w] = pv.dwSectorHandle;
      }
    }
    std::this_thread::yield(); // the host publishes while the read is held
    Selection_EndRead();
  }
  bDone.store(true);
  host.join();
  EXPECT_EQ(nBad, 0);
  EXPECT_GT(nReads, 10);
  Selection_Reset();
  Snapshot_Reset();
}

TEST(CoreTsan, KillFlagIsClearedOnceWhateverTheTiming) {
  // Each cycle the editor thread ends either on its own ("&DONE") or on the
  // host's kill, while the host kills at a moment of its own. Two writes of
  // the flag would be a race the sanitizer reports; a flag left at 1 after
  // the thread is out is a lost handshake.
  Run_ResetAll();
  int nLeftSet = 0, nKilledRuns = 0, nCycles = 0;
  auto tEnd = std::chrono::steady_clock::now() + kRunTime;
  for (uint32_t n = 1; TimeLeft(tEnd); n++) {
    KRED_RUN *r = Run_Start(nullptr);
    ASSERT_NE(r, nullptr);
    Run_MakeCurrent(r);
    uint32_t dwFlag = 1;
    std::thread editor([r, n] {
      r->dwThreadId.store(n);
      for (uint32_t k = 0; k < n % 13 && !Run_KillRequested(r); k++)
        std::this_thread::yield();
      Run_ReturnFlag(r);
      Run_Retire(r);
      Run_Free(r);
    });
    for (uint32_t k = 0; k < n % 7; k++)
      std::this_thread::yield();
    nKilledRuns += Run_Kill(&dwFlag) != nullptr;
    editor.join();
    nLeftSet += dwFlag != 0;
    nCycles++;
  }
  EXPECT_EQ(nLeftSet, 0);
  EXPECT_GT(nCycles, 100);
  EXPECT_GT(nKilledRuns, 0);
  EXPECT_EQ(Run_Current(), nullptr);
  Run_ResetAll();
}

TEST(CoreTsan, TheTableIsReadOnlyOnceItsWakeHasBuiltIt) {
  // WakeUpDLL starts the editor thread and builds the table afterwards; the
  // editor reads the names once its wake is built, and must then see all of
  // them (a read during the build would be a race the sanitizer reports).
  ASSERT_TRUE(Textures_Alloc());
  char szNames[3][16];
  int nBad = 0, nCycles = 0;
  auto tEnd = std::chrono::steady_clock::now() + kRunTime;
  for (uint32_t n = 1; TimeLeft(tEnd); n++) {
    SHARED_TEXTURE_DATA list[4] = {};
    for (int i = 0; i < 3; i++) {
      snprintf(szNames[i], sizeof(szNames[i]), "W%u_%d", n, i);
      list[i].szName = szNames[i];
      list[i].w = list[i].h = 64;
    }
    uint32_t dwWake = Textures_TakeWake();
    std::thread editor([dwWake, n, &nBad] {
      while (!Textures_WakeReady(dwWake))
        std::this_thread::yield();
      char szWant[16];
      snprintf(szWant, sizeof(szWant), "W%u_2", n);
      if (Textures_Count() != 3 || strcmp(feTextures[2].szFile, szWant) != 0)
        nBad++;
    });
    for (uint32_t k = 0; k < n % 5; k++)
      std::this_thread::yield();
    Textures_Build(list);
    Textures_WakeBuilt(dwWake);
    editor.join();
    nCycles++;
  }
  EXPECT_EQ(nBad, 0);
  EXPECT_GT(nCycles, 100);
  Textures_Free();
}

} // namespace
