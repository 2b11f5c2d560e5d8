// The wall edit flow: the wall editor's working record, gathered from one or
// several walls, laid back over each wall when applied, and the revert to the
// state in which each wall was first read.
//
// The walls come in already resolved: the sector tag and the wall tags, in
// the order of the selection. Every operation that records returns whether
// all of its records were kept in the change tables.
#pragma once

#include <stdint.h>

#include "kred_records.h"

// Markers of a field the targeted walls differ on (left unchanged).
#define WW_TEXTURE_DIFFERS (-1)
#define WW_FLAG_CLEAR 1
#define WW_FLAG_SET 2
#define WW_FLAG_DIFFERS 3

struct WINWALL_RESULTS {
  uint16_t wVirginFlags; // not used; always 0
  int32_t iUpperTexture; // -1: walls differ; -2: animated
  double ptUpperAlign_x; // -100000.0: walls differ
  double ptUpperAlign_y;
  int32_t iMiddleTexture;
  double ptMiddleAlign_x;
  double ptMiddleAlign_y;
  int32_t iLowerTexture;
  double ptLowerAlign_x;
  double ptLowerAlign_y;
  int32_t iSignTexture;
  double ptSignAlign_x;
  double ptSignAlign_y;
  int32_t WalkMode;      // not used; always 0
  uint8_t bFlagSet[128]; // 1 clear, 2 set, 3 walls differ; 0..31 = dwFlag1
};

// The tag of the one wall the working record holds, else 0.
extern uint32_t dwWallTag;

// Starts the record with one wall: zeroes it, reads the wall (request 2100)
// and takes its textures, alignments and flags. Returns 1 when the wall was
// read, 0 when the host did not answer for it (the record stays zeroed).
// *pbKept (may be null) becomes false when the wall's revert record could
// not be kept.
int StartAWallTable(KRED_CALLBACK pCallBack, WINWALL_RESULTS *wd, uint32_t dwSectorTag,
                    uint32_t dwTag, bool *pbKept);

// Merges one more wall; a wall the host does not answer for is left out.
// False when its revert record could not be kept. *pbRead (may be null)
// tells whether the wall was read.
bool AddToWallTable(KRED_CALLBACK pCallBack, WINWALL_RESULTS *wd, uint32_t dwSectorTag,
                    uint32_t dwTag, bool *pbRead = nullptr);

// Gathers the walls (in order) into wd: the first wall that can be read
// starts the record, the rest are merged. With no wall, or none readable,
// wd is zero-filled and dwWallTag 0. False when a revert record was lost.
// pbRead (may be null, else cWalls entries) tells which walls were read.
bool CreateWallData(KRED_CALLBACK pCallBack, WINWALL_RESULTS *wd, uint32_t dwSectorTag,
                    const uint32_t *pdwWallTags, int cWalls, bool *pbRead = nullptr);

// Lays the record over one wall's host record: textures other than -1 (an
// animated texture on the wall stays), alignments other than the nothing
// value, flag states 1 and 2. Everything else of the wall stays as it is.
void MixWallResults(const WINWALL_RESULTS *wr, WALL_DATA *wd);

// Applies the record to every wall: reads it (2100), lays the record over
// it, records it in the fixup table and sends it (2110). A wall the host no
// longer answers for gets nothing sent and nothing recorded; *pcMissing
// (may be null) counts them. False when a fixup record was lost (the wall
// was still sent).
bool PostWallResults(KRED_CALLBACK pCallBack, const WINWALL_RESULTS *wr, uint32_t dwSectorTag,
                     const uint32_t *pdwWallTags, int cWalls, int *pcMissing = nullptr);

// Sends every wall its first-read record again (2110) and records it in the
// fixup table. Walls never read for the editor, and walls the host no longer
// answers for, are skipped; *pcMissing (may be null) counts the latter. The
// caller waits and refreshes the dialog. False when a fixup record was lost.
bool RevertWallDialog(KRED_CALLBACK pCallBack, uint32_t dwSectorTag, const uint32_t *pdwWallTags,
                      int cWalls, int *pcMissing = nullptr);
