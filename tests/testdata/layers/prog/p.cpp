// Allowed: a listed folder and a listed header; refused: a host-path header.
#include "high/b.h"
#include "low/win.h"
#include "low/host.h"
