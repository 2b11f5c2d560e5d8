/* Control ids of the resource memory viewer "MEM_USED". */
#ifndef MEMUSED_IDS_H
#define MEMUSED_IDS_H

#endif
