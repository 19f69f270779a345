#include "Launcher/EndProcessAtOnce.h"

#include <windows.h>

void EndProcessAtOnce() {
    TerminateProcess(GetCurrentProcess(), 0);
    // Not reached; TerminateProcess on the own process does not return.
    ExitProcess(0);
}
