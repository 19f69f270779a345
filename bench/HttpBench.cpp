// Fetch throughput of HttpDownloader from the local test server, next to
// curl fetching the same URL in the same run.
#include "bench/BenchCase.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "Launcher/net/HttpDownloader.h"
#include "tests/support/TestHttpServer.h"

namespace {

const size_t kFileBytes = 100u << 20;

bool WriteBigFile(const std::wstring& path) {
    std::ofstream out(path.c_str(), std::ios::binary);
    std::string block = testsupport::PatternBytes(1 << 20);
    for (size_t written = 0; written < kFileBytes && out; written += block.size()) out.write(block.data(), block.size());
    return static_cast<bool>(out);
}

std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs curl (a Linux program) through /bin/sh, whose output Wine does not
// pass back; the shell writes curl's own timing to a file and renames it when
// done. Returns curl's total seconds and bytes, or false.
bool CurlFetch(const std::string& url, const std::wstring& folder, double& seconds, double& bytes) {
    std::string result = testsupport::UnixPathOf(folder) + "/curl.txt";
    std::string script = "/usr/bin/curl -s -o /dev/null -w '%{time_total} %{size_download}' '" + url + "' > '" +
                         result + ".tmp' && mv '" + result + ".tmp' '" + result + "'";
    std::wstring command = L"\"Z:\\bin\\sh\" -c \"" + pillar::Utf8ToWide(script) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    std::wstring done = folder + L"\\curl.txt";
    for (int waited = 0; waited < 120000; waited += 20) {
        if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::istringstream text(ReadText(done));
            return static_cast<bool>(text >> seconds >> bytes);
        }
        Sleep(20);
    }
    return false;
}

} // namespace

BENCH_CASE("http fetch 100 MiB") {
    std::wstring root = testsupport::MakeScratchFolder(L"http-bench");
    if (!WriteBigFile(root + L"\\big.bin")) {
        std::printf("cannot write the test file\n");
        return;
    }
    double ours = 0;
    double curl = 0;
    {
        testsupport::TestHttpServer server(root);
        if (!server.Start()) {
            std::printf("test server did not start\n");
            testsupport::RemoveTree(root);
            return;
        }
        std::string url = server.Url("big.bin");
        HttpDownloader http;
        // One warm-up fetch so both sides read a cached file.
        http.Fetch(url);
        double start = bench::Now();
        bool ok = http.Fetch(url);
        double elapsed = bench::Now() - start;
        if (ok && static_cast<size_t>(http.size) == kFileBytes) {
            ours = kFileBytes / elapsed / 1e6;
            bench::Report("HttpDownloader", ours, "MB/s");
        } else {
            std::printf("HttpDownloader fetch failed\n");
        }
        // The repair path: 1 MiB reads handed to a consumer, nothing held.
        size_t streamed = 0;
        start = bench::Now();
        const HttpDownloader::StreamResult result = http.FetchStreamed(url, [&](const BYTE*, size_t count) {
            streamed += count;
            return true;
        });
        elapsed = bench::Now() - start;
        if (result == HttpDownloader::StreamResult::Complete && streamed == kFileBytes) {
            bench::Report("HttpDownloader streamed", kFileBytes / elapsed / 1e6, "MB/s");
        } else {
            std::printf("HttpDownloader streamed fetch failed\n");
        }
        double seconds = 0;
        double bytes = 0;
        if (CurlFetch(url, root, seconds, bytes) && bytes == kFileBytes && seconds > 0) {
            curl = bytes / seconds / 1e6;
            bench::Report("curl", curl, "MB/s");
        } else {
            std::printf("curl fetch failed\n");
        }
    }
    if (ours > 0 && curl > 0) bench::Report("HttpDownloader / curl", ours / curl, "ratio");
    testsupport::RemoveTree(root);
}
