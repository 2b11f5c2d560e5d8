#include "textures.h"
