// A layer of its own inside low, listed after it: low may not include it.
#include "low/a.h"
