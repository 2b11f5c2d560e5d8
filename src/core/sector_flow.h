// The sector edit flow: the sector editor's working record, its conversions
// to and from the host's sector record, reading a sector for the editor,
// applying a working record and reverting a sector to its first-read state.
//
// Every operation that records returns (or reports) whether all of its
// records were kept in the change tables.
#pragma once

#include <stdint.h>

#include "kred_records.h"

#define WS_MAX_FLOORS 64
#define WS_FLAG_CLEAR 1
#define WS_FLAG_SET 2

struct WINSEC_RESULTS {
  uint32_t dwSecTag;
  char *szSecName; // heap text owned by the record; null: no name text
  uint16_t wVirginFlags;
  char bFloorVirgins[WS_MAX_FLOORS];
  double fFloorElev[WS_MAX_FLOORS];
  uint16_t wFloorAngle[WS_MAX_FLOORS][2];
  int32_t iSecLight;
  float fFriction;
  float fGravity;
  double fCeilThick; // ceiling height minus floor height
  double fCeilHeight;
  uint16_t wCeilAngle[2];
  double fFloorDelta;
  int32_t iCeilIndex[2];
  double ptCeil_x[2];
  double ptCeil_y[2];
  int32_t iFloorIndex[WS_MAX_FLOORS][2];
  double ptFloor_x[WS_MAX_FLOORS][2];
  double ptFloor_y[WS_MAX_FLOORS][2];
  uint8_t bFlagSet[64]; // 1 clear, 2 set; 0..31 = dwFlag1
  SLOPE_DATA sdFloor;
  SLOPE_DATA sdCeiling;
  float fElasticity;
  char szStepSoundName[40];
  double dVX;
  double dVY;
  double dVZ;
};

// A new working record from a host sector record, or null when memory runs
// out. Names that fill their arrays without a terminator are cut to 79 and
// 39 characters. The caller frees it with KillWR.
WINSEC_RESULTS *MakeWRFromSectorData(const SECTOR_DATA *sd);
// A new host sector record from a working record (free() it), or null when
// memory runs out. Zero everywhere the working record does not write back;
// wFloorCount 1; the name cut to 79 characters, the step sound to 39.
// Heights and alignments beyond the float range are cut to it; a value that
// is no number, or infinite, goes back as it is (only the game's own record
// holds one), so a record read and written back keeps every bit.
SECTOR_DATA *MakeSDFromWR(const WINSEC_RESULTS *wsResults);
// The same conversion into a record of the caller's.
void Sector_FillSD(SECTOR_DATA *sd, const WINSEC_RESULTS *wsResults);
void KillWR(WINSEC_RESULTS *wr);

// Cuts a name held in an array of cb bytes at its first "." (and at cb - 1
// characters when it has no terminator), zeroing the rest of the array.
void Sector_CutSoundName(char *szSound, int cb);

// Applies a working record: records the names (overdub) and the sector
// record (fixup) and sends it to the game (3000). The game gets the step
// sound without its extension. False when a record was not kept (the sector
// is sent all the same).
bool PostSectorResults(KRED_CALLBACK pCallBack, const WINSEC_RESULTS *wr);

enum {
  SECTOR_FLOW_OK = 0,
  SECTOR_FLOW_NOT_FOUND = 1, // read: the host has no such sector; revert: nothing recorded
  SECTOR_FLOW_NO_MEMORY = 2  // no working record could be made; nothing was sent
};

// Reads sector dwSecTag for the editor (2000 by tag), lays the recorded
// names over it, cuts the step sound at ".", keeps it as the sector's revert
// state if it is the first read, and returns the working record (null with
// *piStatus telling why). *pbKept becomes false when the revert state was
// not kept.
WINSEC_RESULTS *Sector_ReadForEditor(KRED_CALLBACK pCallBack, uint32_t dwSecTag, int *piStatus,
                                     bool *pbKept);

// Reverts sector dwSecTag to its first-read state: records it again and
// applies it through a new working record, which is returned for the dialog
// (null with *piStatus SECTOR_FLOW_NOT_FOUND when there is no first-read
// state: the caller beeps and says "No changes to revert from!").
WINSEC_RESULTS *RevertSectorDialog(KRED_CALLBACK pCallBack, uint32_t dwSecTag, int *piStatus,
                                   bool *pbKept);
