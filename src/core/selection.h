// The list of walls picked on the map, and the faced wall.
//
// Wall numbers are indices into the wall array of one position snapshot, so
// they belong to the sector of that snapshot. Only the editor thread touches
// this state. It remembers its sector, and every read of the snapshot for
// wall work (Selection_BeginRead) first empties the list and the faced-wall
// marker when the snapshot shows another sector: an index picked in one
// sector is never taken as a wall of the next.
#pragma once

#include <stdint.h>

#include <atomic>

#include "kred_records.h"

#define KRED_MAX_SELECTIONS 200

extern uint16_t wWallSelectionSet[KRED_MAX_SELECTIONS];
extern std::atomic<uint16_t> wCurrentWallSelections;
// The faced wall at the map view's last repaint, and the one before; -1: none.
extern int16_t iSelWall;
extern std::atomic<int16_t> piSelWall;
// The sector the list and the faced wall belong to, once known.
extern uint32_t dwSelSectorTag;
extern bool bSelSectorKnown;

// Editor thread, at the start of an editor run: nothing picked, no faced
// wall, no sector yet.
void Selection_Reset(void);

// Editor thread: begin reading the current snapshot (Snapshot_BeginRead)
// and bring the selection to its sector. Returns the slot to read.
// *pbEmptied (may be null) tells whether picks or a faced wall of another
// sector were dropped just now. Picks made until Selection_EndRead refer to
// this slot. Nested reads see the same slot.
int Selection_BeginRead(bool *pbEmptied);
void Selection_EndRead(void);

void AddWallToSelectedList(int w);
void ToggleWallInSelectedList(int w);
int IsWallInSelectionList(int w);
// "&Reset": the list becomes empty.
void ClearWallSelection(void);

// The faced wall of the current snapshot, or -1 (a read of its own).
int FindOutWhichWallWereLookingAt(void);
// The wall a one-wall command acts on: the first picked wall, else a fresh
// faced-wall search; -1 when none. It reads the snapshot itself; a caller
// that goes on to use the index against pvSet holds its own read around
// both, so the index and the slot match.
int TargetedWall(void);
// The walls the wall editor works on, as tags of the current snapshot: the
// picked walls in order, or, with none picked, the faced wall of the last
// repaint. Fills at most nMax tags and the sector's tag; returns the count.
int Selection_GatherTags(uint32_t *pdwSectorTag, uint32_t *pdwWallTags, int nMax);
