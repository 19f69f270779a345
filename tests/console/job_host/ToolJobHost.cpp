// Plays a launcher that dies while a tool runs: starts the stand-in tool
// given as its first argument through the extraction driver, then waits to
// be killed. The console tests check that the tool dies with it.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "Launcher/console/SevenZipControl.h"

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 3) return 2;
    SevenZipControl sevenZip;
    sevenZip.SetToolPath(argv[1]);
    const std::wstring folder = argv[2];
    LocalFree(argv);
    if (!sevenZip.Extract(folder + L"a.7z", folder)) return 3;
    // Bounded, so a test that never kills it still ends.
    Sleep(60000);
    return 0;
}
