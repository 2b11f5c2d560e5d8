/* Control ids of the palette viewer "KE_PAL". */
#ifndef PALETTE_IDS_H
#define PALETTE_IDS_H

#endif
