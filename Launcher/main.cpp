// The launcher takes no command-line options: everything it needs is fixed
// in the program or comes from the remote configuration.
#include <windows.h>

#include "Launcher/app/UiThread.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UiThread thread;
    thread.RunHere(pillar::kUILoop);
    return 0;
}
