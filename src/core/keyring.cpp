#include "keyring.h"
