// A test beside the code may include the host-path header.
#include "low/host.h"
