// "&Add Whole Level to Fixup File": every sector and wall of the level, by
// ordinal through the host, into the selected level's fixup table.
#pragma once

#include "kred_records.h"

struct WHOLE_LEVEL_EXPORT {
  int iSectors;     // sectors the host gave
  int iWalls;       // walls the host gave
  int iNotRecorded; // of those, records the fixup table could not keep
};

// Walks the level (sector ordinals from 0 until the host has no more, each
// sector's walls likewise), lays the overdub names over each sector and
// records every sector and wall. Records that cannot be kept are counted,
// and the walk goes on.
WHOLE_LEVEL_EXPORT Fixup_AddWholeLevel(KRED_CALLBACK pCallBack);
