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

uint32_t First(const _kred_fixup *p) {
  uint32_t dw = 0;
  if (p->iSize >= 4)
    memcpy(&dw, FixupPayload(const_cast<_kred_fixup *>(p)), sizeof(dw));
  return dw;
}

std::vector<uint32_t> ListValues(const _kred_fixup *p) {
  std::vector<uint32_t> v;
  for (; p != nullptr; p = p->ofNextFixup)
    v.push_back(First(p));
  return v;
}

std::vector<uint32_t> ListTags(const _kred_fixup *p) {
  std::vector<uint32_t> v;
  for (; p != nullptr; p = p->ofNextFixup)
    v.push_back(p->dwModTag1);
  return v;
}

uint32_t RevertValue(int32_t oft, uint32_t dwTag1, uint32_t dwTag2) {
  const uint32_t *p = (const uint32_t *)FindRevertTableEntry(oft, dwTag1, dwTag2);
  return p == nullptr ? 0 : *p;
}

// Both replace-or-append tables: a recorded key keeps its place and takes
// the new content, in place when the size is the same (earlier lookups stay
// valid), in a new entry at the head, middle and tail when it is not.
TEST_F(FixupTables, ReRecordedKeyKeepsItsPlaceWithNewContent) {
  // clang-format off
  const struct { const char *szName; bool (*pfnAdd)(int32_t, uint32_t, uint32_t, const void *, int);
                 _kred_fixup **ppHead; } tables[] = {
      {"overdub", AddToOverdubTable, &odMaster}, {"fixup", AddToFixupTable, &ofMaster}};
  // clang-format on
  for (const auto &t : tables) {
    SCOPED_TRACE(t.szName);
    FreeChangeTables();
    for (uint32_t tag = 1; tag <= 3; tag++)
      t.pfnAdd(OFT_WALL, tag, 5, &tag, 4);
    uint32_t dwSame = 22;
    void *pSecond = FindAnOverdub(OFT_WALL, 2, 5);
    t.pfnAdd(OFT_WALL, 2, 5, &dwSame, 4);
    EXPECT_EQ(FindAnOverdub(OFT_WALL, 2, 5), pSecond);
    if (pSecond != nullptr) {
      EXPECT_EQ(*(uint32_t *)pSecond, 22u);
    }
    for (uint32_t tag = 1; tag <= 3; tag++) {
      uint32_t big[4] = {100 + tag, 0, 0, 0};
      t.pfnAdd(OFT_WALL, tag, 5, big, sizeof(big));
    }
    uint32_t d = 4;
    t.pfnAdd(OFT_WALL, 4, 5, &d, 4); // the tail is right after a replacement
    EXPECT_EQ(ListTags(*t.ppHead), (std::vector<uint32_t>{1, 2, 3, 4}));
    EXPECT_EQ(ListValues(*t.ppHead), (std::vector<uint32_t>{101, 102, 103, 4}));
    for (const _kred_fixup *p = *t.ppHead; p != nullptr; p = p->ofNextFixup)
      EXPECT_EQ(p->iSize, p->dwModTag1 == 4 ? 4 : 16);
  }
  // Replacing from the entry's own payload: same size, then smaller.
  FreeChangeTables();
  uint32_t v[2] = {5, 6};
  AddToFixupTable(OFT_SECTOR, 1, 0, v, sizeof(v));
  AddToFixupTable(OFT_SECTOR, 1, 0, FixupPayload(ofMaster), sizeof(v));
  AddToFixupTable(OFT_SECTOR, 1, 0, FixupPayload(ofMaster), 4);
  EXPECT_EQ(ListValues(ofMaster), (std::vector<uint32_t>{5}));
}

// The revert table keeps a key's first record, whatever comes later; a key
// is the whole (type, tag, tag) triple, and each table has its own keys.
TEST_F(FixupTables, RevertKeepsTheFirstRecordOfEachWholeKey) {
  EXPECT_TRUE(FindAnOverdub(OFT_SECTOR, 0, 0) == nullptr && FixupPayload(nullptr) == nullptr &&
              FindRevertTableEntry(OFT_SECTOR, 0, 0) == nullptr &&
              ChangeTables_Count(nullptr) == 0);
  uint32_t first = 1, second = 2, swapped = 3;
  AddToRevertTable(OFT_WALL, 0x40, 0, &first, 4);
  void *p = FindRevertTableEntry(OFT_WALL, 0x40, 0);
  EXPECT_TRUE(AddToRevertTable(OFT_WALL, 0x40, 0, &second, 4));
  AddToRevertTable(OFT_WALL, 0x40, 0, &second, 8); // another size changes nothing either
  AddToRevertTable(OFT_SECTOR, 0x40, 0, &second, 4);
  AddToRevertTable(OFT_WALL, 0, 0x40, &swapped, 4);
  AddToOverdubTable(OFT_WALL, 0x40, 0, &second, 4);
  EXPECT_EQ(ListTags(orMaster), (std::vector<uint32_t>{0x40, 0x40, 0}));
  EXPECT_EQ(FindRevertTableEntry(OFT_WALL, 0x40, 0), p);
  EXPECT_EQ(orMaster->iSize, 4);
  EXPECT_EQ(RevertValue(OFT_WALL, 0x40, 0), 1u);
  EXPECT_EQ(RevertValue(OFT_SECTOR, 0x40, 0), 2u);
  EXPECT_EQ(RevertValue(OFT_WALL, 0, 0x40), 3u);
  EXPECT_EQ(*(uint32_t *)FindAnOverdub(OFT_WALL, 0x40, 0), 2u);
  EXPECT_EQ(FindAnOverdub(OFT_VERTEX, 0x40, 0), nullptr);
  EXPECT_EQ(FindAnOverdub(OFT_WALL, 0, 0x40), nullptr);
  // Payloads hold doubles: on 8-byte boundaries on every target.
  SECTOR_DATA sd = {};
  sd.dVZ = 2.5;
  AddToFixupTable(OFT_SECTOR, 1, 0, &sd, sizeof(sd));
  EXPECT_EQ((uintptr_t)FixupPayload(ofMaster) % 8, 0u);
}

TEST_F(FixupTables, InvalidInputRecordsNothing) {
  uint32_t v = 1;
  EXPECT_FALSE(AddToFixupTable(OFT_SECTOR, 1, 0, nullptr, 4));
  EXPECT_FALSE(AddToFixupTable(OFT_SECTOR, 2, 0, &v, -1));
  EXPECT_FALSE(AddToOverdubTable(OFT_SECTOR, 1, 0, nullptr, 160));
  EXPECT_FALSE(AddToRevertTable(OFT_SECTOR, 1, 0, nullptr, 296));
  EXPECT_FALSE(AddToRevertTable(OFT_SECTOR, 1, 0, &v, -4));
  EXPECT_TRUE(ofMaster == nullptr && odMaster == nullptr && orMaster == nullptr);
  // An invalid re-recording leaves the existing entry alone.
  AddToFixupTable(OFT_SECTOR, 3, 0, &v, 4);
  AddToFixupTable(OFT_SECTOR, 3, 0, nullptr, 4);
  AddToFixupTable(OFT_SECTOR, 3, 0, &v, -2);
  ASSERT_EQ(ChangeTables_Count(ofMaster), 1);
  EXPECT_EQ(ofMaster->iSize, 4);
  EXPECT_EQ(First(ofMaster), 1u);
}

// Key patterns a host might produce, including ones that differ only in high
// bits or share every low bit. Recorded twice (the second time last first),
// every table keeps the first-recorded order; under LeakSanitizer a table
// that FreeChangeTables misses shows up as lost memory.
TEST_F(FixupTables, ManyKeysKeepFirstRecordedOrder) {
  typedef std::tuple<int32_t, uint32_t, uint32_t> Key;
  // clang-format off
  const struct { const char *szName; Key (*pfnKey)(uint32_t i); } patterns[] = {
      {"export order",
       [](uint32_t i) {
         return i % 11 == 0 ? Key(OFT_SECTOR, i / 11, 0) : Key(OFT_WALL, i / 11, i % 11 - 1);
       }},
      {"high bits only",
       [](uint32_t i) { return Key(OFT_WALL, (i & 0xFF) << 24, (i >> 8) << 20); }},
      {"same sum", [](uint32_t i) { return Key(OFT_WALL, i, 0x100000u - 16u * i); }},
      {"types only", [](uint32_t i) { return Key((int32_t)(i * 0x10001u), 5, 5); }},
      {"repeats, scrambled",
       [](uint32_t i) { return Key(OFT_SECTOR, ((i * 7919u) % 3001u) << 16, 0); }},
  };
  // clang-format on
  const uint32_t n = 6000;
  for (const auto &kp : patterns) {
    SCOPED_TRACE(kp.szName);
    FreeChangeTables();
    EXPECT_TRUE(ofMaster == nullptr && odMaster == nullptr && orMaster == nullptr);
    std::vector<Key> keys;
    for (uint32_t i = 0; i < n; i++) {
      keys.push_back(kp.pfnKey(i));
      const Key &k = keys.back();
      AddToFixupTable(std::get<0>(k), std::get<1>(k), std::get<2>(k), &i, 4);
      AddToRevertTable(std::get<0>(k), std::get<1>(k), std::get<2>(k), &i, 4);
      AddToOverdubTable(std::get<0>(k), std::get<1>(k), std::get<2>(k), &i, 4);
    }
    for (uint32_t i = n; i-- > 0;) {
      uint32_t v = i + n;
      AddToFixupTable(std::get<0>(keys[i]), std::get<1>(keys[i]), std::get<2>(keys[i]), &v, 4);
    }
    std::vector<uint32_t> wantFixup, wantRevert;
    std::set<Key> seen;
    for (uint32_t i = 0; i < n; i++)
      if (seen.insert(keys[i]).second) {
        wantRevert.push_back(i);
        wantFixup.push_back(i + n); // the reverse pass ends on the key's first index
      }
    EXPECT_EQ(ListValues(ofMaster), wantFixup);
    EXPECT_EQ(ListValues(orMaster), wantRevert);
    EXPECT_EQ(ChangeTables_Count(odMaster), (int)wantRevert.size());
    for (uint32_t i = 0; i < n; i += 97)
      EXPECT_EQ(keys[RevertValue(std::get<0>(keys[i]), std::get<1>(keys[i]), std::get<2>(keys[i]))],
                keys[i]);
  }
}

// Before any selection records go to the level without a name; names are
// told apart as file names are: case does not count, every other character
// does. The same tag names another sector in another level.
TEST_F(FixupTables, EachLevelHasItsOwnTables) {
  uint32_t a = 1, b = 2;
  EXPECT_EQ(ChangeTables_CurrentLevel(), -1);
  EXPECT_TRUE(AddToFixupTable(OFT_SECTOR, 9, 0, &a, 4));
  ASSERT_TRUE(ChangeTables_SelectLevel("LEVELS\\CASTLE.LVL"));
  AddToFixupTable(OFT_SECTOR, 5, 0, &a, 4);
  AddToOverdubTable(OFT_SECTOR, 5, 0, &a, 4);
  AddToRevertTable(OFT_SECTOR, 5, 0, &a, 4);
  const _kred_fixup *pCastle = ofMaster;
  ASSERT_TRUE(ChangeTables_SelectLevel("LEVELS\\MINE.LVL"));
  EXPECT_TRUE(ofMaster == nullptr && odMaster == nullptr && orMaster == nullptr);
  EXPECT_EQ(FindAnOverdub(OFT_SECTOR, 5, 0), nullptr);
  EXPECT_TRUE(AddToRevertTable(OFT_SECTOR, 5, 0, &b, 4));
  AddToFixupTable(OFT_SECTOR, 5, 0, &b, 4);
  AddToFixupTable(OFT_WALL, 5, 1, &b, 4);
  // clang-format off
  const struct { const char *szLevel; int iLevel; uint32_t dwRevert; } cases[] = {
      {"levels\\castle.lvl", 1, 1}, {"LEVELS\\MINE.LVL", 2, 2}, {"LEVELS\\CASTLE.LV", 3, 0},
      {"LEVELS\\CASTLE.LVL ", 4, 0}, {"", 0, 0}, {nullptr, 0, 0}};
  // clang-format on
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szLevel == nullptr ? "(null)" : c.szLevel);
    ASSERT_TRUE(ChangeTables_SelectLevel(c.szLevel));
    EXPECT_EQ(ChangeTables_CurrentLevel(), c.iLevel);
    EXPECT_EQ(RevertValue(OFT_SECTOR, 5, 0), c.dwRevert);
    EXPECT_EQ(ofMaster, ChangeTables_LevelFixups(c.iLevel));
  }
  EXPECT_EQ(ListValues(ofMaster), std::vector<uint32_t>{1});
  EXPECT_EQ(ChangeTables_LevelCount(), 5);
  EXPECT_STREQ(ChangeTables_LevelName(0), "");
  EXPECT_STREQ(ChangeTables_LevelName(1), "LEVELS\\CASTLE.LVL"); // as first named
  EXPECT_EQ(ChangeTables_LevelName(5), nullptr);
  EXPECT_EQ(ChangeTables_LevelFixups(-1), nullptr);
  EXPECT_EQ(ChangeTables_LevelFixups(1), pCastle);
  EXPECT_EQ(ChangeTables_Count(ChangeTables_LevelFixups(2)), 2);
  EXPECT_EQ(ChangeTables_LevelFixups(3), nullptr);
}

// Every allocation an operation makes is failed in turn. An operation that
// reports failure leaves the table exactly as it was; one that succeeds
// anyway (an index that could not grow but still has room) holds the new
// record. Either way the same record is kept once memory is back.
typedef std::tuple<int32_t, uint32_t, uint32_t, int32_t, uint32_t> Entry;
std::vector<Entry> Snapshot(const _kred_fixup *p) {
  std::vector<Entry> v;
  for (; p != nullptr; p = p->ofNextFixup)
    v.emplace_back(p->oftType, p->dwModTag1, p->dwModTag2, p->iSize, First(p));
  return v;
}

const uint32_t adwFail[2] = {0xF1, 0xF2};
const SHARED_TEXTURE_DATA stdFailTextures[] = {{8, 8, "ROCK.PCX"}, {0, 0, nullptr}};

// Each case: what is recorded before, with memory; the operation under
// test; the table it changes.
TEST_F(FixupTables, FailedAllocationsAreReportedAndChangeNothing) {
  // clang-format off
  const struct { const char *szName; void (*pfnSetUp)(); bool (*pfnRecord)(); _kred_fixup **ppHead;
  } cases[] = {
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
         sd.cfFloor[0][0].iTextureIndex = 1; // the terminator
         sd.cfFloor[0][1].iTextureIndex = -2;
         return AddToFixupTable(OFT_SECTOR, 6, 0, &sd, sizeof(sd));
       },
       &ofMaster},
  };
  // clang-format on
  ASSERT_TRUE(Textures_Alloc());
  for (const auto &fc : cases) {
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
