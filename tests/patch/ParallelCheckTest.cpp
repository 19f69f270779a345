// Local checksums computed ahead on worker threads must not change what a run
// does: the same result, the same downloads in the same order, the same
// progress reports and the same files as checking one file at a time.
#include "PatcherTestSupport.h"

using patchertest::Entry;
using patchertest::PutFile;

namespace {

std::vector<std::string> g_log;
void LogRun(int percent) { g_log.push_back("run " + std::to_string(percent)); }
void LogFile(int percent) { g_log.push_back("file " + std::to_string(percent)); }

struct Outcome {
    int32_t result = -1;
    int32_t processed = 0;
    std::wstring current;
    std::vector<std::string> log;
    std::vector<std::string> requests;
    std::map<std::wstring, std::string> files;
};

class ParallelCheckTest : public patchertest::PatcherTest {
protected:
    // A game of many small files in every state a check can meet, and its list.
    void SetUp() override {
        patchertest::PatcherTest::SetUp();
        for (int i = 0; i < 60; ++i) {
            const std::string name = "pack" + std::to_string(i % 5) + "\\f" + std::to_string(i) + ".dat";
            const std::string content = "content of file " + std::to_string(i);
            Serve(name, content);
            switch (i % 6) {
            case 0:
            case 4: initial_.push_back({name, content}); break;          // matches
            case 1: break;                                               // missing
            case 2: initial_.push_back({name, "stale " + name}); break;  // changed
            case 3: list_.push_back(Entry(name, "")); continue;          // listed empty, missing
            case 5: initial_.push_back({name, "x"}); list_.push_back(Entry(name, "")); continue;  // stale empty
            }
            list_.push_back(Entry(name, content));
            if (i % 11 == 0) list_.push_back("junk-without-value");
        }
        // A missing name listed twice, and one folder written with both
        // separators: the second entry finds what the first one repaired.
        Serve("dup.pak", "dup");
        Serve("sub/y.pak", "y");
        list_.insert(list_.begin() + 8, Entry("dup.pak", "dup"));
        list_.insert(list_.begin() + 40, Entry("dup.pak", "dup"));
        list_.insert(list_.begin() + 16, Entry("sub/y.pak", "y"));
        list_.insert(list_.begin() + 20, Entry("sub\\y.pak", "y"));
    }

    Outcome RunWith(int threads, const std::vector<std::string>& entries) {
        testsupport::RemoveTree(game_);
        CreateDirectoryW(game_.c_str(), nullptr);
        for (const auto& file : initial_) PutFile(game_, file.first, file.second);
        server_->ClearRequests();
        g_log.clear();
        std::string list;
        for (const std::string& entry : entries) list += (list.empty() ? "" : "|") + entry;
        patcher_->checkThreads = threads;
        patcher_->progress = &LogRun;
        patcher_->downloader.progress = [](int64_t received, int64_t total) { LogFile(PercentOf(received, total)); };
        Outcome outcome;
        outcome.result = patcher_->Run(list);
        outcome.processed = patcher_->processedCount;
        outcome.current = patcher_->currentName;
        outcome.log = g_log;
        outcome.requests = Requests();
        patchertest::FilesBelow(game_, outcome.files);
        return outcome;
    }

    void ExpectSameAsSerial(const std::vector<std::string>& entries, int32_t expectedResult,
                            std::initializer_list<int> threadCounts) {
        const Outcome serial = RunWith(1, entries);
        EXPECT_EQ(expectedResult, serial.result);
        for (int threads : threadCounts) {
            SCOPED_TRACE("threads " + std::to_string(threads));
            const Outcome parallel = RunWith(threads, entries);
            EXPECT_EQ(serial.result, parallel.result);
            EXPECT_EQ(serial.processed, parallel.processed);
            EXPECT_EQ(serial.current, parallel.current);
            EXPECT_EQ(serial.log, parallel.log);
            EXPECT_EQ(serial.requests, parallel.requests);
            EXPECT_TRUE(serial.files == parallel.files);
        }
    }

    std::vector<std::pair<std::string, std::string>> initial_;
    std::vector<std::string> list_;
};

} // namespace

TEST_F(ParallelCheckTest, WholeListRepairsTheSameFilesInTheSameOrder) {
    ExpectSameAsSerial(list_, 0, {2, 8});
    const Outcome outcome = RunWith(0, list_);
    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ(1, std::count(outcome.requests.begin(), outcome.requests.end(), "GET /files/dup.pak"));
    EXPECT_EQ(1, std::count(outcome.requests.begin(), outcome.requests.end(), "GET /files/sub/y.pak"));
}

TEST_F(ParallelCheckTest, RunsStopAtTheSameFailure) {
    Serve("wrong.pak", "served");
    std::vector<std::string> missing = list_, unsafe = list_, mismatch = list_;
    missing.insert(missing.begin() + 45, Entry("absent.pak", "never served"));
    unsafe.insert(unsafe.begin() + 30, Entry("..\\outside.pak", "x"));
    mismatch.insert(mismatch.begin() + 25, Entry("wrong.pak", "expected"));
    ExpectSameAsSerial(missing, FileListPatcher::DownloadFailed, {8});
    ExpectSameAsSerial(unsafe, FileListPatcher::WriteFailed, {8});
    ExpectSameAsSerial(mismatch, FileListPatcher::DownloadMismatch, {8});
}
