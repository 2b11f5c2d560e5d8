/* Control ids of the rendering peaks dialog "USAGE". */
#ifndef USAGE_IDS_H
#define USAGE_IDS_H

#endif
