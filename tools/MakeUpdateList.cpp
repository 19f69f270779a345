// Prints the update list of a game folder, for publishing next to the game's
// files on the update server, and writes its hash list when asked:
//
//   MakeUpdateList.exe <game folder> [--hash-list <file>]   > list.txt
//
// Each file below the folder becomes "relative\name+value"; entries are
// joined with "|"; the list is UTF-8 text. The hash list is what coreutils
// b2sum prints for the folder ("<BLAKE2b-512 hex>  relative/name" per line,
// UTF-8), so `b2sum -c` accepts it in the game folder; Config.ini's FilesB2
// is the hash of that file. Names holding a backslash or a line break are
// refused. Exit code 0 on success, 1 on a problem (told on stderr), 2 on a
// usage error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "Launcher/patch/HashListBuilder.h"
#include "Launcher/patch/UpdateListBuilder.h"
#include "pillar/WholeFile.h"

namespace {

const char kUsage[] =
    "usage: MakeUpdateList <game folder> [--hash-list <file>]\n"
    "  prints the update list; --hash-list also writes the folder's b2sum hash list\n"
    "  (names with a backslash or a line break are refused)\n";

} // namespace

int main() {
    // The folder may hold names outside the system code page; read the
    // command line as UTF-16.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool hashListAsked = argv != nullptr && argc == 4 && std::wstring(argv[2]) == L"--hash-list";
    if (argv == nullptr || (argc != 2 && !hashListAsked)) {
        std::fputs(kUsage, stderr);
        if (argv)
            LocalFree(argv);
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring hashListPath = hashListAsked ? argv[3] : L"";
    LocalFree(argv);

    std::string list;
    std::wstring problem;
    if (!BuildUpdateList(folder, list, problem)) {
        std::fwprintf(stderr, L"MakeUpdateList: %ls\n", problem.c_str());
        return 1;
    }
    if (hashListAsked) {
        std::string hashList;
        if (!BuildHashList(folder, hashList, problem)) {
            std::fwprintf(stderr, L"MakeUpdateList: %ls\n", problem.c_str());
            return 1;
        }
        if (!pillar::WriteWholeFile(hashListPath, hashList)) {
            std::fwprintf(stderr, L"MakeUpdateList: cannot write %ls\n", hashListPath.c_str());
            return 1;
        }
    }
    std::fwrite(list.data(), 1, list.size(), stdout);
    std::fflush(stdout);
    return std::ferror(stdout) ? 1 : 0;
}
