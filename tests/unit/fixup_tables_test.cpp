#include "fixup_tables.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "kred_records.h"
#include "textures.h"

namespace {

class FixupTables : public ::testing::Test {
protected:
  void SetUp() override { FreeChangeTables(); }
  void TearDown() override {
    ChangeTables_FailAllocations(0, 0);
    FreeChangeTables();
  }
};

// Both replace-or-append tables, driven through the same cases.
struct ReplaceTable {
  const char *szName;
  bool (*pfnAdd)(int32_t, uint32_t, uint32_t, const void *, int);
  _kred_fixup **ppHead;
};

const ReplaceTable rtTables[] = {
    {"overdub", AddToOverdubTable, &odMaster},
    {"fixup", AddToFixupTable, &ofMaster},
};

std::vector<uint32_t> ListValues(const _kred_fixup *p) {
  std::vector<uint32_t> v;
  for (; p != nullptr; p = p->ofNextFixup) {
    uint32_t dw;
    memcpy(&dw, FixupPayload(const_cast<_kred_fixup *>(p)), sizeof(dw));
    v.push_back(dw);
  }
  return v;
}

std::vector<uint32_t> ListTags(const _kred_fixup *p) {
  std::vector<uint32_t> v;
  for (; p != nullptr; p = p->ofNextFixup)
    v.push_back(p->dwModTag1);
  return v;
}

TEST_F(FixupTables, ReRecordedKeyKeepsItsPlaceWithNewContent) {
  for (const ReplaceTable &t : rtTables) {
    SCOPED_TRACE(t.szName);
    FreeChangeTables();
    uint32_t a1 = 11, b = 22, a2 = 33, c = 44;
    t.pfnAdd(OFT_SECTOR, 0xA, 0, &a1, 4);
    t.pfnAdd(OFT_SECTOR, 0xB, 0, &b, 4);
    t.pfnAdd(OFT_SECTOR, 0xA, 0, &a2, 4);
    EXPECT_EQ(ChangeTables_Count(*t.ppHead), 2);
    EXPECT_EQ(ListTags(*t.ppHead), (std::vector<uint32_t>{0xA, 0xB}));
    EXPECT_EQ(ListValues(*t.ppHead), (std::vector<uint32_t>{33, 22}));
    // The tail is still right after a replacement: new keys go last.
    t.pfnAdd(OFT_SECTOR, 0xC, 0, &c, 4);
    EXPECT_EQ(ListTags(*t.ppHead), (std::vector<uint32_t>{0xA, 0xB, 0xC}));
  }
}

TEST_F(FixupTables, SameSizeReplacementUpdatesEarlierLookups) {
  SECTOR_OVERDUB od = {};
  strcpy(od.szSoundName, "DRIP");
  AddToOverdubTable(OFT_SECTOR, 7, 0, &od, sizeof(od));
  const SECTOR_OVERDUB *p = (const SECTOR_OVERDUB *)FindAnOverdub(OFT_SECTOR, 7, 0);
  ASSERT_NE(p, nullptr);
  strcpy(od.szSoundName, "SPLASH");
  AddToOverdubTable(OFT_SECTOR, 7, 0, &od, sizeof(od));
  EXPECT_EQ(FindAnOverdub(OFT_SECTOR, 7, 0), p);
  EXPECT_STREQ(p->szSoundName, "SPLASH");
}

TEST_F(FixupTables, ResizedReplacementKeepsPositionAtHeadMiddleAndTail) {
  for (const ReplaceTable &t : rtTables) {
    SCOPED_TRACE(t.szName);
    FreeChangeTables();
    uint32_t small[1] = {1};
    for (uint32_t tag = 1; tag <= 3; tag++)
      t.pfnAdd(OFT_WALL, tag, 5, small, sizeof(small));
    for (uint32_t tag = 1; tag <= 3; tag++) {
      uint32_t big[4] = {100 + tag, 0, 0, 0};
      t.pfnAdd(OFT_WALL, tag, 5, big, sizeof(big));
    }
    uint32_t d = 4;
    t.pfnAdd(OFT_WALL, 4, 5, &d, 4);
    EXPECT_EQ(ListTags(*t.ppHead), (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(ListValues(*t.ppHead), (std::vector<uint32_t>{101, 102, 103, 4}));
    for (const _kred_fixup *p = *t.ppHead; p != nullptr; p = p->ofNextFixup)
      EXPECT_EQ(p->iSize, p->dwModTag1 == 4 ? 4 : 16);
  }
}

TEST_F(FixupTables, ReplacingFromItsOwnPayloadIsSafe) {
  uint32_t v[2] = {5, 6};
  AddToFixupTable(OFT_SECTOR, 1, 0, v, sizeof(v));
  void *p = FixupPayload(ofMaster);
  AddToFixupTable(OFT_SECTOR, 1, 0, p, sizeof(v));              // same size, same bytes
  AddToFixupTable(OFT_SECTOR, 1, 0, FixupPayload(ofMaster), 4); // shrinks
  EXPECT_EQ(ListValues(ofMaster), (std::vector<uint32_t>{5}));
}

TEST_F(FixupTables, RevertKeepsTheFirstRecord) {
  uint32_t first = 1, second = 2, other = 3;
  AddToRevertTable(OFT_WALL, 9, 4, &first, 4);
  uint32_t *p = (uint32_t *)FindRevertTableEntry(OFT_WALL, 9, 4);
  AddToRevertTable(OFT_WALL, 9, 4, &second, 4);
  AddToRevertTable(OFT_WALL, 9, 4, &second, 8); // another size changes nothing either
  AddToRevertTable(OFT_WALL, 8, 4, &other, 4);
  EXPECT_EQ(ChangeTables_Count(orMaster), 2);
  EXPECT_EQ(FindRevertTableEntry(OFT_WALL, 9, 4), p);
  EXPECT_EQ(*p, 1u);
  EXPECT_EQ(orMaster->iSize, 4);
  EXPECT_EQ(ListTags(orMaster), (std::vector<uint32_t>{9, 8}));
}

TEST_F(FixupTables, KeyIsTheWholeTriple) {
  // (0,S,0) and (1,S,0) are different keys; so are the tag orders.
  uint32_t sector = 1, wall = 2, swapped = 3;
  AddToRevertTable(OFT_SECTOR, 0x40, 0, &sector, 4);
  AddToRevertTable(OFT_WALL, 0x40, 0, &wall, 4);
  AddToRevertTable(OFT_WALL, 0, 0x40, &swapped, 4);
  AddToOverdubTable(OFT_SECTOR, 0x40, 0, &sector, 4);
  AddToOverdubTable(OFT_WALL, 0x40, 0, &wall, 4);
  EXPECT_EQ(ChangeTables_Count(orMaster), 3);
  EXPECT_EQ(ChangeTables_Count(odMaster), 2);
  EXPECT_EQ(*(uint32_t *)FindRevertTableEntry(OFT_SECTOR, 0x40, 0), 1u);
  EXPECT_EQ(*(uint32_t *)FindRevertTableEntry(OFT_WALL, 0x40, 0), 2u);
  EXPECT_EQ(*(uint32_t *)FindRevertTableEntry(OFT_WALL, 0, 0x40), 3u);
  EXPECT_EQ(*(uint32_t *)FindAnOverdub(OFT_WALL, 0x40, 0), 2u);
  EXPECT_EQ(FindAnOverdub(OFT_VERTEX, 0x40, 0), nullptr);
  // The tables are separate: a revert entry is not an overdub.
  EXPECT_EQ(FindAnOverdub(OFT_WALL, 0, 0x40), nullptr);
}

TEST_F(FixupTables, EmptyTablesAndCounts) {
  EXPECT_EQ(FindAnOverdub(OFT_SECTOR, 0, 0), nullptr);
  EXPECT_EQ(FindRevertTableEntry(OFT_SECTOR, 0, 0), nullptr);
  EXPECT_EQ(ChangeTables_Count(nullptr), 0);
  EXPECT_EQ(FixupPayload(nullptr), nullptr);
}

TEST_F(FixupTables, InvalidInputRecordsNothing) {
  uint32_t v = 1;
  AddToFixupTable(OFT_SECTOR, 1, 0, nullptr, 4);
  AddToFixupTable(OFT_SECTOR, 2, 0, &v, -1);
  AddToOverdubTable(OFT_SECTOR, 1, 0, nullptr, 160);
  AddToRevertTable(OFT_SECTOR, 1, 0, nullptr, 296);
  AddToRevertTable(OFT_SECTOR, 1, 0, &v, -4);
  EXPECT_EQ(ofMaster, nullptr);
  EXPECT_EQ(odMaster, nullptr);
  EXPECT_EQ(orMaster, nullptr);
  // An invalid re-recording leaves the existing entry alone.
  AddToFixupTable(OFT_SECTOR, 3, 0, &v, 4);
  AddToFixupTable(OFT_SECTOR, 3, 0, nullptr, 4);
  AddToFixupTable(OFT_SECTOR, 3, 0, &v, -2);
  ASSERT_EQ(ChangeTables_Count(ofMaster), 1);
  EXPECT_EQ(ofMaster->iSize, 4);
  EXPECT_EQ(ListValues(ofMaster), (std::vector<uint32_t>{1}));
}

TEST_F(FixupTables, PayloadsSitOnEightByteBoundaries) {
  SECTOR_DATA sd = {};
  sd.dVZ = 2.5;
  AddToFixupTable(OFT_SECTOR, 1, 0, &sd, sizeof(sd));
  AddToRevertTable(OFT_SECTOR, 1, 0, &sd, sizeof(sd));
  EXPECT_EQ((uintptr_t)FixupPayload(ofMaster) % 8, 0u);
  EXPECT_EQ(((SECTOR_DATA *)FindRevertTableEntry(OFT_SECTOR, 1, 0))->dVZ, 2.5);
}

// Under LeakSanitizer a table that FreeChangeTables misses shows up as lost
// memory once the globals are cleared.
TEST_F(FixupTables, FreeEmptiesAllTablesAndTheyFillAgain) {
  for (int round = 0; round < 3; round++) {
    SCOPED_TRACE(round);
    WALL_DATA wd = {};
    SECTOR_OVERDUB od = {};
    for (uint32_t i = 0; i < 500; i++) {
      wd.dwWallTag = i;
      AddToFixupTable(OFT_WALL, i / 10, i % 10, &wd, sizeof(wd));
      AddToRevertTable(OFT_WALL, i / 10, i % 10, &wd, sizeof(wd));
      AddToOverdubTable(OFT_SECTOR, i, 0, &od, sizeof(od));
    }
    EXPECT_EQ(ChangeTables_Count(ofMaster), 500);
    EXPECT_EQ(ChangeTables_Count(orMaster), 500);
    EXPECT_EQ(ChangeTables_Count(odMaster), 500);
    FreeChangeTables();
    EXPECT_EQ(ofMaster, nullptr);
    EXPECT_EQ(orMaster, nullptr);
    EXPECT_EQ(odMaster, nullptr);
    EXPECT_EQ(FindRevertTableEntry(OFT_WALL, 0, 0), nullptr);
    EXPECT_EQ(FindAnOverdub(OFT_SECTOR, 0, 0), nullptr);
  }
}

// Key patterns a host might produce, including ones that differ only in
// high bits or that share every low bit.
struct KeyPattern {
  const char *szName;
  void (*pfnKey)(uint32_t i, int32_t *oft, uint32_t *dwTag1, uint32_t *dwTag2);
};

const KeyPattern kpPatterns[] = {
    {"export order",
     [](uint32_t i, int32_t *oft, uint32_t *t1, uint32_t *t2) {
       *oft = i % 11 == 0 ? OFT_SECTOR : OFT_WALL;
       *t1 = i / 11;
       *t2 = i % 11 == 0 ? 0 : i % 11 - 1;
     }},
    {"high bits only",
     [](uint32_t i, int32_t *oft, uint32_t *t1, uint32_t *t2) {
       *oft = OFT_WALL;
       *t1 = (i & 0xFF) << 24;
       *t2 = (i >> 8) << 20;
     }},
    {"same sum",
     [](uint32_t i, int32_t *oft, uint32_t *t1, uint32_t *t2) {
       *oft = OFT_WALL;
       *t1 = i;
       *t2 = 0x100000u - 16u * i;
     }},
    {"types only",
     [](uint32_t i, int32_t *oft, uint32_t *t1, uint32_t *t2) {
       *oft = (int32_t)(i * 0x10001u);
       *t1 = 5;
       *t2 = 5;
     }},
    {"repeats, scrambled",
     [](uint32_t i, int32_t *oft, uint32_t *t1, uint32_t *t2) {
       *oft = OFT_SECTOR;
       *t1 = ((i * 7919u) % 3001u) << 16;
       *t2 = 0;
     }},
};

TEST_F(FixupTables, ManyKeysKeepFirstRecordedOrder) {
  const uint32_t n = 6000;
  for (const KeyPattern &kp : kpPatterns) {
    SCOPED_TRACE(kp.szName);
    FreeChangeTables();
    std::vector<std::tuple<int32_t, uint32_t, uint32_t>> keys;
    for (uint32_t i = 0; i < n; i++) {
      int32_t oft;
      uint32_t t1, t2;
      kp.pfnKey(i, &oft, &t1, &t2);
      keys.emplace_back(oft, t1, t2);
      AddToFixupTable(oft, t1, t2, &i, 4);
      AddToRevertTable(oft, t1, t2, &i, 4);
    }
    // Record everything again, last first: order stays, content is new.
    for (uint32_t i = n; i-- > 0;) {
      uint32_t v = i + n;
      AddToFixupTable(std::get<0>(keys[i]), std::get<1>(keys[i]), std::get<2>(keys[i]), &v, 4);
    }
    std::vector<uint32_t> wantFixup, wantRevert;
    std::set<std::tuple<int32_t, uint32_t, uint32_t>> seen;
    for (uint32_t i = 0; i < n; i++)
      if (seen.insert(keys[i]).second) {
        wantRevert.push_back(i);
        // The reverse pass ends on the key's first index.
        wantFixup.push_back(i + n);
      }
    EXPECT_EQ(ListValues(ofMaster), wantFixup);
    EXPECT_EQ(ListValues(orMaster), wantRevert);
    for (uint32_t i = 0; i < n; i += 97) {
      uint32_t *p = (uint32_t *)FindRevertTableEntry(std::get<0>(keys[i]), std::get<1>(keys[i]),
                                                     std::get<2>(keys[i]));
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(keys[*p], keys[i]);
    }
  }
}

// Everything a table holds, in list order: key, size and the first word.
typedef std::tuple<int32_t, uint32_t, uint32_t, int32_t, uint32_t> Entry;
std::vector<Entry> Snapshot(const _kred_fixup *p) {
  std::vector<Entry> v;
  for (; p != nullptr; p = p->ofNextFixup) {
    uint32_t dw = 0;
    if (p->iSize >= 4)
      memcpy(&dw, FixupPayload(const_cast<_kred_fixup *>(p)), sizeof(dw));
    v.emplace_back(p->oftType, p->dwModTag1, p->dwModTag2, p->iSize, dw);
  }
  return v;
}

TEST_F(FixupTables, EachLevelHasItsOwnTables) {
  uint32_t a = 1, b = 2;
  ASSERT_TRUE(ChangeTables_SelectLevel("LEVELS\\CASTLE.LVL"));
  AddToFixupTable(OFT_SECTOR, 5, 0, &a, 4);
  AddToOverdubTable(OFT_SECTOR, 5, 0, &a, 4);
  AddToRevertTable(OFT_SECTOR, 5, 0, &a, 4);
  _kred_fixup *pCastle = ofMaster;

  // The same tag names another sector in another level.
  ASSERT_TRUE(ChangeTables_SelectLevel("LEVELS\\MINE.LVL"));
  EXPECT_EQ(ofMaster, nullptr);
  EXPECT_EQ(odMaster, nullptr);
  EXPECT_EQ(orMaster, nullptr);
  EXPECT_EQ(FindAnOverdub(OFT_SECTOR, 5, 0), nullptr);
  EXPECT_EQ(FindRevertTableEntry(OFT_SECTOR, 5, 0), nullptr);
  EXPECT_TRUE(AddToRevertTable(OFT_SECTOR, 5, 0, &b, 4));
  AddToFixupTable(OFT_SECTOR, 5, 0, &b, 4);
  AddToFixupTable(OFT_WALL, 5, 1, &b, 4);
  EXPECT_EQ(*(uint32_t *)FindRevertTableEntry(OFT_SECTOR, 5, 0), 2u);

  // Names are told apart as file names are: case does not count, but every
  // other character does.
  const struct {
    const char *szLevel;
    int iLevel;
    uint32_t dwRevert;
  } cases[] = {{"levels\\castle.lvl", 0, 1},
               {"LEVELS\\MINE.LVL", 1, 2},
               {"LEVELS\\CASTLE.LVL", 0, 1},
               {"LEVELS\\CASTLE.LV", 2, 0},
               {"LEVELS\\CASTLE.LVL ", 3, 0},
               {"", 4, 0},
               {nullptr, 4, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szLevel == nullptr ? "(null)" : c.szLevel);
    ASSERT_TRUE(ChangeTables_SelectLevel(c.szLevel));
    EXPECT_EQ(ChangeTables_CurrentLevel(), c.iLevel);
    uint32_t *p = (uint32_t *)FindRevertTableEntry(OFT_SECTOR, 5, 0);
    EXPECT_EQ(p == nullptr ? 0u : *p, c.dwRevert);
    EXPECT_EQ(ofMaster, ChangeTables_LevelFixups(c.iLevel));
  }
  EXPECT_EQ(ChangeTables_LevelCount(), 5);
  EXPECT_STREQ(ChangeTables_LevelName(0), "LEVELS\\CASTLE.LVL"); // as first named
  EXPECT_STREQ(ChangeTables_LevelName(4), "");
  EXPECT_EQ(ChangeTables_LevelName(5), nullptr);
  EXPECT_EQ(ChangeTables_LevelFixups(-1), nullptr);
  EXPECT_EQ(ChangeTables_LevelFixups(0), pCastle);
  EXPECT_EQ(ChangeTables_Count(ChangeTables_LevelFixups(1)), 2);
  EXPECT_EQ(ChangeTables_LevelFixups(2), nullptr);
}

TEST_F(FixupTables, RecordsBeforeAnySelectionGoToTheLevelWithoutAName) {
  uint32_t v = 7;
  EXPECT_EQ(ChangeTables_CurrentLevel(), -1);
  EXPECT_TRUE(AddToFixupTable(OFT_SECTOR, 1, 0, &v, 4));
  EXPECT_EQ(ChangeTables_LevelCount(), 1);
  EXPECT_STREQ(ChangeTables_LevelName(0), "");
  ASSERT_TRUE(ChangeTables_SelectLevel("X"));
  ASSERT_TRUE(ChangeTables_SelectLevel(nullptr));
  EXPECT_EQ(ListValues(ofMaster), std::vector<uint32_t>{7});
}

// Every allocation an operation makes is failed in turn. An operation that
// reports failure leaves the table exactly as it was; one that succeeds
// anyway (an index that could not grow but still has room) holds the new
// record. Either way the same record is kept once memory is back.
struct FailCase {
  const char *szName;
  void (*pfnSetUp)();   // recorded before, with memory
  bool (*pfnRecord)();  // the operation under test
  _kred_fixup **ppHead; // the table it changes
};

const uint32_t adwFail[2] = {0xF1, 0xF2};
const SHARED_TEXTURE_DATA stdFailTextures[] = {{8, 8, "ROCK.PCX"}, {0, 0, nullptr}};

const FailCase fcCases[] = {
    {"first record of a new level", [] {},
     [] {
       return ChangeTables_SelectLevel("NEW") && AddToFixupTable(OFT_SECTOR, 1, 0, adwFail, 4);
     },
     &ofMaster},
    {"new key", [] { AddToFixupTable(OFT_SECTOR, 1, 0, adwFail + 1, 4); },
     [] { return AddToFixupTable(OFT_SECTOR, 2, 0, adwFail, 4); }, &ofMaster},
    {"new key that grows the index",
     [] {
       for (uint32_t i = 0; i < 32; i++)
         AddToOverdubTable(OFT_SECTOR, i, 0, &i, 4);
     },
     [] { return AddToOverdubTable(OFT_SECTOR, 99, 0, adwFail, 4); }, &odMaster},
    {"replacement of another size",
     [] {
       AddToFixupTable(OFT_WALL, 1, 1, adwFail + 1, 4);
       AddToFixupTable(OFT_WALL, 1, 2, adwFail + 1, 4);
     },
     [] { return AddToFixupTable(OFT_WALL, 1, 1, adwFail, 8); }, &ofMaster},
    {"first revert of a key", [] { AddToRevertTable(OFT_SECTOR, 1, 0, adwFail + 1, 4); },
     [] { return AddToRevertTable(OFT_WALL, 1, 0, adwFail, 4); }, &orMaster},
    {"sector with texture names",
     [] {
       Textures_Build(stdFailTextures);
       AddToFixupTable(OFT_SECTOR, 1, 0, adwFail + 1, 4);
     },
     [] {
       SECTOR_DATA sd = {};
       sd.dwSectorTag = 0xF1;
       sd.cfCeiling[0].iTextureIndex = 0;
       sd.cfFloor[0][0].iTextureIndex = 1; // the terminator
       sd.cfFloor[0][1].iTextureIndex = -2;
       return AddToFixupTable(OFT_SECTOR, 6, 0, &sd, sizeof(sd));
     },
     &ofMaster},
};

TEST_F(FixupTables, FailedAllocationsAreReportedAndChangeNothing) {
  ASSERT_TRUE(Textures_Alloc());
  for (const FailCase &fc : fcCases) {
    SCOPED_TRACE(fc.szName);
    int nReported = 0;
    for (long nAllowed = 0;; nAllowed++) {
      ASSERT_LT(nAllowed, 50);
      FreeChangeTables();
      ASSERT_TRUE(ChangeTables_SelectLevel("OLD"));
      fc.pfnSetUp();
      std::vector<Entry> before = Snapshot(*fc.ppHead);
      ChangeTables_FailAllocations(nAllowed, 1);
      bool bKept = fc.pfnRecord();
      bool bFailedOne = ChangeTables_FailAllocations(0, 0) == 0;
      std::vector<Entry> after = Snapshot(*fc.ppHead);
      if (!bKept) {
        nReported++;
        EXPECT_TRUE(bFailedOne);
        EXPECT_EQ(after, before);
        EXPECT_TRUE(fc.pfnRecord());
        after = Snapshot(*fc.ppHead);
      }
      // The new record, where a new key goes or where its key stood.
      size_t nNew = 0;
      for (const Entry &e : after)
        nNew += std::get<4>(e) == 0xF1 || std::get<3>(e) == (int32_t)sizeof(SECTOR_DATA);
      EXPECT_EQ(nNew, 1u);
      EXPECT_GE(after.size(), before.size());
      if (!bFailedOne)
        break; // every allocation of the operation has been failed once
    }
    EXPECT_GT(nReported, 0);
  }
  Textures_Free();
}

TEST_F(FixupTables, AFailedSelectionRecordsNothingUntilTheNextOne) {
  uint32_t v = 3;
  ASSERT_TRUE(ChangeTables_SelectLevel("A"));
  AddToFixupTable(OFT_SECTOR, 1, 0, &v, 4);
  AddToRevertTable(OFT_SECTOR, 1, 0, &v, 4);
  ChangeTables_FailAllocations(0, -1);
  EXPECT_FALSE(ChangeTables_SelectLevel("B"));
  ChangeTables_FailAllocations(0, 0);
  EXPECT_EQ(ChangeTables_CurrentLevel(), -1);
  EXPECT_EQ(ofMaster, nullptr);
  EXPECT_FALSE(AddToFixupTable(OFT_SECTOR, 2, 0, &v, 4));
  EXPECT_FALSE(AddToOverdubTable(OFT_SECTOR, 2, 0, &v, 4));
  EXPECT_FALSE(AddToRevertTable(OFT_SECTOR, 1, 0, &v, 4));
  EXPECT_EQ(FindRevertTableEntry(OFT_SECTOR, 1, 0), nullptr);
  EXPECT_EQ(ChangeTables_LevelCount(), 1);
  // A known level needs no memory.
  ChangeTables_FailAllocations(0, -1);
  EXPECT_TRUE(ChangeTables_SelectLevel("a"));
  ChangeTables_FailAllocations(0, 0);
  EXPECT_EQ(ChangeTables_Count(ofMaster), 1);
  EXPECT_NE(FindRevertTableEntry(OFT_SECTOR, 1, 0), nullptr);
}

} // namespace
