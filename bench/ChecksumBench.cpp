// Checksum throughput: the streamed file checksum on a cached file against
// the system routine and zlib on the same bytes in memory.
#include "bench/BenchCase.h"

#include "Launcher/patch/FileChecksum.h"
#include "pillar/WholeFile.h"

#include <windows.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kBenchBytes = 256u << 20;

std::vector<unsigned char> BenchData() {
    std::vector<unsigned char> data(kBenchBytes);
    std::mt19937 random(2026);
    for (size_t i = 0; i + 4 <= data.size(); i += 4) {
        const uint32_t value = random();
        memcpy(&data[i], &value, 4);
    }
    return data;
}

double MegabytesPerSecond(size_t bytes, double seconds) {
    return static_cast<double>(bytes) / 1e6 / seconds;
}

} // namespace

BENCH_CASE("checksum") {
    const std::vector<unsigned char> data = BenchData();
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"checksum_bench.bin";
    if (!pillar::WriteWholeFile(path, data.data(), data.size())) {
        bench::Report("could not write the bench file", 0, "");
        return;
    }
    const uint32_t expected = BufferChecksum(data.data(), data.size());
    FileChecksumOfPath(path); // warm the file cache

    const int rounds = 3;
    double best = 1e9;
    bool same = true;
    for (int i = 0; i < rounds; ++i) {
        const double start = bench::Now();
        same = same && FileChecksumOfPath(path) == expected;
        best = std::min(best, bench::Now() - start);
    }
    const double fileRate = MegabytesPerSecond(data.size(), best);

    const Crc32Routine system = LoadCrc32Routine();
    double start = bench::Now();
    const uint32_t systemCrc = system(ChecksumSeed, data.data(), static_cast<INT>(data.size()));
    const double systemRate = MegabytesPerSecond(data.size(), bench::Now() - start);

    best = 1e9;
    uint32_t zlibCrc = 0;
    for (int i = 0; i < rounds; ++i) {
        start = bench::Now();
        zlibCrc = BufferChecksum(data.data(), data.size());
        best = std::min(best, bench::Now() - start);
    }
    const double zlibRate = MegabytesPerSecond(data.size(), best);
    DeleteFileW(path.c_str());

    bench::Report("file checksum (256 MiB, cached, streamed)", fileRate, "MB/s");
    bench::Report("RtlComputeCrc32 in memory", systemRate, "MB/s");
    bench::Report("zlib crc32 in memory", zlibRate, "MB/s");
    bench::Report("zlib / RtlComputeCrc32", zlibRate / systemRate, "x");
    bench::Report("file checksum / RtlComputeCrc32", fileRate / systemRate, "x");
    bench::Report("file checksum / zlib in memory", fileRate / zlibRate, "x");
    bench::Report("all three values agree", (same && systemCrc == zlibCrc && zlibCrc == expected) ? 1 : 0, "");
}
