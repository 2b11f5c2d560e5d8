#include "sector_flow.h"

#include <gtest/gtest.h>

#include <float.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fixup_tables.h"

namespace {

// The fake host: sectors by tag for 2000; every 3000 is kept.
std::vector<SECTOR_DATA> fsSectors, fsSent;

uint32_t KRED_CDECL FakeHost(uint16_t wCode, uintptr_t dwArg) {
  SECTOR_DATA *sd = (SECTOR_DATA *)dwArg;
  if (wCode == KREQ_SET_SECTOR)
    fsSent.push_back(*sd);
  for (const SECTOR_DATA &s : fsSectors)
    if (wCode == KREQ_GET_SECTOR && sd->bOrdinal == 0 && s.dwSectorTag == sd->dwSectorTag) {
      *sd = s;
      return 0;
    }
  return 1;
}

// A host sector with every field set, the ones the editor never sends too.
SECTOR_DATA Sector(uint32_t dwTag, const char *szName, const char *szSound, uint32_t dwFlag1) {
  SECTOR_DATA sd;
  memset(&sd, 0, sizeof(sd));
  // clang-format off
  sd.dwStructSize = 296; sd.bOrdinal = 7; sd.dwSectorTag = dwTag; sd.wLight = 17;
  sd.fFriction = 0.256f; sd.fGravity = -9.5f; sd.fElasticity = 0.3f;
  sd.dwFlag1 = dwFlag1; sd.dwFlag2 = 0xDEAD; sd.dwFlag3 = 0xBEEF; sd.wFloorCount = 3;
  sd.cfCeiling[0] = CF_DATA{3, 96.5f, 1.25f, 2.5f, 4096, 0};
  sd.cfCeiling[1] = CF_DATA{-1, 50.0f, 3.75f, 4.5f, 100, 0};
  sd.cfFloor[0][0] = CF_DATA{8, 0.1f, 5.5f, 6.25f, 8192, 0};
  sd.cfFloor[0][1] = CF_DATA{-2, 20.0f, 7.0f, 8.0f, 16383, 0};
  sd.sdFloor = {0x11, 0x22, -300}; sd.sdCeiling = {0x33, 0x44, 3277};
  sd.dVX = 1.5; sd.dVZ = 1e-9;
  // clang-format on
  snprintf(sd.szSectorName, sizeof(sd.szSectorName), "%s", szName);
  snprintf(sd.szSoundName, sizeof(sd.szSoundName), "%s", szSound);
  return sd;
}

// The record the editor sends for a sector it did not change.
SECTOR_DATA AsSent(SECTOR_DATA sd) {
  sd.dwStructSize = sd.bOrdinal = sd.dwFlag2 = sd.dwFlag3 = 0;
  sd.cfCeiling[1].fElev = sd.cfFloor[0][1].fElev = 0;
  sd.wFloorCount = 1;
  return sd;
}

bool Same(const SECTOR_DATA &a, const SECTOR_DATA &b) {
  return memcmp(&a, &b, sizeof(a)) == 0;
}

class SectorFlow : public ::testing::Test {
protected:
  void SetUp() override {
    FreeChangeTables();
    fsSectors = {Sector(0xA0, "Great Hall", "STONE.VOC", 0x21)};
    fsSent.clear();
  }
  void TearDown() override { FreeChangeTables(); }
};

TEST_F(SectorFlow, ConversionsBothWays) {
  // clang-format off
  const struct { uint32_t dwFlag1; const char *szName, *szSound; } cases[] = {
      {0x21, "Great Hall", "STONE"}, {0, "", ""}, {0xFFFFFFFF, "a b", "X"}};
  // clang-format on
  for (const auto &c : cases) {
    SECTOR_DATA sd = Sector(0xB0, c.szName, c.szSound, c.dwFlag1);
    WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
    ASSERT_NE(wr, nullptr);
    ASSERT_NE(wr->szSecName, nullptr); // an empty name is an empty heap text
    EXPECT_STREQ(wr->szSecName, c.szName);
    for (int i = 0; i < 33; i++)
      EXPECT_EQ(wr->bFlagSet[i], i == 32 ? 0 : (c.dwFlag1 >> i) & 1 ? 2 : 1) << i;
    EXPECT_EQ(wr->fCeilThick, 96.5 - (double)0.1f); // in double, not float
    EXPECT_EQ(wr->ptCeil_y[0], 2.5);                // fAlignZ
    EXPECT_EQ(wr->wFloorAngle[0][1], 16383);
    SECTOR_DATA *pBack = MakeSDFromWR(wr);
    ASSERT_NE(pBack, nullptr);
    EXPECT_TRUE(Same(*pBack, AsSent(sd))) << c.szName;
    // Any state but 2 clears its bit; a name too long for the host is cut.
    const uint8_t states[] = {0, 1, 3, 255};
    memcpy(wr->bFlagSet, states, 4);
    free(wr->szSecName);
    wr->szSecName = strdup(std::string(100, 'n').c_str());
    wr->iSecLight = 0x12345;
    Sector_FillSD(pBack, wr);
    EXPECT_EQ(pBack->dwFlag1, c.dwFlag1 & 0xFFFFFFF0u);
    EXPECT_EQ(std::string(pBack->szSectorName), std::string(79, 'n'));
    EXPECT_EQ(pBack->wLight, 0x2345);
    free(wr->szSecName);
    wr->szSecName = nullptr; // no name text at all: an empty name
    Sector_FillSD(pBack, wr);
    EXPECT_STREQ(pBack->szSectorName, "");
    free(pBack);
    KillWR(wr);
  }
}

TEST_F(SectorFlow, NamesWithoutTerminatorAreReadBounded) {
  SECTOR_DATA sd = Sector(0xB1, "", "", 0);
  memset(sd.szSectorName, 'N', sizeof(sd.szSectorName));
  memset(sd.szSoundName, 'S', sizeof(sd.szSoundName));
  WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
  ASSERT_NE(wr, nullptr);
  EXPECT_EQ(std::string(wr->szSecName), std::string(79, 'N'));
  EXPECT_EQ(std::string(wr->szStepSoundName), std::string(39, 'S'));
  memset(wr->szStepSoundName, 's', sizeof(wr->szStepSoundName));
  Sector_FillSD(&sd, wr);
  EXPECT_EQ(std::string(sd.szSoundName), std::string(39, 's'));
  KillWR(wr);
}

// Heights and alignments the game gave come back bit for bit, broken ones
// too; what the editor computes is cut to the float range.
TEST_F(SectorFlow, FloatFieldsKeepTheirBits) {
  const uint32_t bits[] = {0x7FC00000u, 0x7FC12345u, 0xFFC00001u, 0x7F800000u, 0xFF800000u,
                           0x80000000u, 0x7F7FFFFFu, 0x00000001u, 0xC7C35000u /* -100000 */};
  for (uint32_t dw : bits) {
    SCOPED_TRACE(testing::Message() << std::hex << dw);
    float f;
    memcpy(&f, &dw, sizeof(f));
    SECTOR_DATA sd = Sector(0xB2, "N", "S", 0);
    sd.cfFloor[0][0].fElev = sd.cfCeiling[0].fElev = f;
    sd.cfCeiling[1].fAlignX = sd.cfFloor[0][0].fAlignZ = f;
    WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
    ASSERT_NE(wr, nullptr);
    SECTOR_DATA back;
    Sector_FillSD(&back, wr);
    EXPECT_TRUE(Same(back, AsSent(sd)));
    KillWR(wr);
  }
  SECTOR_DATA sd = Sector(0xB2, "N", "S", 0);
  WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
  wr->fCeilHeight = 1e300;
  wr->ptFloor_x[0][1] = -1e300;
  Sector_FillSD(&sd, wr);
  EXPECT_EQ(sd.cfCeiling[0].fElev, FLT_MAX);
  EXPECT_EQ(sd.cfFloor[0][1].fAlignX, -FLT_MAX);
  KillWR(wr);
}

// A read lays the recorded names over the host's and keeps the first read
// as the revert state. Each apply sends the sound without its extension,
// records the names and what the game got; a revert sends the first read.
TEST_F(SectorFlow, ReadApplyAndRevert) {
  SECTOR_OVERDUB od = {"DRIP.WAV", "Renamed"};
  AddToOverdubTable(OFT_SECTOR, 0xA0, 0, &od, sizeof(od));
  SECTOR_DATA first = Sector(0xA0, "Renamed", "DRIP", 0x21);
  int iStatus = -1;
  bool bKept = true;
  WINSEC_RESULTS *wr = Sector_ReadForEditor(FakeHost, 0xA0, &iStatus, &bKept);
  ASSERT_NE(wr, nullptr);
  EXPECT_STREQ(wr->szStepSoundName, "DRIP");
  EXPECT_TRUE(Same(*(const SECTOR_DATA *)FindRevertTableEntry(OFT_SECTOR, 0xA0, 0), first));
  EXPECT_TRUE(fsSent.empty() && ofMaster == nullptr); // reading sends and writes nothing
  const char *sounds[][2] = {{"STONE.VOC", "STONE"}, {"A.B.C", "A"}, {"PLAIN", "PLAIN"}};
  for (const auto &c : sounds) {
    wr->iSecLight++;
    strcpy(wr->szStepSoundName, c[0]);
    EXPECT_TRUE(PostSectorResults(FakeHost, wr));
    EXPECT_STREQ(fsSent.back().szSoundName, c[1]);
    EXPECT_EQ(fsSent.back().dwFlag2, 0u);
    const SECTOR_OVERDUB *pod = (const SECTOR_OVERDUB *)FindAnOverdub(OFT_SECTOR, 0xA0, 0);
    EXPECT_STREQ(pod->szSoundName, c[1]);
    EXPECT_STREQ(pod->szSectorName, "Renamed");
    EXPECT_TRUE(Same(*(const SECTOR_DATA *)FixupPayload(ofMaster), fsSent.back()));
    fsSectors[0] = fsSent.back();
    KillWR(wr);
    wr = Sector_ReadForEditor(FakeHost, 0xA0, &iStatus, &bKept);
  }
  KillWR(wr);
  fsSent.clear();
  wr = RevertSectorDialog(FakeHost, 0xA0, &iStatus, &bKept);
  ASSERT_NE(wr, nullptr);
  EXPECT_EQ(iStatus, SECTOR_FLOW_OK);
  EXPECT_TRUE(bKept);
  ASSERT_EQ(fsSent.size(), 1u);
  EXPECT_TRUE(Same(fsSent[0], AsSent(first)));
  EXPECT_TRUE(Same(*(const SECTOR_DATA *)FixupPayload(ofMaster), fsSent[0]));
  EXPECT_STREQ(((const SECTOR_OVERDUB *)FindAnOverdub(OFT_SECTOR, 0xA0, 0))->szSoundName, "DRIP");
  EXPECT_EQ(wr->iSecLight, 17);
  KillWR(wr);
}

TEST_F(SectorFlow, NothingToReadOrRevert) {
  int iStatus = -1;
  bool bKept = true;
  EXPECT_EQ(RevertSectorDialog(FakeHost, 0xA0, &iStatus, &bKept), nullptr);
  EXPECT_EQ(iStatus, SECTOR_FLOW_NOT_FOUND);
  EXPECT_EQ(Sector_ReadForEditor(FakeHost, 0xFF, &iStatus, &bKept), nullptr);
  EXPECT_EQ(iStatus, SECTOR_FLOW_NOT_FOUND);
  EXPECT_EQ(Sector_ReadForEditor(nullptr, 0xA0, &iStatus, &bKept), nullptr);
  EXPECT_TRUE(bKept && fsSent.empty());
  EXPECT_EQ(ChangeTables_Count(odMaster) + ChangeTables_Count(ofMaster) +
                ChangeTables_Count(orMaster),
            0);
}

} // namespace
