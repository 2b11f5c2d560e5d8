#include "wall_flow.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <vector>

#include "fields.h"
#include "fixup_tables.h"

namespace {

const uint32_t dwSec = 0x51;

// The fake host: a table of walls of sector dwSec, answering 2100 from it
// and applying 2110 to it. A wall marked gone answers "no such wall".
struct FakeWall {
  uint32_t dwTag;
  WALL_DATA wd;
  bool bGone;
};

struct SentWall {
  uint32_t dwSector;
  uint32_t dwTag;
  WALL_DATA wd;
};

std::vector<FakeWall> fhWalls;
std::vector<SentWall> fhSent;
int fhReads;

FakeWall *FindWall(uint32_t dwSector, uint32_t dwTag) {
  if (dwSector != dwSec)
    return nullptr;
  for (FakeWall &w : fhWalls)
    if (w.dwTag == dwTag && !w.bGone)
      return &w;
  return nullptr;
}

uint32_t KRED_CDECL FakeHost(uint16_t wCode, uintptr_t dwArg) {
  WALL_DATA_REQUEST *req = (WALL_DATA_REQUEST *)dwArg;
  EXPECT_EQ(req->bOrdinal, 0u);
  FakeWall *w = FindWall(req->dwSectorTag, req->dwWallTag);
  if (wCode == KREQ_GET_WALL) {
    fhReads++;
    if (w == nullptr) {
      memset(req->wd, 0xEE, sizeof(*req->wd)); // garbage the editor must not use
      return 1;
    }
    *req->wd = w->wd;
    req->dwWallTag = 0xBAD; // the editor never follows what the host leaves
    return 0;
  }
  if (wCode == KREQ_SET_WALL) {
    fhSent.push_back({req->dwSectorTag, req->dwWallTag, *req->wd});
    if (w != nullptr)
      w->wd = *req->wd;
    memset(req->wd, 0xEE, sizeof(*req->wd));
    return 0;
  }
  ADD_FAILURE() << "unexpected request " << wCode;
  return 1;
}

CF_DATA Surface(int32_t iTex, float x, float z) {
  CF_DATA cf;
  memset(&cf, 0, sizeof(cf));
  cf.iTextureIndex = iTex;
  cf.fElev = 10.25f * (float)iTex;
  cf.fAlignX = x;
  cf.fAlignZ = z;
  cf.wAngle = (uint16_t)(1000 + iTex);
  cf.wPad = 0x5A5A;
  return cf;
}

FakeWall Wall(uint32_t dwTag, int32_t iUpper, int32_t iMiddle, float fUpperX, uint32_t dwFlag1) {
  FakeWall w;
  memset(&w, 0, sizeof(w));
  w.dwTag = dwTag;
  w.wd.dwStructSize = 112;
  w.wd.dwWallTag = dwTag;
  w.wd.wmWalkMode = 2;
  w.wd.cfdUpper = Surface(iUpper, fUpperX, 2.5f);
  w.wd.cfdMiddle = Surface(iMiddle, 3.0f, 4.0f);
  w.wd.cfdLower = Surface(4, 0.1f, -7.5f);
  w.wd.cfdOverlay = Surface(-2, 70.6f, 0.0f);
  w.wd.dwFlag1 = dwFlag1;
  w.wd.dwFlag2 = 0xCAFEF00D;
  w.wd.bHasAdjoin = 1;
  w.wd.fAdjoinFloor = -3.5f;
  w.wd.fAdjoinCeiling = 12.75f;
  return w;
}

class WallFlow : public ::testing::Test {
protected:
  void SetUp() override {
    FreeChangeTables();
    fhWalls = {Wall(0x10, 5, 6, 1.0f, 0x0000000F), Wall(0x11, 5, 7, 1.5f, 0x80000005),
               Wall(0x12, -1, 6, 1.0f, 0x0000000F)};
    fhSent.clear();
    fhReads = 0;
    dwWallTag = 0x777;
  }
  void TearDown() override { FreeChangeTables(); }

  const WALL_DATA &Host(uint32_t dwTag) { return FindWall(dwSec, dwTag)->wd; }
};

bool SameWall(const WALL_DATA &a, const WALL_DATA &b) {
  return memcmp(&a, &b, sizeof(a)) == 0;
}

TEST_F(WallFlow, GatherMergesTheTargetedWalls) {
  const struct {
    const char *szWhat;
    std::vector<uint32_t> tags;
    int32_t iUpper, iMiddle;
    double dUpperX;
    uint8_t bFlag0, bFlag2, bFlag3, bFlag31;
    uint32_t dwTagWant;
  } cases[] = {
      {"one wall", {0x10}, 5, 6, 1.0, 2, 2, 2, 1, 0x10},
      {"same upper, other middle", {0x10, 0x11}, 5, -1, KRED_NOTHING, 2, 2, 3, 3, 0},
      {"first unreadable", {0x99, 0x11}, 5, 7, 1.5, 2, 2, 1, 2, 0x11},
      {"-1 on the one wall", {0x12}, -1, 6, 1.0, 2, 2, 2, 1, 0x12},
      {"unreadable walls left out", {0x10, 0x98, 0x12}, -1, 6, 1.0, 2, 2, 2, 1, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szWhat);
    WINWALL_RESULTS wr;
    memset(&wr, 0xCC, sizeof(wr));
    EXPECT_TRUE(CreateWallData(FakeHost, &wr, dwSec, c.tags.data(), (int)c.tags.size()));
    EXPECT_EQ(wr.iUpperTexture, c.iUpper);
    EXPECT_EQ(wr.iMiddleTexture, c.iMiddle);
    EXPECT_EQ(wr.iLowerTexture, 4);
    EXPECT_EQ(wr.iSignTexture, -2);
    EXPECT_EQ(wr.ptUpperAlign_x, c.dUpperX);
    EXPECT_EQ(wr.ptUpperAlign_y, 2.5);
    EXPECT_EQ(wr.ptLowerAlign_x, (double)0.1f); // widened, not rounded to 0.1
    EXPECT_EQ(wr.ptSignAlign_x, (double)70.6f);
    EXPECT_EQ(wr.bFlagSet[0], c.bFlag0);
    EXPECT_EQ(wr.bFlagSet[2], c.bFlag2);
    EXPECT_EQ(wr.bFlagSet[3], c.bFlag3);
    EXPECT_EQ(wr.bFlagSet[31], c.bFlag31);
    EXPECT_EQ(wr.bFlagSet[32], 0);
    EXPECT_EQ(wr.wVirginFlags, 0);
    EXPECT_EQ(wr.WalkMode, 0);
    EXPECT_EQ(dwWallTag, c.dwTagWant);
  }
}

TEST_F(WallFlow, NothingReadableGivesAZeroRecord) {
  const std::vector<uint32_t> cases[] = {{}, {0x90}, {0x90, 0x91}};
  WINWALL_RESULTS zero;
  memset(&zero, 0, sizeof(zero));
  for (const auto &tags : cases) {
    WINWALL_RESULTS wr;
    memset(&wr, 0xCC, sizeof(wr));
    EXPECT_TRUE(CreateWallData(FakeHost, &wr, dwSec, tags.data(), (int)tags.size()));
    EXPECT_EQ(memcmp(&wr, &zero, sizeof(wr)), 0);
    EXPECT_EQ(dwWallTag, 0u);
  }
  EXPECT_EQ(orMaster, nullptr);
  EXPECT_EQ(StartAWallTable(FakeHost, &zero, dwSec, 0x90, nullptr), 0);
}

TEST_F(WallFlow, RevertTableKeepsEachWallsFirstRead) {
  std::vector<uint32_t> tags = {0x10, 0x11, 0x99};
  WALL_DATA first10 = Host(0x10);
  WINWALL_RESULTS wr;
  CreateWallData(FakeHost, &wr, dwSec, tags.data(), 3);
  fhWalls[0].wd.dwFlag2 = 1; // the game changes the wall; a second read keeps the first
  CreateWallData(FakeHost, &wr, dwSec, tags.data(), 3);
  EXPECT_EQ(ChangeTables_Count(orMaster), 2);
  const WALL_DATA *p = (const WALL_DATA *)FindRevertTableEntry(OFT_WALL, dwSec, 0x10);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(SameWall(*p, first10));
  EXPECT_NE(FindRevertTableEntry(OFT_WALL, dwSec, 0x11), nullptr);
  EXPECT_EQ(FindRevertTableEntry(OFT_WALL, dwSec, 0x99), nullptr);
  EXPECT_EQ(ofMaster, nullptr); // reading records nothing to the fixup file
}

TEST_F(WallFlow, ApplyingAnUntouchedRecordChangesNothing) {
  std::vector<uint32_t> tags = {0x10, 0x11, 0x12};
  std::vector<WALL_DATA> before;
  for (uint32_t t : tags)
    before.push_back(Host(t));
  WINWALL_RESULTS wr;
  CreateWallData(FakeHost, &wr, dwSec, tags.data(), 3);
  EXPECT_TRUE(PostWallResults(FakeHost, &wr, dwSec, tags.data(), 3));
  ASSERT_EQ(fhSent.size(), 3u);
  for (size_t i = 0; i < tags.size(); i++) {
    EXPECT_EQ(fhSent[i].dwSector, dwSec);
    EXPECT_EQ(fhSent[i].dwTag, tags[i]);
    EXPECT_TRUE(SameWall(fhSent[i].wd, before[i])) << "wall " << i;
  }
}

TEST_F(WallFlow, ApplyWritesOnlyWhatIsNotMarkedUnchanged) {
  std::vector<uint32_t> tags = {0x10, 0x11};
  std::vector<WALL_DATA> want;
  for (uint32_t t : tags)
    want.push_back(Host(t));
  WINWALL_RESULTS wr;
  CreateWallData(FakeHost, &wr, dwSec, tags.data(), 2);
  wr.iUpperTexture = 9;      // common: set on both
  wr.ptMiddleAlign_y = 33.5; // typed into a field
  wr.ptUpperAlign_x = KRED_NOTHING;
  wr.bFlagSet[0] = WW_FLAG_CLEAR;
  wr.bFlagSet[4] = WW_FLAG_SET;
  wr.bFlagSet[31] = WW_FLAG_DIFFERS;
  wr.bFlagSet[1] = 0;
  for (WALL_DATA &w : want) {
    w.cfdUpper.iTextureIndex = 9;
    w.cfdMiddle.fAlignZ = 33.5f;
    w.dwFlag1 = (w.dwFlag1 & ~1u) | 0x10u;
  }
  EXPECT_TRUE(PostWallResults(FakeHost, &wr, dwSec, tags.data(), 2));
  ASSERT_EQ(fhSent.size(), 2u);
  for (size_t i = 0; i < tags.size(); i++) {
    EXPECT_TRUE(SameWall(fhSent[i].wd, want[i])) << "wall " << i;
    // The fixup table holds what the game got, keyed by sector and wall.
    const _kred_fixup *pf = ofMaster;
    for (size_t k = 0; k < i; k++)
      pf = pf->ofNextFixup;
    ASSERT_NE(pf, nullptr);
    EXPECT_EQ(pf->oftType, OFT_WALL);
    EXPECT_EQ(pf->dwModTag1, dwSec);
    EXPECT_EQ(pf->dwModTag2, tags[i]);
    EXPECT_TRUE(SameWall(*(const WALL_DATA *)FixupPayload(const_cast<_kred_fixup *>(pf)), want[i]));
  }
}

TEST_F(WallFlow, MixLaysTheRecordOverOneWall) {
  // Wall 0x10 has flags 0xF, upper texture 5, upper X 1.0.
  const struct {
    const char *szWhat;
    int32_t iTex;
    double dX;
    int iBit;
    uint8_t bState;
    int32_t iTexWant;
    float fXWant;
    uint32_t dwFlagWant;
  } cases[] = {
      {"leave all", -1, KRED_NOTHING, 0, 3, 5, 1.0f, 0xF},
      {"animated is written back", -2, KRED_NOTHING, 4, 0, -2, 1.0f, 0xF},
      {"set", 0, -4.25, 4, 2, 0, -4.25f, 0x1F},
      {"clear, huge alignment", 12, 1e39, 0, 1, 12, 3.40282347e38f, 0xE},
  };
  for (const auto &c : cases) {
    WALL_DATA wd = fhWalls[0].wd;
    WINWALL_RESULTS wr;
    memset(&wr, 0, sizeof(wr));
    wr.iUpperTexture = c.iTex;
    wr.iMiddleTexture = wr.iLowerTexture = wr.iSignTexture = -1;
    wr.ptUpperAlign_x = c.dX;
    wr.ptUpperAlign_y = wr.ptMiddleAlign_x = wr.ptMiddleAlign_y = KRED_NOTHING;
    wr.ptLowerAlign_x = wr.ptLowerAlign_y = wr.ptSignAlign_x = wr.ptSignAlign_y = KRED_NOTHING;
    memset(wr.bFlagSet, WW_FLAG_DIFFERS, sizeof(wr.bFlagSet));
    wr.bFlagSet[c.iBit] = c.bState;
    wr.bFlagSet[32 + c.iBit] = WW_FLAG_SET; // past bit 31: touches nothing
    MixWallResults(&wr, &wd);
    WALL_DATA want = fhWalls[0].wd;
    want.cfdUpper.iTextureIndex = c.iTexWant;
    want.cfdUpper.fAlignX = c.fXWant;
    want.dwFlag1 = c.dwFlagWant;
    EXPECT_TRUE(SameWall(wd, want)) << c.szWhat;
  }
}

TEST_F(WallFlow, AWallThatIsGoneGetsNothing) {
  std::vector<uint32_t> tags = {0x10, 0x11};
  WINWALL_RESULTS wr;
  CreateWallData(FakeHost, &wr, dwSec, tags.data(), 2);
  fhWalls[0].bGone = true;
  wr.iLowerTexture = 3;
  EXPECT_TRUE(PostWallResults(FakeHost, &wr, dwSec, tags.data(), 2));
  ASSERT_EQ(fhSent.size(), 1u);
  EXPECT_EQ(fhSent[0].dwTag, 0x11u);
  EXPECT_EQ(ChangeTables_Count(ofMaster), 1);
  EXPECT_NE(FindRevertTableEntry(OFT_WALL, dwSec, 0x10), nullptr);
  // Revert skips it as well, though its first state is recorded.
  fhSent.clear();
  EXPECT_TRUE(RevertWallDialog(FakeHost, dwSec, tags.data(), 2));
  ASSERT_EQ(fhSent.size(), 1u);
  EXPECT_EQ(fhSent[0].dwTag, 0x11u);
}

TEST_F(WallFlow, RevertSendsTheFirstReadState) {
  std::vector<uint32_t> tags = {0x10, 0x11};
  WALL_DATA first10 = Host(0x10), first11 = Host(0x11);
  WINWALL_RESULTS wr;
  CreateWallData(FakeHost, &wr, dwSec, tags.data(), 2);
  for (int i = 0; i < 3; i++) {
    wr.iUpperTexture = 20 + i;
    wr.bFlagSet[9] = WW_FLAG_SET;
    PostWallResults(FakeHost, &wr, dwSec, tags.data(), 2);
    CreateWallData(FakeHost, &wr, dwSec, tags.data(), 2);
  }
  EXPECT_EQ(Host(0x10).cfdUpper.iTextureIndex, 22);
  fhSent.clear();
  // Wall 0x13 was never read for the editor: nothing is sent for it.
  std::vector<uint32_t> revert = {0x13, 0x11, 0x10};
  fhWalls.push_back(Wall(0x13, 1, 1, 0, 0));
  EXPECT_TRUE(RevertWallDialog(FakeHost, dwSec, revert.data(), 3));
  ASSERT_EQ(fhSent.size(), 2u);
  EXPECT_EQ(fhSent[0].dwTag, 0x11u);
  EXPECT_TRUE(SameWall(fhSent[0].wd, first11));
  EXPECT_TRUE(SameWall(fhSent[1].wd, first10));
  EXPECT_TRUE(SameWall(Host(0x10), first10));
  // The fixup table holds the reverted state, in first-recorded order; the
  // saved state survives the host scribbling over what it was sent.
  EXPECT_EQ(ChangeTables_Count(ofMaster), 2);
  EXPECT_TRUE(SameWall(*(const WALL_DATA *)FixupPayload(ofMaster), first10));
  EXPECT_TRUE(SameWall(*(const WALL_DATA *)FindRevertTableEntry(OFT_WALL, dwSec, 0x10), first10));
  EXPECT_EQ(FindRevertTableEntry(OFT_WALL, dwSec, 0x13), nullptr);
}

TEST_F(WallFlow, NoHostOrNoWallsSendsNothing) {
  std::vector<uint32_t> tags = {0x10};
  WINWALL_RESULTS wr;
  memset(&wr, 0, sizeof(wr));
  EXPECT_TRUE(CreateWallData(nullptr, &wr, dwSec, tags.data(), 1));
  EXPECT_TRUE(PostWallResults(nullptr, &wr, dwSec, tags.data(), 1));
  EXPECT_TRUE(PostWallResults(FakeHost, &wr, dwSec, nullptr, 0));
  EXPECT_TRUE(RevertWallDialog(FakeHost, dwSec, tags.data(), 0));
  EXPECT_EQ(fhReads, 0);
  EXPECT_TRUE(fhSent.empty());
  EXPECT_EQ(ofMaster, nullptr);
  EXPECT_EQ(orMaster, nullptr);
}

} // namespace
