#include "fixup_writer.h"
