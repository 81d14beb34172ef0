// Allowed: the same layer and a lower one.
#include "low/inner/c.h"
