/* Control ids of the rendering peaks dialog "USAGE". */
#ifndef USAGE_IDS_H
#define USAGE_IDS_H

#define IDC_USAGE_ACTIVE_WINDOWS 1000
#define IDC_USAGE_WALL_EDGES 1010
#define IDC_USAGE_WALL_WINDOWS 1020
#define IDC_USAGE_ADJOINING 1030
#define IDC_USAGE_VISITED 1040

#endif
