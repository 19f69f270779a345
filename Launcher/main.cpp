// The launcher takes no command-line options: everything it needs is fixed
// in the program or comes from the remote configuration.
#include <windows.h>

#include "Launcher/MainThread.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MainThread thread;
    thread.RunHere(pillar::kUILoop);
    return 0;
}
