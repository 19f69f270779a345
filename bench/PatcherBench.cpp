// Verification throughput of the update-list check over a generated game
// tree where every file already matches, checked one file at a time and with
// checksums computed ahead, against the raw file checksum; and a repair of a
// file larger than the 32-bit process could hold, with its memory.
#include "bench/BenchCase.h"

#include "Launcher/patch/FileChecksum.h"
#include "Launcher/patch/FileListPatcher.h"
#include "Launcher/patch/UpdateListBuilder.h"
#include "pillar/FileSystem.h"
#include "pillar/WholeFile.h"
#include "tests/support/TestHttpServer.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
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

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
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
    const double listSeconds = bench::Now() - start;

    FileListPatcher patcher;
    // Nothing listens here: any download attempt would fail the run.
    patcher.SetLocations("http://127.0.0.1:9/", tree.root + L"\\");
    // Rounds alternate, so a busy moment of the machine does not favour one
    // kind; each figure is its best round on a warm file cache.
    uint32_t fold = 0;
    double rawSeconds = 1e9;
    double openSeconds = 1e9;
    double serialSeconds = 1e9;
    double parallelSeconds = 1e9;
    int32_t serialResult = -1;
    int32_t parallelResult = -1;
    auto timed = [](double& best, auto&& work) {
        const double begin = bench::Now();
        work();
        best = std::min(best, bench::Now() - begin);
    };
    const int threads = std::max(1, std::min(8, static_cast<int>(std::thread::hardware_concurrency())));
    double rawParallelSeconds = 1e9;
    // Processor time of this process (not of Wine's server) over all rounds:
    // what checking ahead costs beyond the serial work.
    double serialCpuSeconds = 0;
    double parallelCpuSeconds = 0;
    const int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        timed(rawSeconds, [&] {
            for (const std::wstring& name : tree.files)
                fold ^= FileChecksumOfPath(tree.root + L"\\" + name);
        });
        // The same on as many threads, in no order: what the machine allows.
        timed(rawParallelSeconds, [&] {
            std::atomic<size_t> next{0};
            std::vector<std::thread> workers;
            for (int t = 0; t < threads; ++t)
                workers.emplace_back([&] {
                    for (size_t i = next++; i < tree.files.size(); i = next++)
                        FileChecksumOfPath(tree.root + L"\\" + tree.files[i]);
                });
            for (std::thread& worker : workers)
                worker.join();
        });
        timed(openSeconds, [&] {
            for (const std::wstring& name : tree.files)
                CloseHandle(CreateFileW((tree.root + L"\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        });
        patcher.checkThreads = 1;
        const double serialCpu = ProcessCpuSeconds();
        timed(serialSeconds, [&] { serialResult = patcher.Run(list); });
        const double parallelCpu = ProcessCpuSeconds();
        serialCpuSeconds += parallelCpu - serialCpu;
        patcher.checkThreads = 0;
        timed(parallelSeconds, [&] { parallelResult = patcher.Run(list); });
        parallelCpuSeconds += ProcessCpuSeconds() - parallelCpu;
    }
    RemoveTree(tree.root);

    bench::Report("files", kFiles, "");
    bench::Report("bytes", static_cast<double>(tree.bytes) / (1 << 20), "MiB");
    bench::Report("list built and both runs returned 0",
                  (built && serialResult == 0 && parallelResult == 0 && fold != 0) ? 1 : 0, "");
    bench::Report("check threads (cores, at most 8)", threads, "");
    bench::Report("list tool (first read, warms the cache)", Rate(tree.bytes, listSeconds), "MB/s");
    bench::Report("raw file checksum, one thread, cached", Rate(tree.bytes, rawSeconds), "MB/s");
    bench::Report("raw file checksum, check threads, any order", Rate(tree.bytes, rawParallelSeconds), "MB/s");
    bench::Report("open and close alone, per file", openSeconds / kFiles * 1e6, "us");
    bench::Report("Run serial, cached", Rate(tree.bytes, serialSeconds), "MB/s");
    bench::Report("Run parallel, cached", Rate(tree.bytes, parallelSeconds), "MB/s");
    bench::Report("Run parallel / serial", serialSeconds / parallelSeconds, "x");
    bench::Report("Run parallel / raw checksum", rawSeconds / parallelSeconds, "x");
    bench::Report("Run parallel per file", parallelSeconds / kFiles * 1e6, "us");
    bench::Report("Run serial processor time per file", serialCpuSeconds / rounds / kFiles * 1e6, "us");
    bench::Report("Run parallel processor time per file", parallelCpuSeconds / rounds / kFiles * 1e6, "us");
}

namespace {

size_t g_baseWorkingSet = 0;
size_t g_largestWorkingSet = 0;

size_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) ? counters.WorkingSetSize : 0;
}

// Called after every block of the download: samples the working set, since
// the process's own peak may come from earlier cases.
void SampleWorkingSet(int) { g_largestWorkingSet = std::max(g_largestWorkingSet, WorkingSet()); }

uint32_t PatternChecksum(unsigned long long length) {
    const std::string period = testsupport::PatternBytes(251 * 4096);
    uint32_t crc = ChecksumSeed;
    for (unsigned long long done = 0; done < length;) {
        const size_t piece = static_cast<size_t>(std::min<unsigned long long>(period.size(), length - done));
        crc = Crc32Continue(crc, period.data(), piece);
        done += piece;
    }
    return crc;
}

} // namespace

BENCH_CASE("patcher repair 1 GiB") {
    const unsigned long long length = 1ull << 30;
    const std::wstring game = testsupport::MakeScratchFolder(L"patcher-repair-bench");
    testsupport::TestHttpServer server(game);
    if (!server.Start()) {
        bench::Report("test server did not start", 0, "");
        testsupport::RemoveTree(game);
        return;
    }
    FileListPatcher patcher;
    // The server generates the body; the query carries the list name.
    patcher.SetLocations(server.Url("_large/" + std::to_string(length) + "?"),
                         game + L"\\");
    patcher.downloader.progress = [](int64_t received, int64_t total) { SampleWorkingSet(PercentOf(received, total)); };
    const std::string list = "big.pak+" + std::to_string(ListValueOf(PatternChecksum(length)));

    // The disk's own pace for the same amount, as the floor of the repair.
    double writeSeconds = 0;
    {
        const std::string block = testsupport::PatternBytes(1 << 20);
        pillar::ReplacementFile file;
        const double begin = bench::Now();
        bool written = file.Open(game + L"\\written.bin");
        for (unsigned long long done = 0; written && done < length; done += block.size())
            written = file.Write(block.data(), block.size());
        written = written && file.Finish() && file.Commit();
        writeSeconds = bench::Now() - begin;
        DeleteFileW((game + L"\\written.bin").c_str());
        if (!written)
            writeSeconds = 0;
    }

    g_baseWorkingSet = g_largestWorkingSet = WorkingSet();
    const double start = bench::Now();
    const int32_t result = patcher.Run(list);
    const double seconds = bench::Now() - start;
    server.Stop();
    testsupport::RemoveTree(game);

    bench::Report("Run returned 0", result == 0 ? 1 : 0, "");
    bench::Report("repair (download, checksum, write, verify, replace)",
                  static_cast<double>(length) / 1e6 / seconds, "MB/s");
    if (writeSeconds > 0)
        bench::Report("plain write of 1 GiB to the same folder", static_cast<double>(length) / 1e6 / writeSeconds,
                      "MB/s");
    bench::Report("working set before", static_cast<double>(g_baseWorkingSet) / (1 << 20), "MiB");
    bench::Report("largest working set during the download", static_cast<double>(g_largestWorkingSet) / (1 << 20),
                  "MiB");
    bench::Report("growth", static_cast<double>(g_largestWorkingSet - g_baseWorkingSet) / (1 << 20), "MiB");
}
