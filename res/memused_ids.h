/* Control ids of the resource memory viewer "MEM_USED". */
#ifndef MEMUSED_IDS_H
#define MEMUSED_IDS_H

#define IDC_MEM_TAG_PATTERN 999
#define IDC_MEM_TEXT_PATTERN 1999
#define IDC_MEM_SECOND_ROW 1998
#define IDC_MEM_NEXT 3000
#define IDC_MEM_PREV 3010
#define IDC_MEM_UPDATE 3020
/* Row r: code field 1000 + r, description 2000 + r. */
#define IDC_MEM_TAG0 1000
#define IDC_MEM_TEXT0 2000
#define MEM_ROWS 20

#endif
