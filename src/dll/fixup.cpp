// Fixup file commands: placeholder until the writer lands.
#include "kreditor.h"

void SaveFixupFile(void) {}
void AddWholeLevelToFixupFile(void) {}
