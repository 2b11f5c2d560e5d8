#include "wall_flow.h"

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "fields.h"
#include "fixup_tables.h"
#include "test_values.h"

namespace {

const uint32_t dwSec = 0x51;

// The fake host: walls of sector dwSec by tag, answering 2100 and applying
// 2110; a wall marked gone answers "no such wall". It scribbles over what
// it is handed, which the editor must never rely on.
struct FakeWall {
  uint32_t dwTag;
  WALL_DATA wd;
  bool bGone;
};
std::vector<FakeWall> fhWalls;
std::vector<WALL_DATA> fhSent;
std::vector<uint32_t> fhSentTags;

WALL_DATA *FindWall(const WALL_DATA_REQUEST *req) {
  for (FakeWall &w : fhWalls)
    if (req->dwSectorTag == dwSec && w.dwTag == req->dwWallTag && !w.bGone)
      return &w.wd;
  return nullptr;
}

uint32_t KRED_CDECL FakeHost(uint16_t wCode, uintptr_t dwArg) {
  WALL_DATA_REQUEST *req = (WALL_DATA_REQUEST *)dwArg;
  WALL_DATA *w = FindWall(req);
  if (wCode == KREQ_SET_WALL) {
    fhSent.push_back(*req->wd);
    fhSentTags.push_back(req->dwWallTag);
    if (w != nullptr)
      *w = *req->wd;
  } else if (w != nullptr) {
    *req->wd = *w;
  }
  EXPECT_TRUE(wCode == KREQ_GET_WALL || wCode == KREQ_SET_WALL);
  if (wCode == KREQ_SET_WALL || w == nullptr)
    memset(req->wd, 0xEE, sizeof(*req->wd));
  req->dwWallTag = 0xBAD;
  return w == nullptr;
}

CF_DATA Surface(int32_t iTex, float x) {
  return CF_DATA{iTex, 10.25f * (float)iTex, x, 2.5f, (uint16_t)(1000 + iTex), 0x5A5A};
}

FakeWall Wall(uint32_t dwTag, int32_t iUpper, int32_t iMiddle, float fUpperX, uint32_t dwFlag1) {
  // clang-format off
  WALL_DATA wd = {112, dwTag, 2, Surface(iUpper, fUpperX), Surface(iMiddle, 3.0f), Surface(4, 0.1f),
                  Surface(-2, 70.6f), dwFlag1, 0xCAFEF00D, 1, -3.5f, 12.75f};
  // clang-format on
  return FakeWall{dwTag, wd, false};
}

bool Same(const WALL_DATA &a, const WALL_DATA &b) {
  return memcmp(&a, &b, sizeof(a)) == 0;
}

class WallFlow : public ::testing::Test {
protected:
  void SetUp() override {
    FreeChangeTables();
    fhWalls = {Wall(0x10, 5, 6, 1.0f, 0xF), Wall(0x11, 5, 7, 1.5f, 0x80000005),
               Wall(0x12, -1, 6, 1.0f, 0xF)};
    fhSent.clear();
    fhSentTags.clear();
  }
  void TearDown() override { FreeChangeTables(); }
  WINWALL_RESULTS Gather(std::vector<uint32_t> tags) {
    WINWALL_RESULTS wr;
    memset(&wr, 0xCC, sizeof(wr));
    EXPECT_TRUE(CreateWallData(FakeHost, &wr, dwSec, tags.data(), (int)tags.size()));
    return wr;
  }
};

TEST_F(WallFlow, GatheringMergesTheWalls) {
  // clang-format off
  const struct { std::vector<uint32_t> tags; int32_t iUpper, iMiddle; double dUpperX;
                 uint8_t bFlag0, bFlag3, bFlag31; uint32_t dwTag; } cases[] = {
      {{0x10}, 5, 6, 1.0, 2, 2, 1, 0x10},
      {{0x10, 0x11}, 5, -1, KRED_NOTHING, 2, 3, 3, 0}, // same upper, other middle
      {{0x99, 0x11}, 5, 7, 1.5, 2, 1, 2, 0x11},        // the first cannot be read
      {{0x12}, -1, 6, 1.0, 2, 2, 1, 0x12},             // -1 on the one wall
      {{0x10, 0x98, 0x12}, -1, 6, 1.0, 2, 2, 1, 0}};   // unreadable ones left out
  // clang-format on
  for (const auto &c : cases) {
    dwWallTag = 0x777;
    WINWALL_RESULTS wr = Gather(c.tags);
    SCOPED_TRACE(c.tags.size());
    // The lower alignment is widened from the float, not rounded.
    EXPECT_EQ(V(wr.iUpperTexture, wr.iMiddleTexture, wr.iSignTexture, wr.ptUpperAlign_x,
                wr.ptLowerAlign_x, wr.bFlagSet[0], wr.bFlagSet[3], wr.bFlagSet[31],
                wr.bFlagSet[32] + wr.wVirginFlags + wr.WalkMode, dwWallTag),
              V(c.iUpper, c.iMiddle, -2, c.dUpperX, (double)0.1f, c.bFlag0, c.bFlag3, c.bFlag31, 0,
                c.dwTag));
  }
  // Which walls were read, for a caller that works on those only.
  std::vector<uint32_t> mixed = {0x99, 0x11, 0x98, 0x10};
  bool bRead[4] = {true, false, true, false};
  WINWALL_RESULTS wrMixed;
  CreateWallData(FakeHost, &wrMixed, dwSec, mixed.data(), 4, bRead);
  EXPECT_EQ((std::vector<bool>(bRead, bRead + 4)), (std::vector<bool>{false, true, false, true}));
  // Nothing readable: a zero record, and nothing recorded for such walls.
  WINWALL_RESULTS zero = {}, wr = Gather({0x90, 0x91});
  EXPECT_EQ(memcmp(&wr, &zero, sizeof(wr)), 0);
  EXPECT_EQ(dwWallTag, 0u);
  EXPECT_EQ(FindRevertTableEntry(OFT_WALL, dwSec, 0x90), nullptr);
}

TEST_F(WallFlow, ApplyWritesOnlyWhatIsNotMarkedUnchanged) {
  std::vector<uint32_t> tags = {0x10, 0x11, 0x12};
  std::vector<WALL_DATA> want = {fhWalls[0].wd, fhWalls[1].wd, fhWalls[2].wd};
  WINWALL_RESULTS wr = Gather(tags);
  // Untouched, the merged record gives every wall back bit for bit.
  EXPECT_TRUE(PostWallResults(FakeHost, &wr, dwSec, tags.data(), 3));
  for (size_t i = 0; i < 3; i++)
    EXPECT_TRUE(Same(fhSent[i], want[i])) << i;
  wr.iMiddleTexture = 9;
  wr.ptUpperAlign_y = 1e39; // beyond a float: the largest one
  wr.bFlagSet[0] = WW_FLAG_CLEAR;
  wr.bFlagSet[4] = WW_FLAG_SET;
  wr.bFlagSet[36] = WW_FLAG_SET; // no bit past 31
  wr.iSignTexture = 3;           // the animated overlays stay animated
  for (WALL_DATA &w : want) {
    w.cfdMiddle.iTextureIndex = 9;
    w.cfdUpper.fAlignZ = 3.40282347e38f;
    w.dwFlag1 = (w.dwFlag1 & ~1u) | 0x10u;
  }
  fhSent.clear();
  EXPECT_TRUE(PostWallResults(FakeHost, &wr, dwSec, tags.data(), 3));
  ASSERT_EQ(fhSent.size(), 3u);
  const _kred_fixup *pf = ofMaster;
  for (size_t i = 0; i < 3; i++, pf = pf->ofNextFixup) {
    EXPECT_TRUE(Same(fhSent[i], want[i])) << i;
    EXPECT_EQ(fhSentTags[i + 3], tags[i]);
    // The fixup table holds what the game got, in first-recorded order.
    ASSERT_NE(pf, nullptr);
    EXPECT_EQ((std::vector<uint32_t>{(uint32_t)pf->oftType, pf->dwModTag1, pf->dwModTag2}),
              (std::vector<uint32_t>{OFT_WALL, dwSec, tags[i]}));
    EXPECT_TRUE(Same(*(const WALL_DATA *)FixupPayload((_kred_fixup *)pf), want[i])) << i;
  }
}

TEST_F(WallFlow, RevertSendsTheFirstReadState) {
  std::vector<uint32_t> tags = {0x10, 0x11};
  WALL_DATA first10 = fhWalls[0].wd, first11 = fhWalls[1].wd;
  WINWALL_RESULTS wr = Gather(tags);
  for (int i = 0; i < 3; i++) {
    wr.iUpperTexture = 20 + i;
    PostWallResults(FakeHost, &wr, dwSec, tags.data(), 2);
    wr = Gather(tags); // later reads keep the first revert state
  }
  fhWalls.push_back(Wall(0x13, 1, 1, 0, 0)); // never read for the editor
  fhSent.clear();
  fhSentTags.clear();
  std::vector<uint32_t> revert = {0x13, 0x11, 0x10};
  EXPECT_TRUE(RevertWallDialog(FakeHost, dwSec, revert.data(), 3));
  ASSERT_EQ(fhSent.size(), 2u);
  EXPECT_EQ(fhSentTags, (std::vector<uint32_t>{0x11, 0x10}));
  EXPECT_TRUE(Same(fhSent[0], first11));
  EXPECT_TRUE(Same(fhSent[1], first10));
  EXPECT_TRUE(Same(*(const WALL_DATA *)FixupPayload(ofMaster), first10));
  EXPECT_TRUE(Same(*(const WALL_DATA *)FindRevertTableEntry(OFT_WALL, dwSec, 0x10), first10));
  EXPECT_EQ(FindRevertTableEntry(OFT_WALL, dwSec, 0x13), nullptr);
}

TEST_F(WallFlow, ARecordThatCannotBeKeptIsReported) {
  std::vector<uint32_t> tags = {0x10, 0x11};
  WINWALL_RESULTS wr = Gather(tags);
  // No record can be kept: the game still gets every wall, and the caller
  // learns of the loss.
  ChangeTables_FailAllocations(0, -1);
  EXPECT_FALSE(PostWallResults(FakeHost, &wr, dwSec, tags.data(), 2));
  EXPECT_FALSE(RevertWallDialog(FakeHost, dwSec, tags.data(), 2));
  bool bRead[1];
  std::vector<uint32_t> fresh = {0x12};
  EXPECT_FALSE(CreateWallData(FakeHost, &wr, dwSec, fresh.data(), 1, bRead));
  EXPECT_TRUE(bRead[0]);
  ChangeTables_FailAllocations(0, 0);
  EXPECT_EQ(fhSentTags, (std::vector<uint32_t>{0x10, 0x11, 0x10, 0x11}));
  EXPECT_EQ(ChangeTables_Count(ofMaster), 0);
}

TEST_F(WallFlow, AWallTheHostNoLongerAnswersForGetsNothing) {
  std::vector<uint32_t> tags = {0x10, 0x11};
  WINWALL_RESULTS wr = Gather(tags);
  fhWalls[0].bGone = true;
  int cMissing = -1;
  EXPECT_TRUE(PostWallResults(FakeHost, &wr, dwSec, tags.data(), 2, &cMissing));
  EXPECT_EQ(cMissing, 1);
  cMissing = -1;
  EXPECT_TRUE(RevertWallDialog(FakeHost, dwSec, tags.data(), 2, &cMissing));
  EXPECT_EQ(cMissing, 1);
  EXPECT_EQ(fhSentTags, (std::vector<uint32_t>{0x11, 0x11}));
  // A wall never read for the editor is no missing wall: it has nothing to
  // revert to.
  fhWalls[0].bGone = false;
  fhWalls.push_back(Wall(0x14, 1, 1, 0, 0));
  std::vector<uint32_t> fresh = {0x14};
  EXPECT_TRUE(RevertWallDialog(FakeHost, dwSec, fresh.data(), 1, &cMissing));
  EXPECT_EQ(cMissing, 0);
  EXPECT_EQ(ChangeTables_Count(ofMaster), 1);
  // No host at all: nothing read, sent or recorded.
  EXPECT_TRUE(PostWallResults(nullptr, &wr, 0x52, tags.data(), 2));
  EXPECT_TRUE(CreateWallData(nullptr, &wr, 0x52, tags.data(), 2));
  EXPECT_EQ(ChangeTables_Count(ofMaster) + ChangeTables_Count(orMaster), 3);
}

} // namespace
