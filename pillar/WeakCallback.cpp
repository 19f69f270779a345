// The weak-callback types are templates and inline members; this unit keeps
// the header compiled on its own.
#include "pillar/WeakCallback.h"
