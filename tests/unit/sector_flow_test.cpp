#include "sector_flow.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fixup_tables.h"

namespace {

// The fake host: one table of sectors by tag, answering 2000 and keeping
// every sector sent with 3000.
std::vector<SECTOR_DATA> fsSectors;
std::vector<SECTOR_DATA> fsSent;

uint32_t KRED_CDECL FakeHost(uint16_t wCode, uintptr_t dwArg) {
  SECTOR_DATA *sd = (SECTOR_DATA *)dwArg;
  if (wCode == KREQ_GET_SECTOR) {
    EXPECT_EQ(sd->bOrdinal, 0u);
    for (const SECTOR_DATA &s : fsSectors)
      if (s.dwSectorTag == sd->dwSectorTag) {
        *sd = s;
        return 0;
      }
    return 1;
  }
  if (wCode == KREQ_SET_SECTOR) {
    fsSent.push_back(*sd);
    return 0;
  }
  ADD_FAILURE() << "unexpected request " << wCode;
  return 1;
}

CF_DATA Surface(int32_t iTex, float fElev, float x, float z, uint16_t wAngle) {
  CF_DATA cf;
  memset(&cf, 0, sizeof(cf));
  cf.iTextureIndex = iTex;
  cf.fElev = fElev;
  cf.fAlignX = x;
  cf.fAlignZ = z;
  cf.wAngle = wAngle;
  return cf;
}

// A host sector with every field set, the fixed ones to what the editor
// never sends.
SECTOR_DATA Sector(uint32_t dwTag, const char *szName, const char *szSound, uint32_t dwFlag1) {
  SECTOR_DATA sd;
  memset(&sd, 0, sizeof(sd));
  sd.dwStructSize = 296;
  sd.bOrdinal = 7;
  sd.dwSectorTag = dwTag;
  snprintf(sd.szSectorName, sizeof(sd.szSectorName), "%s", szName);
  sd.wLight = 17;
  sd.fFriction = 0.256f;
  sd.fGravity = -9.5f;
  sd.dwFlag1 = dwFlag1;
  sd.dwFlag2 = 0xDEAD;
  sd.dwFlag3 = 0xBEEF;
  sd.cfCeiling[0] = Surface(3, 96.5f, 1.25f, 2.5f, 4096);
  sd.cfCeiling[1] = Surface(-1, 50.0f, 3.75f, 4.5f, 100);
  sd.wFloorCount = 3;
  sd.cfFloor[0][0] = Surface(8, 0.1f, 5.5f, 6.25f, 8192);
  sd.cfFloor[0][1] = Surface(-2, 20.0f, 7.0f, 8.0f, 16383);
  sd.sdFloor = {0x11, 0x22, -300};
  sd.sdCeiling = {0x33, 0x44, 3277};
  snprintf(sd.szSoundName, sizeof(sd.szSoundName), "%s", szSound);
  sd.fElasticity = 0.3f;
  sd.dVX = 1.5;
  sd.dVY = -2.25;
  sd.dVZ = 1e-9;
  return sd;
}

// What the editor sends for a host sector it did not change: the same,
// with the fixed values of the records it builds and the sound cut.
SECTOR_DATA AsSent(SECTOR_DATA sd) {
  sd.dwStructSize = 0;
  sd.bOrdinal = 0;
  sd.dwFlag2 = 0;
  sd.dwFlag3 = 0;
  sd.cfCeiling[1].fElev = 0;
  sd.cfFloor[0][1].fElev = 0;
  sd.wFloorCount = 1;
  char *pDot = (char *)memchr(sd.szSoundName, '.', sizeof(sd.szSoundName));
  if (pDot != nullptr)
    memset(pDot, 0, sizeof(sd.szSoundName) - (size_t)(pDot - sd.szSoundName));
  return sd;
}

bool SameSector(const SECTOR_DATA &a, const SECTOR_DATA &b) {
  return memcmp(&a, &b, sizeof(a)) == 0;
}

class SectorFlow : public ::testing::Test {
protected:
  void SetUp() override {
    FreeChangeTables();
    fsSectors = {Sector(0xA0, "Great Hall", "STONE.VOC", 0x21), Sector(0xA1, "", "", 0)};
    fsSent.clear();
  }
  void TearDown() override { FreeChangeTables(); }
};

TEST_F(SectorFlow, ConversionsBothWays) {
  const struct {
    const char *szWhat;
    uint32_t dwFlag1;
    const char *szName;
    const char *szSound;
  } cases[] = {
      {"bit 5 and bit 0", 0x21, "Great Hall", "STONE"},
      {"no flags, empty names", 0, "", ""},
      {"all flags, blanks in the name", 0xFFFFFFFF, "a b  c", "X"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szWhat);
    SECTOR_DATA sd = Sector(0xB0, c.szName, c.szSound, c.dwFlag1);
    WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
    ASSERT_NE(wr, nullptr);
    EXPECT_EQ(wr->dwSecTag, 0xB0u);
    ASSERT_NE(wr->szSecName, nullptr);
    EXPECT_STREQ(wr->szSecName, c.szName);
    EXPECT_STREQ(wr->szStepSoundName, c.szSound);
    for (int i = 0; i < 32; i++)
      EXPECT_EQ(wr->bFlagSet[i], (c.dwFlag1 >> i) & 1 ? 2 : 1) << "flag " << i;
    EXPECT_EQ(wr->bFlagSet[32], 0);
    EXPECT_EQ(wr->iSecLight, 17);
    EXPECT_EQ(wr->fCeilThick, 96.5 - (double)0.1f); // in double, not float
    EXPECT_EQ(wr->fCeilHeight, 96.5);
    EXPECT_EQ(wr->fFloorElev[0], (double)0.1f);
    EXPECT_EQ(wr->iCeilIndex[1], -1);
    EXPECT_EQ(wr->iFloorIndex[0][1], -2);
    EXPECT_EQ(wr->ptFloor_y[0][0], 6.25);
    EXPECT_EQ(wr->wFloorAngle[0][1], 16383);
    EXPECT_EQ(wr->sdCeiling.iAngle, 3277);
    SECTOR_DATA *pBack = MakeSDFromWR(wr);
    ASSERT_NE(pBack, nullptr);
    EXPECT_TRUE(SameSector(*pBack, AsSent(sd)));
    free(pBack);
    KillWR(wr);
  }
}

TEST_F(SectorFlow, WritingBackCutsAndClears) {
  SECTOR_DATA sd = Sector(0xB1, "Name", "SND", 0xFFFFFFFF);
  WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
  ASSERT_NE(wr, nullptr);
  // Any state but 2 clears its bit.
  const uint8_t states[] = {0, 1, 3, 255};
  for (int i = 0; i < 4; i++)
    wr->bFlagSet[i] = states[i];
  wr->bFlagSet[40] = 2; // no bit past 31
  free(wr->szSecName);
  std::string sLong(100, 'n');
  wr->szSecName = strdup(sLong.c_str());
  memset(wr->szStepSoundName, 's', sizeof(wr->szStepSoundName)); // no terminator
  wr->iSecLight = (int32_t)0x80000000u;
  SECTOR_DATA back;
  Sector_FillSD(&back, wr);
  EXPECT_EQ(back.dwFlag1, 0xFFFFFFF0u);
  EXPECT_EQ(std::string(back.szSectorName), sLong.substr(0, 79));
  EXPECT_EQ(std::string(back.szSoundName), std::string(39, 's'));
  EXPECT_EQ(back.wLight, 0);
  wr->iSecLight = 0x12345;
  free(wr->szSecName);
  wr->szSecName = nullptr; // no name text at all sends an empty name
  Sector_FillSD(&back, wr);
  EXPECT_EQ(back.wLight, 0x2345);
  EXPECT_STREQ(back.szSectorName, "");
  KillWR(wr);
  KillWR(nullptr);
  EXPECT_EQ(MakeWRFromSectorData(nullptr), nullptr);
  EXPECT_EQ(MakeSDFromWR(nullptr), nullptr);
}

TEST_F(SectorFlow, HostNamesWithoutTerminatorAreReadBounded) {
  SECTOR_DATA sd = Sector(0xB2, "", "", 0);
  memset(sd.szSectorName, 'N', sizeof(sd.szSectorName));
  memset(sd.szSoundName, 'S', sizeof(sd.szSoundName));
  WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
  ASSERT_NE(wr, nullptr);
  EXPECT_EQ(std::string(wr->szSecName), std::string(79, 'N'));
  EXPECT_EQ(std::string(wr->szStepSoundName), std::string(39, 'S'));
  KillWR(wr);
  // Through the read for the editor as well.
  fsSectors.push_back(sd);
  int iStatus = -1;
  bool bKept = true;
  wr = Sector_ReadForEditor(FakeHost, 0xB2, &iStatus, &bKept);
  ASSERT_NE(wr, nullptr);
  EXPECT_EQ(std::string(wr->szSecName), std::string(79, 'N'));
  const SECTOR_DATA *pSaved = (const SECTOR_DATA *)FindRevertTableEntry(OFT_SECTOR, 0xB2, 0);
  ASSERT_NE(pSaved, nullptr);
  EXPECT_EQ(strlen(pSaved->szSoundName), 39u);
  KillWR(wr);
}

TEST_F(SectorFlow, ApplyCutsTheSoundAndRecordsWhatTheGameGot) {
  const struct {
    const char *szSound;
    const char *szWant;
  } cases[] = {{"STONE.VOC", "STONE"}, {"A.B.C", "A"}, {"PLAIN", "PLAIN"}, {".VOC", ""}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.szSound);
    FreeChangeTables();
    fsSent.clear();
    SECTOR_DATA sd = Sector(0xA0, "Great Hall", "", 0x21);
    WINSEC_RESULTS *wr = MakeWRFromSectorData(&sd);
    strcpy(wr->szStepSoundName, c.szSound);
    EXPECT_TRUE(PostSectorResults(FakeHost, wr));
    ASSERT_EQ(fsSent.size(), 1u);
    EXPECT_STREQ(fsSent[0].szSoundName, c.szWant);
    EXPECT_EQ(fsSent[0].dwFlag2, 0u);
    EXPECT_EQ(fsSent[0].wFloorCount, 1);
    const SECTOR_OVERDUB *pod = (const SECTOR_OVERDUB *)FindAnOverdub(OFT_SECTOR, 0xA0, 0);
    ASSERT_NE(pod, nullptr);
    EXPECT_STREQ(pod->szSoundName, c.szWant);
    EXPECT_STREQ(pod->szSectorName, "Great Hall");
    ASSERT_NE(ofMaster, nullptr);
    EXPECT_EQ(ofMaster->dwModTag1, 0xA0u);
    EXPECT_TRUE(SameSector(*(const SECTOR_DATA *)FixupPayload(ofMaster), fsSent[0]));
    KillWR(wr);
  }
}

TEST_F(SectorFlow, ReadLaysTheRecordedNamesOverTheHosts) {
  SECTOR_OVERDUB od;
  memset(&od, 0, sizeof(od));
  strcpy(od.szSoundName, "DRIP.WAV");
  strcpy(od.szSectorName, "Renamed");
  AddToOverdubTable(OFT_SECTOR, 0xA0, 0, &od, sizeof(od));
  int iStatus = -1;
  bool bKept = true;
  WINSEC_RESULTS *wr = Sector_ReadForEditor(FakeHost, 0xA0, &iStatus, &bKept);
  ASSERT_NE(wr, nullptr);
  EXPECT_EQ(iStatus, SECTOR_FLOW_OK);
  EXPECT_TRUE(bKept);
  EXPECT_STREQ(wr->szSecName, "Renamed");
  EXPECT_STREQ(wr->szStepSoundName, "DRIP");
  EXPECT_EQ(wr->dwSecTag, 0xA0u);
  // The revert state is the record after the names were laid over it.
  const SECTOR_DATA *pSaved = (const SECTOR_DATA *)FindRevertTableEntry(OFT_SECTOR, 0xA0, 0);
  ASSERT_NE(pSaved, nullptr);
  EXPECT_STREQ(pSaved->szSectorName, "Renamed");
  EXPECT_STREQ(pSaved->szSoundName, "DRIP");
  EXPECT_EQ(pSaved->dwFlag2, 0xDEADu); // as the host gave it
  EXPECT_TRUE(fsSent.empty());
  EXPECT_EQ(ofMaster, nullptr);
  KillWR(wr);
  // No such sector: nothing made, nothing recorded.
  wr = Sector_ReadForEditor(FakeHost, 0xFF, &iStatus, &bKept);
  EXPECT_EQ(wr, nullptr);
  EXPECT_EQ(iStatus, SECTOR_FLOW_NOT_FOUND);
  EXPECT_EQ(ChangeTables_Count(orMaster), 1);
  EXPECT_EQ(Sector_ReadForEditor(nullptr, 0xA0, &iStatus, nullptr), nullptr);
}

TEST_F(SectorFlow, RevertAfterSeveralAppliesSendsTheFirstRead) {
  SECTOR_DATA first = fsSectors[0];
  int iStatus = -1;
  bool bKept = true;
  WINSEC_RESULTS *wr = Sector_ReadForEditor(FakeHost, 0xA0, &iStatus, &bKept);
  ASSERT_NE(wr, nullptr);
  for (int i = 0; i < 3; i++) {
    wr->iSecLight = 20 + i;
    wr->fGravity = (float)i;
    strcpy(wr->szStepSoundName, "OTHER.VOC");
    wr->bFlagSet[7] = WS_FLAG_SET;
    PostSectorResults(FakeHost, wr);
    fsSectors[0] = fsSent.back();
    KillWR(wr);
    wr = Sector_ReadForEditor(FakeHost, 0xA0, &iStatus, &bKept);
    ASSERT_NE(wr, nullptr);
  }
  EXPECT_STREQ(wr->szStepSoundName, "OTHER");
  KillWR(wr);
  fsSent.clear();
  WINSEC_RESULTS *wrBack = RevertSectorDialog(FakeHost, 0xA0, &iStatus, &bKept);
  ASSERT_NE(wrBack, nullptr);
  EXPECT_EQ(iStatus, SECTOR_FLOW_OK);
  EXPECT_TRUE(bKept);
  ASSERT_EQ(fsSent.size(), 1u);
  EXPECT_TRUE(SameSector(fsSent[0], AsSent(first)));
  EXPECT_EQ(wrBack->iSecLight, 17);
  EXPECT_STREQ(wrBack->szStepSoundName, "STONE");
  // Fixup and overdub tables hold what the game got.
  EXPECT_EQ(ChangeTables_Count(ofMaster), 1);
  EXPECT_TRUE(SameSector(*(const SECTOR_DATA *)FixupPayload(ofMaster), fsSent[0]));
  const SECTOR_OVERDUB *pod = (const SECTOR_OVERDUB *)FindAnOverdub(OFT_SECTOR, 0xA0, 0);
  ASSERT_NE(pod, nullptr);
  EXPECT_STREQ(pod->szSoundName, "STONE");
  KillWR(wrBack);
}

TEST_F(SectorFlow, RevertWithNothingRecorded) {
  int iStatus = -1;
  bool bKept = true;
  EXPECT_EQ(RevertSectorDialog(FakeHost, 0xA0, &iStatus, &bKept), nullptr);
  EXPECT_EQ(iStatus, SECTOR_FLOW_NOT_FOUND);
  EXPECT_TRUE(bKept);
  EXPECT_TRUE(fsSent.empty());
  EXPECT_EQ(odMaster, nullptr);
  EXPECT_EQ(ofMaster, nullptr);
  EXPECT_EQ(orMaster, nullptr);
}

} // namespace
