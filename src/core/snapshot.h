// Two-slot position snapshot published by the host's frame thread and read
// by the editor thread.
#pragma once

#include <stdint.h>

#include <atomic>

#include "kred_records.h"

#define KRED_MAX_WALLS 200
#define KRED_MAX_ACTORS 100

extern EDITOR_VIEW pvSet[2];
extern std::atomic<int> ipvSide;
extern std::atomic<RenderUsage *> gruPoint;
extern std::atomic<uint32_t> bViewCopyLock;
extern std::atomic<uint32_t> bPositionLock;
extern std::atomic<uint32_t> bDrawingNow;
extern std::atomic<int> iDrawShiftCount;

// Attach/detach: the four wall and actor arrays of the two slots.
bool Snapshot_Alloc(void);
void Snapshot_Free(void);
// Back to the state after attach (tests). Only while neither thread uses
// the snapshot.
void Snapshot_Reset(void);
// Editor thread, at the start of an editor run: no read is held any more
// (a run that ended inside one cannot leave the host's copies throttled)
// and the position is not locked. The slots keep the last update.
void Snapshot_ReaderReset(void);

// Host thread: copy an update into the slot that is not current and make it
// current. Returns 1 when copied, 0 when skipped (lock, a copy already in
// progress, or the one update allowed during a read already taken). Counts
// are clamped to 0..capacity; a null array counts as empty. Never waits.
// It touches nothing but the snapshot: what the editor derives from it (the
// wall selection) follows on the editor thread when it reads.
uint32_t Snapshot_Publish(const EDITOR_UPDATE_POSITION *eup);

// Editor thread: start reading the current snapshot. Returns the slot to
// read; that slot is not rewritten until Snapshot_EndRead. Nested calls
// return the same slot. May wait for at most one copy that is in progress.
// A reader that works with wall indices reads through Selection_BeginRead,
// which keeps the selection in step with the snapshot's sector.
int Snapshot_BeginRead(void);
void Snapshot_EndRead(void);
bool Snapshot_IsReading(void);
