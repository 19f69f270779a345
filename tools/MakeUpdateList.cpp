// Prints the update list of a game folder, for publishing next to the game's
// files on the update server:
//
//   MakeUpdateList.exe <game folder>   > list.txt
//
// Each file below the folder becomes "relative\name+value"; entries are
// joined with "|"; the list is UTF-8 text. Exit code 0 on success, 1 on a
// problem (told on stderr), 2 on a usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "Launcher/patch/UpdateListBuilder.h"

int main() {
    // The folder may hold names outside the system code page; read the
    // command line as UTF-16.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        std::fprintf(stderr, "usage: MakeUpdateList <game folder>\n");
        if (argv)
            LocalFree(argv);
        return 2;
    }
    const std::wstring folder = argv[1];
    LocalFree(argv);

    std::string list;
    std::wstring problem;
    if (!BuildUpdateList(folder, list, problem)) {
        std::fwprintf(stderr, L"MakeUpdateList: %ls\n", problem.c_str());
        return 1;
    }
    std::fwrite(list.data(), 1, list.size(), stdout);
    std::fflush(stdout);
    return std::ferror(stdout) ? 1 : 0;
}
