#include "snapshot.h"
