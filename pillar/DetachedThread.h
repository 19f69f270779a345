#pragma once
// The launcher's background work runs on plain threads that nobody joins;
// they end with the process at the latest.
#include <functional>

namespace pillar {

// Runs `body` on a new thread and lets it go. False when the thread could
// not be started (`body` is then dropped without running).
bool StartDetachedThread(std::function<void()> body);

} // namespace pillar
