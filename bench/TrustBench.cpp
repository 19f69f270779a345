// BLAKE2b-512 throughput on a 1 GiB file and in memory, and the time to
// check a minisign signature of a Config.ini.
#include "bench/BenchCase.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Launcher/trust/Blake2b.h"
#include "Launcher/trust/MinisignKey.h"
#include "Launcher/trust/SignatureCheck.h"
#include "pillar/ScopedHandle.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:" + pillar::Utf8ToWide(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

double MegabytesPerSecond(double bytes, double seconds) { return bytes / 1e6 / seconds; }

} // namespace

BENCH_CASE("blake2b") {
    constexpr size_t kPiece = 64u << 20;
    constexpr int kPieces = 16;  // 1 GiB
    std::vector<unsigned char> piece(kPiece);
    std::mt19937 random(2026);
    for (size_t i = 0; i + 4 <= piece.size(); i += 4) {
        const uint32_t value = random();
        memcpy(&piece[i], &value, 4);
    }
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"blake2b_bench.bin";
    {
        pillar::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        bool written = file.Valid();
        for (int i = 0; written && i < kPieces; ++i) {
            piece[0] = static_cast<unsigned char>(i);  // no two pieces alike
            written = pillar::WriteAll(file.Get(), piece.data(), piece.size());
        }
        if (!written) {
            bench::Report("could not write the 1 GiB bench file", 0, "");
            DeleteFileW(path.c_str());
            return;
        }
    }
    const double fileBytes = static_cast<double>(kPiece) * kPieces;
    double best = 1e9;
    std::string first;
    bool same = true;
    for (int round = 0; round < 2; ++round) {
        const double start = bench::Now();
        const trust::FileDigest digest = trust::Blake2bOfFile(path);
        best = std::min(best, bench::Now() - start);
        const std::string hex = digest.ok ? trust::DigestHex(digest.digest) : "";
        if (round == 0) first = hex;
        same = same && digest.ok && hex == first;
    }
    DeleteFileW(path.c_str());

    const double start = bench::Now(), cpu = bench::ThreadCpuSeconds();
    trust::Blake2bOfBuffer(piece.data(), piece.size());
    const double memorySeconds = bench::Now() - start, memoryCpu = bench::ThreadCpuSeconds() - cpu;

    bench::Report("file of 1 GiB, streamed in 1 MiB blocks", MegabytesPerSecond(fileBytes, best), "MB/s");
    bench::Report("64 MiB in memory", MegabytesPerSecond(static_cast<double>(piece.size()), memorySeconds), "MB/s");
    bench::Report("64 MiB in memory, by CPU time", MegabytesPerSecond(static_cast<double>(piece.size()), memoryCpu), "MB/s");
    bench::Report("both file rounds agree", same ? 1 : 0, "");
}

BENCH_CASE("signature") {
#ifdef TRUST_FIXTURES
    const std::wstring config = WindowsPathOf(std::string(TRUST_FIXTURES) + "/Config.ini");
    std::string signature, bytes;
    pillar::ReadWholeFile(WindowsPathOf(std::string(TRUST_FIXTURES) + "/Config.ini.minisig"), signature);
    pillar::ReadWholeFile(config, bytes);
    const std::vector<trust::MinisignPublicKey> keys = {trust::ParseMinisignPublicKey(TRUST_TRUSTED_KEY).key};
    const int rounds = 500;
    int passed = 0;
    double start = bench::Now(), cpu = bench::ThreadCpuSeconds();
    for (int i = 0; i < rounds; ++i) passed += trust::VerifySignedFile(config, signature, keys).ok ? 1 : 0;
    const double fileSeconds = bench::Now() - start, fileCpu = bench::ThreadCpuSeconds() - cpu;
    start = bench::Now(), cpu = bench::ThreadCpuSeconds();
    for (int i = 0; i < rounds; ++i)
        passed += trust::VerifySignedBuffer(bytes.data(), bytes.size(), signature, keys).ok ? 1 : 0;
    const double memorySeconds = bench::Now() - start, memoryCpu = bench::ThreadCpuSeconds() - cpu;
    bench::Report("Config.ini size", static_cast<double>(bytes.size()), "bytes");
    bench::Report("check of the file's signature (open, hash, two Ed25519 checks), wall", fileSeconds / rounds * 1e6, "us");
    bench::Report("the same, CPU time", fileCpu / rounds * 1e6, "us");
    bench::Report("check of the signature of the bytes in memory, wall", memorySeconds / rounds * 1e6, "us");
    bench::Report("the same, CPU time", memoryCpu / rounds * 1e6, "us");
    bench::Report("checks passed", passed, "of " + std::to_string(2 * rounds));
#else
    bench::Report("no signature fixtures in this build", 0, "");
#endif
}
