// Against the order: a lower layer reaching up.
#include "high/b.h"
