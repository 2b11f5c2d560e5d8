/* Control ids of the wall editor "FULLWALL". */
#ifndef FULLWALL_IDS_H
#define FULLWALL_IDS_H

#endif
