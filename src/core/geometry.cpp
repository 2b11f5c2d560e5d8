#include "geometry.h"
