/* Control ids of the sector editor "WINSEC". */
#ifndef WINSEC_IDS_H
#define WINSEC_IDS_H

#endif
