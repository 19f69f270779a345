#include "pillar/EndProcessAtOnce.h"

#include <windows.h>

namespace pillar {

void EndProcessAtOnce() {
    TerminateProcess(GetCurrentProcess(), 0);
    // Not reached; TerminateProcess on the own process does not return.
    ExitProcess(0);
}

} // namespace pillar
