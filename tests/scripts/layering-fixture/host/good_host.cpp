// A host that includes only the public headers passes.
#include "wavedeck.h"
