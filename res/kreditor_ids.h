/* Control and command ids of the editor's templates and menu. Shared by the
   resource script and the code. */
#ifndef KREDITOR_IDS_H
#define KREDITOR_IDS_H

/* KE_MAIN */
#define IDC_MAIN_VIEW 1000
#define IDC_MAIN_ZOOM 1040
#define IDC_MAIN_SPEED 1160
#define IDC_MAIN_FR_LABEL 1151
#define IDC_MAIN_FR 1150
#define IDC_MAIN_GRABWALL 1120
#define IDC_MAIN_RESET 1060
#define IDC_MAIN_LOCK 1030

/* KE_MENU and main dialog commands */
#define IDM_SECTOR_EDITOR 1010
#define IDM_WALL_EDITOR 1020
#define IDM_INVERT_LOCK 1031
#define IDM_SAVE_FIXUP 1050
#define IDM_PALETTE_VIEWER 1080
#define IDM_RESOURCE_USAGE 1110
#define IDM_RENDERING_DATA 1130
#define IDM_ADD_WHOLE_LEVEL 1140
#define IDM_VELOCITY 1160
#define IDM_RB_FLOOR 2000
#define IDM_RB_CEILING 2001

/* The tool windows. */
#include "winsec_ids.h"
#include "fullwall_ids.h"
#include "palette_ids.h"
#include "memused_ids.h"
#include "usage_ids.h"

#endif
