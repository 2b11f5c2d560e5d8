// The list of walls picked on the map, and the faced wall.
#pragma once

#include <stdint.h>

#include <atomic>

#define KRED_MAX_SELECTIONS 200

extern uint16_t wWallSelectionSet[KRED_MAX_SELECTIONS];
// Emptied from the host's thread on a sector change, hence atomic.
extern std::atomic<uint16_t> wCurrentWallSelections;
extern int16_t iSelWall;
extern std::atomic<int16_t> piSelWall;

void AddWallToSelectedList(int w);
void ToggleWallInSelectedList(int w);
int IsWallInSelectionList(int w);
// "&Reset" and the sector change: the list becomes empty.
void ClearWallSelection(void);
// The wall a one-wall command acts on: the first picked wall, else a fresh
// faced-wall search in the current snapshot; -1 when none.
int TargetedWall(void);
