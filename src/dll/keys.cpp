// Registry preferences: placeholder until the routines land.
#include "kreditor.h"

int iMaxWindows = 100;
void Tools_MaxWindowsCycle(void) {}
void Tools_ResourceIdsCycle(char *, int) {}
