/* Control and command ids of the wall editor "FULLWALL". Level L (0 upper,
   1 middle, 2 lower, 3 overlay) has its frame at 4010 + 10 L, its animated
   text at 6000 + 10 L, its texture list at 1000 + 100 L and its alignment
   edits at 1010 + 100 L and 1020 + 100 L, each edit's scroll bar one above
   it. */
#ifndef FULLWALL_IDS_H
#define FULLWALL_IDS_H

#define IDC_WALL_UPPER_FRAME 4010
#define IDC_WALL_UPPER_ANIMATED 6000
#define IDC_WALL_UPPER_TEXTURE 1000
#define IDC_WALL_UPPER_ALIGNX 1010
#define IDC_WALL_UPPER_ALIGNX_BAR 1011
#define IDC_WALL_UPPER_ALIGNY 1020
#define IDC_WALL_UPPER_ALIGNY_BAR 1021

#define IDC_WALL_MIDDLE_FRAME 4020
#define IDC_WALL_MIDDLE_ANIMATED 6010
#define IDC_WALL_MIDDLE_TEXTURE 1100
#define IDC_WALL_MIDDLE_ALIGNX 1110
#define IDC_WALL_MIDDLE_ALIGNX_BAR 1111
#define IDC_WALL_MIDDLE_ALIGNY 1120
#define IDC_WALL_MIDDLE_ALIGNY_BAR 1121

#define IDC_WALL_LOWER_FRAME 4030
#define IDC_WALL_LOWER_ANIMATED 6020
#define IDC_WALL_LOWER_TEXTURE 1200
#define IDC_WALL_LOWER_ALIGNX 1210
#define IDC_WALL_LOWER_ALIGNX_BAR 1211
#define IDC_WALL_LOWER_ALIGNY 1220
#define IDC_WALL_LOWER_ALIGNY_BAR 1221

#define IDC_WALL_OVERLAY_FRAME 4040
#define IDC_WALL_OVERLAY_ANIMATED 6030
#define IDC_WALL_OVERLAY_TEXTURE 1300
#define IDC_WALL_OVERLAY_ALIGNX 1310
#define IDC_WALL_OVERLAY_ALIGNX_BAR 1311
#define IDC_WALL_OVERLAY_ALIGNY 1320
#define IDC_WALL_OVERLAY_ALIGNY_BAR 1321

/* Check box of wall flag i (bit i of dwFlag1) is 2000 + i; the template has
   boxes for flags 0 to 23. */
#define IDC_WALL_FLAG0 2000
#define IDC_WALL_FLAG_BOXES 24

#define IDC_WALL_APPLY 3000
#define IDC_WALL_REVERT 3010
/* Command from the key commands: lParam names the level to mark (-1 none). */
#define IDM_WALL_LEVEL 4000

#endif
