#include "Launcher/trust/Sodium.h"

#include <sodium.h>

namespace trust {

bool EnsureSodium() {
    // sodium_init is thread-safe; a static keeps later calls free.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace trust
