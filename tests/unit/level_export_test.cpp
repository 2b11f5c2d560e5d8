#include "level_export.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "fixup_tables.h"
#include "fixup_writer.h"
#include "kred_records.h"

namespace {

// A small level answering ordinal requests the way the game does: it puts
// the real tags into the request and records what it was asked.
struct FakeSector {
  uint32_t dwTag;
  const char *szName;
  const char *szSound; // null: fill the whole array with 'Z', unterminated
  std::vector<uint32_t> walls;
};

std::vector<FakeSector> fhLevel;
std::vector<std::string> fhCalls;
uint32_t fhEndlessWallsInSector = UINT32_MAX;

uint32_t KRED_CDECL FakeHost(uint16_t wCode, uintptr_t dwArg) {
  if (wCode == KREQ_GET_SECTOR) {
    SECTOR_DATA *sd = (SECTOR_DATA *)dwArg;
    fhCalls.push_back("S" + std::to_string(sd->bOrdinal) + ":" + std::to_string(sd->dwSectorTag));
    if (sd->dwSectorTag >= fhLevel.size())
      return 1;
    const FakeSector &s = fhLevel[sd->dwSectorTag];
    // A name as long as the array fills it without a terminator, as a game may.
    memset(sd->szSectorName, 0, sizeof(sd->szSectorName));
    memcpy(sd->szSectorName, s.szName, strnlen(s.szName, sizeof(sd->szSectorName)));
    memset(sd->szSoundName, s.szSound == nullptr ? 'Z' : 0, sizeof(sd->szSoundName));
    if (s.szSound != nullptr)
      strcpy(sd->szSoundName, s.szSound);
    sd->wLight = (uint16_t)(sd->dwSectorTag + 10);
    sd->dwSectorTag = s.dwTag;
    sd->bOrdinal = 0; // a game that fills the whole record, addressing field included
    return 0;
  }
  if (wCode == KREQ_GET_WALL) {
    WALL_DATA_REQUEST *r = (WALL_DATA_REQUEST *)dwArg;
    fhCalls.push_back("W" + std::to_string(r->bOrdinal) + ":" + std::to_string(r->dwSectorTag) +
                      "," + std::to_string(r->dwWallTag));
    if (r->dwSectorTag >= fhLevel.size())
      return 1;
    const FakeSector &s = fhLevel[r->dwSectorTag];
    if (r->dwSectorTag == fhEndlessWallsInSector) {
      r->wd->dwWallTag = r->dwWallTag;
      r->dwSectorTag = s.dwTag;
      return 0;
    }
    if (r->dwWallTag >= s.walls.size())
      return 1;
    memset(r->wd, 0, sizeof(*r->wd));
    r->wd->dwWallTag = s.walls[r->dwWallTag];
    r->wd->dwFlag1 = r->dwWallTag;
    r->dwSectorTag = s.dwTag;
    r->dwWallTag = s.walls[r->dwWallTag];
    r->bOrdinal = 0;
    return 0;
  }
  ADD_FAILURE() << "unexpected request " << wCode;
  return 1;
}

class WholeLevel : public ::testing::Test {
protected:
  void SetUp() override {
    FreeChangeTables();
    fhLevel = {{0x100, "Entry", "STEP.WAV", {0x11, 0x12}},
               {0x200, "", "", {}},
               {0x300, "Pit", "a.b.c", {0x31}},
               {0x400, "Long", nullptr, {}}};
    fhCalls.clear();
    fhEndlessWallsInSector = UINT32_MAX;
  }
  void TearDown() override {
    ChangeTables_FailAllocations(0, 0);
    FreeChangeTables();
  }
};

std::vector<std::string> Keys(const _kred_fixup *p) {
  std::vector<std::string> keys;
  for (; p != nullptr; p = p->ofNextFixup) {
    char sz[40];
    snprintf(sz, sizeof(sz), "%d:%X,%X", (int)p->oftType, (unsigned)p->dwModTag1,
             (unsigned)p->dwModTag2);
    keys.push_back(sz);
  }
  return keys;
}

const std::vector<std::string> wantAllKeys = {"0:100,0", "1:100,11", "1:100,12", "0:200,0",
                                              "0:300,0", "1:300,31", "0:400,0"};

const SECTOR_DATA *FixupSector(uint32_t dwTag) {
  for (_kred_fixup *p = ofMaster; p != nullptr; p = p->ofNextFixup)
    if (p->oftType == OFT_SECTOR && p->dwModTag1 == dwTag)
      return (const SECTOR_DATA *)FixupPayload(p);
  return nullptr;
}

// The overdub names replace the host's, keyed by the sector's tag, not its
// ordinal, and cut to the record's arrays; the sound loses its extension.
TEST_F(WholeLevel, WalksByOrdinalAndRecordsUnderTheHostsTags) {
  SECTOR_OVERDUB od = {"WATER.VOC", "Renamed Hall"};
  AddToOverdubTable(OFT_SECTOR, 0x200, 0, &od, sizeof(od));
  memset(od.szSoundName, 'q', sizeof(od.szSoundName));
  memset(od.szSectorName, 'n', sizeof(od.szSectorName));
  AddToOverdubTable(OFT_SECTOR, 0x300, 0, &od, sizeof(od));
  strcpy(od.szSectorName, "ordinal");
  AddToOverdubTable(OFT_SECTOR, 0, 0, &od, sizeof(od));

  WHOLE_LEVEL_EXPORT r = Fixup_AddWholeLevel(FakeHost);
  EXPECT_EQ(r.iSectors, 4);
  EXPECT_EQ(r.iWalls, 3);
  EXPECT_EQ(r.iNotRecorded, 0);
  const std::vector<std::string> want = {"S1:0", "W1:0,0", "W1:0,1", "W1:0,2", "S1:1",   "W1:1,0",
                                         "S1:2", "W1:2,0", "W1:2,1", "S1:3",   "W1:3,0", "S1:4"};
  EXPECT_EQ(fhCalls, want);
  EXPECT_EQ(Keys(ofMaster), wantAllKeys);
  EXPECT_EQ(orMaster, nullptr);
  EXPECT_STREQ(FixupSector(0x100)->szSoundName, "STEP");
  EXPECT_STREQ(FixupSector(0x100)->szSectorName, "Entry");
  EXPECT_STREQ(FixupSector(0x200)->szSoundName, "WATER");
  EXPECT_STREQ(FixupSector(0x200)->szSectorName, "Renamed Hall");
  EXPECT_EQ(std::string(FixupSector(0x300)->szSoundName), std::string(39, 'q'));
  EXPECT_EQ(std::string(FixupSector(0x300)->szSectorName), std::string(79, 'n'));
  EXPECT_EQ(FixupSector(0x300)->wLight, 12);
  // An unterminated sound from the host is mended to 39 characters.
  EXPECT_EQ(std::string(FixupSector(0x400)->szSoundName), std::string(39, 'Z'));

  // No sectors, or no host: nothing asked further, nothing recorded.
  fhLevel.clear();
  fhCalls.clear();
  EXPECT_EQ(Fixup_AddWholeLevel(FakeHost).iSectors, 0);
  EXPECT_EQ(fhCalls, std::vector<std::string>{"S1:0"});
  EXPECT_EQ(Fixup_AddWholeLevel(nullptr).iSectors, 0);
  EXPECT_EQ(ChangeTables_Count(ofMaster), 7);
}

TEST_F(WholeLevel, HostThatNeverRunsOutOfWallsIsCut) {
  fhLevel.resize(1);
  fhEndlessWallsInSector = 0;
  WHOLE_LEVEL_EXPORT r = Fixup_AddWholeLevel(FakeHost);
  EXPECT_EQ(r.iSectors, 1);
  EXPECT_EQ(r.iWalls, 100000);
  EXPECT_EQ(ChangeTables_Count(ofMaster), 1 + 100000);
  EXPECT_EQ(fhCalls.back(), "S1:1");
}

// Out of memory part-way: the export goes on, counts what it could not
// keep, and the table holds the rest in the level's order, ready to save.
TEST_F(WholeLevel, RecordsThatCannotBeKeptAreCounted) {
  // iNotRecorded -1: any number.
  // clang-format off
  const struct { long nAllowed, nFailing; int iNotRecorded; } cases[] = {
      {0, -1, 7}, {1000, 0, 0}, {0, 1, -1}, {3, 2, -1}, {6, -1, -1}};
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.nAllowed << " then " << c.nFailing);
    FreeChangeTables();
    ASSERT_TRUE(ChangeTables_SelectLevel("L"));
    ChangeTables_FailAllocations(c.nAllowed, c.nFailing);
    WHOLE_LEVEL_EXPORT r = Fixup_AddWholeLevel(FakeHost);
    ChangeTables_FailAllocations(0, 0);
    EXPECT_EQ(r.iSectors + r.iWalls, 7);
    if (c.iNotRecorded >= 0) {
      EXPECT_EQ(r.iNotRecorded, c.iNotRecorded);
    }
    std::vector<std::string> keys = Keys(ofMaster);
    EXPECT_EQ((int)keys.size(), 7 - r.iNotRecorded);
    // What was kept is in the walk's order.
    size_t k = 0;
    for (const std::string &want : wantAllKeys)
      if (k < keys.size() && keys[k] == want)
        k++;
    EXPECT_EQ(k, keys.size());
    // A second export with memory records the missing ones too.
    EXPECT_EQ(Fixup_AddWholeLevel(FakeHost).iNotRecorded, 0);
    if (r.iNotRecorded < 7) {
      EXPECT_EQ(Keys(ofMaster).front(), keys.front());
    }
    EXPECT_EQ(ChangeTables_Count(ofMaster), 7);
  }
}

// The export records into the selected level and reads that level's
// overdubs only. Exported again, records keep their places (those recorded
// before the first export too) and the file stays the same.
TEST_F(WholeLevel, RecordsIntoTheSelectedLevelInPlace) {
  SECTOR_OVERDUB od = {"", "Named in A"};
  ASSERT_TRUE(ChangeTables_SelectLevel("A"));
  AddToOverdubTable(OFT_SECTOR, 0x100, 0, &od, sizeof(od));
  SECTOR_DATA sd = {};
  sd.dwSectorTag = 0x300;
  AddToFixupTable(OFT_SECTOR, 0x300, 0, &sd, sizeof(sd));
  WALL_DATA wd = {};
  AddToFixupTable(OFT_WALL, 0x300, 0x31, &wd, sizeof(wd));
  ASSERT_TRUE(ChangeTables_SelectLevel("B"));
  Fixup_AddWholeLevel(FakeHost);
  EXPECT_STREQ(FixupSector(0x100)->szSectorName, "Entry");
  ASSERT_TRUE(ChangeTables_SelectLevel("A"));
  Fixup_AddWholeLevel(FakeHost);
  std::string first, again;
  Fixup_FormatAll(first);
  Fixup_AddWholeLevel(FakeHost);
  Fixup_FormatAll(again);
  EXPECT_EQ(again, first);
  EXPECT_STREQ(FixupSector(0x100)->szSectorName, "Named in A");
  EXPECT_STREQ(FixupSector(0x300)->szSectorName, "Pit");
  std::vector<std::string> keys = Keys(ofMaster);
  EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 2),
            (std::vector<std::string>{"0:300,0", "1:300,31"}));
  EXPECT_EQ(keys.size(), 7u);
  EXPECT_EQ(ChangeTables_Count(ChangeTables_LevelFixups(1)), 7);
}

} // namespace
