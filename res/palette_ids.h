/* Control ids of the palette viewer "KE_PAL". */
#ifndef PALETTE_IDS_H
#define PALETTE_IDS_H

#define IDC_PAL_GRID 1000
#define IDC_PAL_SCROLL 1010
#define IDC_PAL_POS 1020
#define IDC_PAL_MAIN 2000
#define IDC_PAL_CMAP 2010
#define IDC_PAL_SHADE 2020
#define IDC_PAL_MARK 3000
#define IDC_PAL_SWAP 3010

#endif
