// BLAKE2b-512 throughput on a 1 GiB file and in memory, the time to check a
// minisign signature of a Config.ini, and what that check adds to the
// configuration fetch at start (the .minisig fetched beside it, then checked).
#include "bench/BenchCase.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Launcher/flows/SignedConfigFetch.h"
#include "Launcher/net/HttpDownloader.h"
#include "Launcher/trust/Blake2b.h"
#include "Launcher/trust/MinisignKey.h"
#include "Launcher/trust/SignatureCheck.h"
#include "pillar/ScopedHandle.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"
#include "tests/support/TestHttpServer.h"

namespace {

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:" + pillar::Utf8ToWide(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

double MegabytesPerSecond(double bytes, double seconds) { return bytes / 1e6 / seconds; }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

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

BENCH_CASE("signed config fetch") {
#ifdef TRUST_FIXTURES
    // The same Config.ini from the local test server, fetched as a build
    // without keys does (one request) and as a build with keys does (two
    // requests, then the check), alternating so both see the same load.
    const std::wstring site = testsupport::MakeScratchFolder(L"config_bench");
    std::string config, signature;
    pillar::ReadWholeFile(WindowsPathOf(std::string(TRUST_FIXTURES) + "/Config.ini"), config);
    pillar::ReadWholeFile(WindowsPathOf(std::string(TRUST_FIXTURES) + "/Config.ini.minisig"), signature);
    pillar::WriteWholeFile(site + L"\\Config.ini", config);
    pillar::WriteWholeFile(site + L"\\Config.ini.minisig", signature);
    const std::wstring settings = site + L"\\GameSetting.INI";
    const std::vector<trust::MinisignPublicKey> keys = {trust::ParseMinisignPublicKey(TRUST_TRUSTED_KEY).key};
    {
        testsupport::TestHttpServer server(site);
        if (!server.Start()) {
            bench::Report("the test server did not start", 0, "");
            testsupport::RemoveTree(site);
            return;
        }
        const std::string url = server.Url("Config.ini");
        const int rounds = 60;
        std::vector<double> plain, signedFetch;
        int accepted = 0;
        for (int i = 0; i < rounds; ++i) {
            double start = bench::Now();
            HttpDownloader download;
            accepted += download.Fetch(url) && download.GetContent() == config ? 1 : 0;
            plain.push_back(bench::Now() - start);
            std::string body;
            start = bench::Now();
            accepted += FetchSignedConfig(url, settings, keys, body).ok && body == config ? 1 : 0;
            signedFetch.push_back(bench::Now() - start);
        }
        bench::Report("Config.ini alone (no keys built in), median", Median(plain) * 1e3, "ms");
        bench::Report("Config.ini + .minisig + check (keys built in), median", Median(signedFetch) * 1e3, "ms");
        bench::Report("added by the signature at start, median", (Median(signedFetch) - Median(plain)) * 1e3, "ms");
        bench::Report("fetches that got the configuration", accepted, "of " + std::to_string(2 * rounds));
    }
    testsupport::RemoveTree(site);
#else
    bench::Report("no signature fixtures in this build", 0, "");
#endif
}
