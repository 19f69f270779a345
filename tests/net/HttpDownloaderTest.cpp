// HttpDownloader against the local test server, with real WinINet.
#include "Launcher/net/HttpDownloader.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "net/ImportHook.h"
#include "support/TestFiles.h"
#include "support/TestHttpServer.h"

namespace {

using testsupport::PatternBytes;

// What the hooks below saw; reset by each test that installs them.
std::vector<int> g_percents;
std::vector<DWORD> g_asked;
std::vector<DWORD> g_got;
int g_closed = 0;
SIZE_T g_refusedAllocation = 0;

void RecordPercent(int percent) { g_percents.push_back(percent); }

typedef BOOL(WINAPI* ReadFn)(HINTERNET, LPVOID, DWORD, LPDWORD);
ReadFn g_realRead = nullptr;
BOOL WINAPI RecordingRead(HINTERNET handle, LPVOID into, DWORD ask, LPDWORD got) {
    g_asked.push_back(ask);
    BOOL ok = g_realRead(handle, into, ask, got);
    g_got.push_back(ok ? *got : 0);
    return ok;
}

typedef BOOL(WINAPI* CloseFn)(HINTERNET);
CloseFn g_realClose = nullptr;
BOOL WINAPI CountingClose(HINTERNET handle) {
    ++g_closed;
    return g_realClose(handle);
}

HINTERNET WINAPI FailingOpen(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

typedef HGLOBAL(WINAPI* AllocFn)(UINT, SIZE_T);
AllocFn g_realAlloc = nullptr;
// Refuses exactly one size, as a system short of address space would.
HGLOBAL WINAPI RefusingAlloc(UINT flags, SIZE_T bytes) {
    if (bytes == g_refusedAllocation) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return g_realAlloc(flags, bytes);
}


using testsupport::ReadWholeFile;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class HttpDownloaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = testsupport::MakeScratchFolder(L"http-root");
        CreateDirectoryW((root_ + L"\\files").c_str(), nullptr);
        std::ofstream((root_ + L"\\files\\Config.ini").c_str(), std::ios::binary) << "[Launcher]\r\nVersion=10001\r\n";
        std::ofstream((root_ + L"\\files\\\x56FE \x6807.ini").c_str(), std::ios::binary) << "[Game0]\r\n";
        server_.reset(new testsupport::TestHttpServer(root_));
        started_ = server_->Start();
    }
    static void TearDownTestSuite() {
        server_.reset();
        testsupport::RemoveTree(root_);
    }
    void SetUp() override {
        ASSERT_TRUE(started_) << "the local test server did not start";
        g_percents.clear();
        g_asked.clear();
        g_got.clear();
        g_closed = 0;
        scratch_ = testsupport::MakeScratchFolder(L"http-save");
    }
    void TearDown() override { testsupport::RemoveTree(scratch_); }

    static std::string Url(const std::string& path) { return server_->Url(path); }

    // After a good fetch, a failing one must drop the earlier body and report
    // no progress.
    static void ExpectFailedFetchHoldsNothing(HttpDownloader& http, const std::string& path) {
        ASSERT_TRUE(http.Fetch(Url("_bytes/100")));
        g_percents.clear();
        EXPECT_FALSE(http.Fetch(Url(path))) << path;
        EXPECT_EQ(http.buffer, nullptr) << path;
        EXPECT_EQ(http.size, 0) << path;
        EXPECT_TRUE(g_percents.empty()) << path;
    }

    static std::wstring root_;
    static std::unique_ptr<testsupport::TestHttpServer> server_;
    static bool started_;
    std::wstring scratch_;
};

std::wstring HttpDownloaderTest::root_;
std::unique_ptr<testsupport::TestHttpServer> HttpDownloaderTest::server_;
bool HttpDownloaderTest::started_ = false;

TEST_F(HttpDownloaderTest, StartsEmptyAndResolvesNoRoutine) {
    HttpDownloader http;
    EXPECT_EQ(http.buffer, nullptr);
    EXPECT_EQ(http.size, 0);
    EXPECT_EQ(http.chunkSize, 10240u);
}

TEST_F(HttpDownloaderTest, ReadsAtMostTenKilobytesOfWhatArrivedAndReportsTruncatedPercents) {
    HttpDownloader http;
    ReadFn real = reinterpret_cast<ReadFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("wininet.dll"), "InternetReadFile")));
    g_realRead = real;
    ImportHook hook("wininet.dll", "InternetReadFile", reinterpret_cast<void*>(&RecordingRead));
    ASSERT_TRUE(hook.installed());
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };

    ASSERT_TRUE(http.Fetch(Url("_bytes/25000")));
    // Reads ask for no more than ten kilobytes, and no more than has arrived
    // (WinINet's buffer here holds 8 KiB), so each one gets what it asks for.
    EXPECT_EQ(g_asked, g_got);
    DWORD sum = 0;
    for (DWORD asked : g_asked) {
        EXPECT_GT(asked, 0u);
        EXPECT_LE(asked, 10240u);
        sum += asked;
    }
    EXPECT_EQ(sum, 25000u);
    ASSERT_EQ(g_percents.size(), g_asked.size());
    EXPECT_EQ(g_percents.back(), 100);
    // Truncated, not rounded: 8029 of 25000 bytes is 32.1%.
    EXPECT_EQ(g_percents.front(), static_cast<int>(g_asked.front() * 100 / 25000));
    EXPECT_EQ(http.size, 25000);
    EXPECT_EQ(http.GetContent(), PatternBytes(25000));  // embedded zero bytes included
    EXPECT_EQ(http.fileName, "25000");
}

TEST_F(HttpDownloaderTest, SlowBodyArrivesWholeWithPercentsRisingToHundred) {
    HttpDownloader http;
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };
    ASSERT_TRUE(http.Fetch(Url("_slow/30000/3000/20")));
    EXPECT_EQ(http.GetContent(), PatternBytes(30000));
    ASSERT_GE(g_percents.size(), 3u);
    for (size_t i = 1; i < g_percents.size(); ++i) EXPECT_GT(g_percents[i], g_percents[i - 1]);
    EXPECT_EQ(g_percents.back(), 100);
}

TEST_F(HttpDownloaderTest, StalledAnswerOrBodyFailsAtTheStallLimitAndHoldsNothing) {
    HttpDownloader http;
    EXPECT_EQ(http.stallLimitMs, 30000u);
    http.stallLimitMs = 1000;
    // A server that never answers, one that stops before the body and one
    // that stops half-way through it.
    for (const std::string path : {"_silent", "_stall/30000/0", "_stall/30000/15000"}) {
        ASSERT_TRUE(http.Fetch(Url("_bytes/100")));
        const DWORD start = GetTickCount();
        EXPECT_FALSE(http.Fetch(Url(path))) << path;
        const DWORD elapsed = GetTickCount() - start;
        EXPECT_EQ(http.buffer, nullptr) << path;
        EXPECT_EQ(http.size, 0) << path;
        EXPECT_EQ(http.GetContent(), "") << path;
        EXPECT_EQ(http.failure, FetchFailure::TimedOut) << path;
        // Bounded: well before the server's own two minutes run out.
        EXPECT_LT(elapsed, 15000u) << path;
    }
}

TEST_F(HttpDownloaderTest, TricklingBodyOutlastingTheStallLimitArrivesWhole) {
    // The limit is on silence, not on the whole fetch: gaps of 300 ms over
    // more than two seconds pass a one-second limit.
    HttpDownloader http;
    http.stallLimitMs = 1000;
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };
    ASSERT_TRUE(http.Fetch(Url("_slow/20000/2500/300")));
    EXPECT_EQ(http.GetContent(), PatternBytes(20000));
    EXPECT_EQ(g_percents.back(), 100);
}

TEST_F(HttpDownloaderTest, BodyBelowTheLowestSpeedFailsAsTimedOutWhileOneAboveItArrives) {
    // 500 bytes/s never goes a second without a byte, so only the speed
    // watch can end it: both fetch kinds, within a window or two, not after
    // the minutes the whole body would take.
    HttpDownloader http;
    http.lowestBytesPerSecond = 1024;
    http.slowWindowMs = 2000;
    http.streamBlockSize = 1u << 20;  // one read asked for the whole body
    const std::string trickle = "_slow/60000/100/200";
    DWORD start = GetTickCount();
    EXPECT_FALSE(http.Fetch(Url(trickle)));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(http.failure, FetchFailure::TimedOut);
    EXPECT_EQ(http.buffer, nullptr);
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LT(elapsed, 6000u);

    size_t taken = 0;
    start = GetTickCount();
    EXPECT_EQ(HttpDownloader::StreamResult::FetchFailed,
              http.FetchStreamed(Url(trickle), [&](const BYTE*, size_t count) { return (taken += count) > 0; }));
    elapsed = GetTickCount() - start;
    EXPECT_EQ(http.failure, FetchFailure::TimedOut);
    EXPECT_GT(taken, 0u) << "the trickle's bytes reached the sink as they came";
    EXPECT_LT(elapsed, 6000u);

    // About 8 KB/s for two and a half seconds passes the same watch; the
    // kind of failure is reset by success and says "other" for a refusal.
    ASSERT_TRUE(http.Fetch(Url("_slow/20000/2500/300")));
    EXPECT_EQ(http.failure, FetchFailure::None);
    EXPECT_FALSE(http.Fetch(Url("_status/503")));
    EXPECT_EQ(http.failure, FetchFailure::Other);
    EXPECT_FALSE(http.Fetch("http://127.0.0.1:1/Config.ini"));
    EXPECT_EQ(http.failure, FetchFailure::Other);
}

TEST_F(HttpDownloaderTest, StreamedFetchHandsOverTheBodyInBlocksAndHoldsNothing) {
    HttpDownloader http;
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };
    http.streamBlockSize = 10000;
    std::string body;
    size_t largestBlock = 0;
    bool refuse = false;
    int calls = 0;
    const HttpDownloader::BodySink sink = [&](const BYTE* bytes, size_t count) {
        ++calls;
        body.append(reinterpret_cast<const char*>(bytes), count);
        largestBlock = std::max(largestBlock, count);
        return !refuse;
    };
    ASSERT_TRUE(http.Fetch(Url("_bytes/100")));
    EXPECT_EQ(HttpDownloader::StreamResult::Complete, http.FetchStreamed(Url("_bytes/25000"), sink));
    EXPECT_EQ(body, PatternBytes(25000));
    EXPECT_LE(largestBlock, 10000u);
    EXPECT_EQ(http.buffer, nullptr);
    EXPECT_EQ(http.size, 0);
    EXPECT_EQ(g_percents.back(), 100);

    // A length past the 32-bit range is no reason to refuse a stream; the
    // body still has to arrive whole.
    body.clear();
    EXPECT_EQ(HttpDownloader::StreamResult::FetchFailed, http.FetchStreamed(Url("_huge/5000000000"), sink));
    EXPECT_EQ(body, PatternBytes(16));
    // A sink that refuses stops the fetch at once.
    body.clear();
    calls = 0;
    refuse = true;
    EXPECT_EQ(HttpDownloader::StreamResult::SinkFailed, http.FetchStreamed(Url("_bytes/25000"), sink));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(body, PatternBytes(body.size()));
}

TEST_F(HttpDownloaderTest, ServesFilesAndTakesTheLastSegmentAsFileName) {
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("files/Config.ini")));
    EXPECT_EQ(http.GetContent(), "[Launcher]\r\nVersion=10001\r\n");
    EXPECT_EQ(http.fileName, "Config.ini");
    EXPECT_EQ(http.GetFileNameW(), L"Config.ini");
}

TEST_F(HttpDownloaderTest, FileNameRules) {
    // Nothing listens on port 1, so no fetch gets far; the name is set first.
    HttpDownloader http;
    EXPECT_FALSE(http.Fetch("http://127.0.0.1:1/FTP/cs/Launcher/Config.ini"));
    EXPECT_EQ(http.fileName, "Config.ini");
    EXPECT_FALSE(http.Fetch("http://127.0.0.1:1/FTP/cs/"));
    EXPECT_EQ(http.fileName, "");
    EXPECT_EQ(http.GetFileNameW(), L"");
    EXPECT_FALSE(http.Fetch("no-slash-at-all"));
    EXPECT_EQ(http.fileName, "no-slash-at-all");
    EXPECT_FALSE(http.Fetch("http://127.0.0.1:1/get.php?file=a\\b.png"));
    EXPECT_EQ(http.fileName, "get.php?file=a\\b.png");
    EXPECT_FALSE(http.Fetch("http://127.0.0.1:1/icons/\xE5\x9B\xBE.png"));
    EXPECT_EQ(http.GetFileNameW(), L"\x56FE.png");
}

TEST_F(HttpDownloaderTest, InternetHandleFailureHoldsNothing) {
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("_bytes/100")));
    ImportHook hook("wininet.dll", "InternetOpenW", reinterpret_cast<void*>(&FailingOpen));
    ASSERT_TRUE(hook.installed());
    EXPECT_FALSE(http.Fetch(Url("_bytes/100")));
    EXPECT_EQ(http.buffer, nullptr);
    EXPECT_EQ(http.size, 0);
}

TEST_F(HttpDownloaderTest, UnopenableUrlsHoldNothing) {
    HttpDownloader http;
    for (const char* url : {"http://127.0.0.1:1/x.bin", "not a url", "ftp//broken", ""}) {
        ASSERT_TRUE(http.Fetch(Url("_bytes/100")));
        EXPECT_FALSE(http.Fetch(url)) << url;
        EXPECT_EQ(http.buffer, nullptr) << url;
        EXPECT_EQ(http.size, 0) << url;
        EXPECT_EQ(http.GetContent(), "") << url;
    }
}

TEST_F(HttpDownloaderTest, StatusOtherThan200HoldsNothingAndReadsNothing) {
    HttpDownloader http;
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };
    for (const std::string path : {"missing/file.bin", "_status/404", "_status/500", "_status/206", "_status/204"}) {
        ExpectFailedFetchHoldsNothing(http, path);
    }
}

TEST_F(HttpDownloaderTest, MissingZeroOrUnholdableLengthHoldsNothing) {
    HttpDownloader http;
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };
    // Chunked has no Content-Length; the huge ones do not fit the 32-bit size.
    for (const std::string path : {"_empty", "_chunked/5000", "_huge/99999999999999", "_huge/2147483648",
                                   "_huge/18446744073709551617"}) {
        ExpectFailedFetchHoldsNothing(http, path);
    }
}

TEST_F(HttpDownloaderTest, LengthThatCannotBeAllocatedFailsWithoutReading) {
    g_realAlloc = reinterpret_cast<AllocFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GlobalAlloc")));
    g_realRead = reinterpret_cast<ReadFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("wininet.dll"), "InternetReadFile")));
    g_refusedAllocation = 2147483647;
    ImportHook alloc("kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(&RefusingAlloc));
    ImportHook read("wininet.dll", "InternetReadFile", reinterpret_cast<void*>(&RecordingRead));
    ASSERT_TRUE(alloc.installed());
    ASSERT_TRUE(read.installed());

    HttpDownloader http;
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };
    EXPECT_FALSE(http.Fetch(Url("_huge/2147483647")));
    EXPECT_EQ(http.buffer, nullptr);
    EXPECT_EQ(http.size, 0);
    EXPECT_TRUE(g_asked.empty());
    EXPECT_TRUE(g_percents.empty());
}

TEST_F(HttpDownloaderTest, CutOffBodyFailsAndKeepsThePartialBlock) {
    HttpDownloader http;
    http.progress = [](int64_t received, int64_t total) { RecordPercent(PercentOf(received, total)); };
    EXPECT_FALSE(http.Fetch(Url("_truncated/30000")));
    ASSERT_NE(http.buffer, nullptr);
    ASSERT_EQ(http.size, 30000);
    std::string content = http.GetContent();
    EXPECT_EQ(content.substr(0, 15000), PatternBytes(15000));
    EXPECT_EQ(content.substr(15000), std::string(15000, '\0'));
    ASSERT_FALSE(g_percents.empty());
    EXPECT_EQ(g_percents.back(), 50);

    // The next fetch discards the partial block.
    ASSERT_TRUE(http.Fetch(Url("_bytes/10")));
    EXPECT_EQ(http.GetContent(), PatternBytes(10));
}

TEST_F(HttpDownloaderTest, EveryOpenedHandleIsClosedOnEveryPath) {
    g_realClose = reinterpret_cast<CloseFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("wininet.dll"), "InternetCloseHandle")));
    ImportHook hook("wininet.dll", "InternetCloseHandle", reinterpret_cast<void*>(&CountingClose));
    ASSERT_TRUE(hook.installed());
    HttpDownloader http;
    http.stallLimitMs = 1000;
    struct Case {
        std::string url;
        int handles;  // Internet, connection and request
    };
    const Case cases[] = {{Url("_bytes/5"), 3},       {Url("_status/404"), 3}, {Url("_chunked/10"), 3},
                          {Url("_truncated/100"), 3}, {Url("_stall/100/10"), 3}, {"http://127.0.0.1:1/x", 3}};
    for (const Case& c : cases) {
        g_closed = 0;
        http.Fetch(c.url);
        EXPECT_EQ(g_closed, c.handles) << c.url;
    }
}

TEST_F(HttpDownloaderTest, RequestsReachTheServerOncePerFetch) {
    server_->ClearRequests();
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("_bytes/7")));
    ASSERT_TRUE(http.Fetch(Url("files/Config.ini")));
    // The fragment is not sent; a space goes out escaped.
    ASSERT_TRUE(http.Fetch(Url("files/Config.ini#part")));
    EXPECT_FALSE(http.Fetch(Url("files/no such.ini?a=b c")));
    // A name in Chinese (UTF-8, as the configuration has it) goes out as its
    // UTF-8 bytes, percent-encoded, and reaches the file of that name.
    ASSERT_TRUE(http.Fetch(Url("files/\xE5\x9B\xBE \xE6\xA0\x87.ini")));
    EXPECT_EQ(http.GetContent(), "[Game0]\r\n");
    EXPECT_EQ(http.GetFileNameW(), L"\x56FE \x6807.ini");
    EXPECT_EQ(server_->Requests(),
              (std::vector<std::string>{"GET /_bytes/7", "GET /files/Config.ini", "GET /files/Config.ini",
                                        "GET /files/no%20such.ini?a=b%20c", "GET /files/%E5%9B%BE%20%E6%A0%87.ini"}));
}

TEST_F(HttpDownloaderTest, SaveCreatesMissingFoldersAndSkipsDoubledSeparators) {
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("_bytes/3000")));
    std::wstring target = scratch_ + L"\\one\\\\two\\file.bin";
    EXPECT_TRUE(http.SaveToFile(target));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\one"));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\one\\two"));
    EXPECT_EQ(ReadWholeFile(scratch_ + L"\\one\\two\\file.bin"), PatternBytes(3000));
    EXPECT_FALSE(Exists(scratch_ + L"\\one\\two\\file.bin\\"));
}

TEST_F(HttpDownloaderTest, SaveReplacesTheWholeOfAnExistingFile) {
    std::wstring target = scratch_ + L"\\existing.bin";
    std::ofstream(target.c_str(), std::ios::binary) << std::string(9000, 'x');
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("_bytes/100")));
    EXPECT_TRUE(http.SaveToFile(target));
    EXPECT_EQ(ReadWholeFile(target), PatternBytes(100));
}

TEST_F(HttpDownloaderTest, SaveWithNothingHeldWritesAnEmptyFile) {
    std::wstring target = scratch_ + L"\\empty.bin";
    std::ofstream(target.c_str(), std::ios::binary) << "old";
    HttpDownloader http;
    EXPECT_FALSE(http.Fetch(Url("_status/404")));
    EXPECT_TRUE(http.SaveToFile(target));
    ASSERT_TRUE(Exists(target));
    EXPECT_EQ(ReadWholeFile(target), "");
}

TEST_F(HttpDownloaderTest, SaveThatCannotOpenFailsAndKeepsCreatedFolders) {
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("_bytes/10")));
    // The last component is empty: folders get made, the file cannot be.
    EXPECT_FALSE(http.SaveToFile(scratch_ + L"\\made\\also\\"));
    EXPECT_TRUE(IsFolder(scratch_ + L"\\made\\also"));
    // A folder of that name is in the way.
    EXPECT_FALSE(http.SaveToFile(scratch_ + L"\\made"));
}

TEST_F(HttpDownloaderTest, SaveOnAFullDiskFails) {
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("_bytes/5000")));
    std::wstring target = scratch_ + L"\\full.bin";
    FullDisk disk(1000);
    ASSERT_TRUE(disk.installed());
    EXPECT_FALSE(http.SaveToFile(target));
    disk.SetRoom(0);
    EXPECT_FALSE(http.SaveToFile(target));
    disk.SetRoom(5000);
    EXPECT_TRUE(http.SaveToFile(target));
    EXPECT_EQ(ReadWholeFile(target), PatternBytes(5000));
}

TEST_F(HttpDownloaderTest, WidePathSavesUnderExactlyThatName) {
    HttpDownloader http;
    ASSERT_TRUE(http.Fetch(Url("_bytes/64")));
    std::wstring folder = scratch_ + L"\\\x6E38\x620F";
    std::wstring target = folder + L"\\\x56FE\x6807.png";
    EXPECT_TRUE(http.SaveToFile(target));
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_EQ(ReadWholeFile(target), PatternBytes(64));
}

} // namespace
