#pragma once
// The one way the launcher starts a worker thread (the UI thread is a
// FrameworkThread of its own).
#include <functional>

#include "pillar/ScopedHandle.h"

namespace pillar {

// Runs `body` on a new thread. The handle lets the caller wait for its end
// (and cancel its blocking reads); an invalid handle means the thread could
// not be started and `body` was dropped without running.
ScopedHandle StartThread(std::function<void()> body);

// Runs `body` on a new thread and lets it go; nobody joins it, it ends with
// the process at the latest. False when the thread could not be started.
bool StartDetachedThread(std::function<void()> body);

} // namespace pillar
