#include "fixup_tables.h"
