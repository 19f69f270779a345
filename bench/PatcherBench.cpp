// Verification throughput of the update-list check over a generated game
// tree where every file already matches, against the raw file checksum.
#include "bench/BenchCase.h"

#include "Launcher/Crc32Routine.h"
#include "Launcher/FileListPatcher.h"
#include "Launcher/UpdateListBuilder.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

#include <windows.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 2000;
constexpr size_t kTotalBytes = 512u << 20;
constexpr int kFolders = 40;

struct Tree {
    std::wstring root;
    std::vector<std::wstring> files;
    size_t bytes = 0;
};

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// File sizes vary from a few bytes to about twice the mean, like a real
// game's mix of small configs and large archives.
bool MakeTree(Tree& tree) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    tree.root = std::wstring(temp) + L"patcher_bench";
    RemoveTree(tree.root);
    CreateDirectoryW(tree.root.c_str(), nullptr);
    for (int f = 0; f < kFolders; ++f)
        CreateDirectoryW((tree.root + L"\\pack" + std::to_wstring(f)).c_str(), nullptr);

    std::mt19937 random(4242);
    const size_t mean = kTotalBytes / kFiles;
    std::vector<size_t> sizes(kFiles);
    size_t sum = 0;
    for (auto& size : sizes) {
        size = random() % (2 * mean);
        sum += size;
    }
    std::vector<unsigned char> data(2 * mean + kTotalBytes / 8);
    for (auto& byte : data)
        byte = static_cast<unsigned char>(random());
    for (int i = 0; i < kFiles; ++i) {
        // Scale so the tree holds the intended total.
        const size_t size = static_cast<size_t>(static_cast<double>(sizes[i]) * kTotalBytes / sum);
        const std::wstring name = L"pack" + std::to_wstring(i % kFolders) + L"\\file" + std::to_wstring(i) + L".dat";
        if (!pillar::WriteWholeFile(tree.root + L"\\" + name, data.data() + (i * 4099) % (data.size() - size), size))
            return false;
        tree.files.push_back(name);
        tree.bytes += size;
    }
    return true;
}

double Rate(size_t bytes, double seconds) { return static_cast<double>(bytes) / 1e6 / seconds; }

} // namespace

BENCH_CASE("patcher") {
    Tree tree;
    if (!MakeTree(tree)) {
        bench::Report("could not write the bench tree", 0, "");
        RemoveTree(tree.root);
        return;
    }

    double start = bench::Now();
    std::string list;
    std::wstring problem;
    const bool built = BuildUpdateList(tree.root, list, problem);
    const double listSeconds = bench::Now() - start; // also warms the file cache

    start = bench::Now();
    uint32_t fold = 0;
    for (const std::wstring& name : tree.files)
        fold ^= FileChecksumOfPath(tree.root + L"\\" + name);
    const double rawSeconds = bench::Now() - start;

    FileListPatcher patcher;
    // Nothing listens here: any download attempt would fail the run.
    patcher.SetLocations("http://127.0.0.1:9/", pillar::WideToMultiByte(tree.root, CP_ACP) + "\\");
    double best = 1e9;
    int32_t result = -1;
    for (int round = 0; round < 2; ++round) {
        start = bench::Now();
        result = patcher.Run(list);
        best = std::min(best, bench::Now() - start);
    }
    RemoveTree(tree.root);

    bench::Report("files", kFiles, "");
    bench::Report("bytes", static_cast<double>(tree.bytes) / (1 << 20), "MiB");
    bench::Report("list built and Run returned 0", (built && result == 0 && fold != 0) ? 1 : 0, "");
    bench::Report("list tool (first read)", Rate(tree.bytes, listSeconds), "MB/s");
    bench::Report("raw file checksum, cached", Rate(tree.bytes, rawSeconds), "MB/s");
    bench::Report("Run verification, cached", Rate(tree.bytes, best), "MB/s");
    bench::Report("Run / raw checksum", rawSeconds / best, "x");
    bench::Report("Run per file", best / kFiles * 1e6, "us");
}
