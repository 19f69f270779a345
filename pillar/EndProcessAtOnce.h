#pragma once

namespace pillar {
// Ends the launcher's process at once with exit code 0, from any thread.
// Nothing else runs afterwards: no exit handlers and no static destructors,
// which other threads may still be using. Tools in the kill-on-close job end
// with the process.
[[noreturn]] void EndProcessAtOnce();

} // namespace pillar
