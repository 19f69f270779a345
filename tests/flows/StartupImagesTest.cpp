// Start-up's pictures against the local test server: fetched in parallel on
// one session over a few kept-alive connections, every card rule kept,
// revalidated on the next start (304 moves no bytes), fetched again when
// changed on the server or damaged on disk, and a picture that claims a
// gigapixel refused before anything decodes it.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "Launcher/flows/StartupImages.h"
#include "Launcher/net/HttpRequest.h"
#include "flows/FlowTestSupport.h"
#include "support/TestPng.h"

namespace {

using testsupport::MakePng;

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    return counters.PrivateUsage;
}

// What the window was told: path by picture and card.
class ShownImages {
public:
    void Add(const ImageJob& job, const std::wstring& path) {
        std::lock_guard<std::mutex> hold(lock_);
        shown_[Key(job)] = path;
    }
    std::map<std::string, std::wstring> Shown() const {
        std::lock_guard<std::mutex> hold(lock_);
        return shown_;
    }
    static std::string Key(const ImageJob& job) {
        static const char* const kinds[] = {"logo", "icon", "back"};
        return std::string(kinds[static_cast<int>(job.which)]) + " " + std::to_string(job.card);
    }

private:
    mutable std::mutex lock_;
    std::map<std::string, std::wstring> shown_;
};

class StartupImagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Start());
        session_ = InternetSession::Open(5000);
        ASSERT_NE(session_, nullptr);
        for (int card = 0; card < 4; ++card) {
            Serve("icon" + std::to_string(card) + ".png", MakePng(31, 35, "icon " + std::to_string(card)));
            Serve("back" + std::to_string(card) + ".png", MakePng(440, 250, "back " + std::to_string(card)));
        }
        Serve("logo.png", MakePng(155, 45, "logo"));
    }

    void Serve(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(flows_test::WriteFileText(launcher_.Site() + pillar::Utf8ToWide(name), bytes));
        served_[name] = bytes;
    }

    // The logo and four cards' icons and backgrounds, all revalidatable.
    std::vector<ImageJob> WindowJobs() const {
        std::vector<ImageJob> jobs{{server_.Url("_tagged/logo.png"), L"Logo.png", WindowImage::Logo, kWholeWindow}};
        for (int card = 0; card < 4; ++card) {
            jobs.push_back({server_.Url("_tagged/icon" + std::to_string(card) + ".png"), L"", WindowImage::CardIcon,
                            card});
            jobs.push_back({server_.Url("_tagged/back" + std::to_string(card) + ".png"), L"",
                            WindowImage::CardBackground, card});
        }
        return jobs;
    }

    std::map<std::string, std::wstring> FetchAll(const std::vector<ImageJob>& jobs) {
        ShownImages shown;
        StartupImages images(launcher_.Folders().tmp, session_);
        images.stallLimitMs = 5000;
        images.FetchAll(jobs, [&](const ImageJob& job, const std::wstring& path) { shown.Add(job, path); });
        return shown.Shown();
    }

    // "PATH STATUS BYTES" answers of the tagged route since the last call.
    std::vector<std::string> TakeAnswers() {
        std::vector<std::string> answers = server_.StateLines(L"answers.log");
        server_.ClearStateFile(L"answers.log");
        std::sort(answers.begin(), answers.end());
        return answers;
    }

    std::string Tmp(const std::wstring& name) const { return flows_test::ReadFileText(launcher_.Folders().tmp + name); }

    flows_test::LauncherFolderFixture launcher_;
    testsupport::TestHttpServer server_{launcher_.Site()};
    std::shared_ptr<InternetSession> session_;
    std::map<std::string, std::string> served_;
};

TEST_F(StartupImagesTest, ParallelFetchesShareOneSessionAndFewConnectionsAndKeepEveryCardRule) {
    std::vector<ImageJob> jobs = WindowJobs();
    // Card 4: an unsafe name, a missing picture; card 5: no URL at all, and
    // the same file as card 0's icon (fetched once, shown twice).
    jobs.push_back({server_.Url("_tagged/..\\evil.png"), L"", WindowImage::CardIcon, 4});
    jobs.push_back({server_.Url("_tagged/missing.png"), L"", WindowImage::CardBackground, 4});
    jobs.push_back({std::string(), L"", WindowImage::CardIcon, 5});
    jobs.push_back({server_.Url("_tagged/icon0.png"), L"", WindowImage::CardBackground, 5});
    server_.ClearRequests();
    const long sessionsBefore = InternetSession::OpenedCount();

    const std::map<std::string, std::wstring> shown = FetchAll(jobs);

    EXPECT_EQ(InternetSession::OpenedCount(), sessionsBefore) << "every fetch uses the session it was given";
    const std::wstring tmp = launcher_.Folders().tmp;
    std::map<std::string, std::wstring> expected{{"logo -1", tmp + L"Logo.png"}, {"back 5", tmp + L"icon0.png"}};
    for (int card = 0; card < 4; ++card) {
        expected["icon " + std::to_string(card)] = tmp + L"icon" + std::to_wstring(card) + L".png";
        expected["back " + std::to_string(card)] = tmp + L"back" + std::to_wstring(card) + L".png";
    }
    EXPECT_EQ(shown, expected);
    for (const auto& file : served_) {
        const std::wstring saved = file.first == "logo.png" ? L"Logo.png" : pillar::Utf8ToWide(file.first);
        EXPECT_EQ(Tmp(saved), file.second) << file.first;
    }
    EXPECT_FALSE(flows_test::FileExists(tmp + L"evil.png"));
    EXPECT_FALSE(flows_test::FileExists(launcher_.Folders().base + L"evil.png"));

    // Ten requests (the unsafe name is never asked for, the shared file
    // once) over at most six connections, so several were reused.
    const std::vector<std::string> requests = server_.Requests();
    EXPECT_EQ(requests.size(), 10u);
    for (const std::string& request : requests) EXPECT_EQ(request.find("evil"), std::string::npos) << request;
    const std::vector<std::string> connections = server_.StateLines(L"connections.log");
    EXPECT_GE(connections.size(), 1u);
    EXPECT_LE(connections.size(), static_cast<size_t>(StartupImages::kParallelFetches));
}

TEST_F(StartupImagesTest, NextStartRevalidatesRefetchesWhatChangedOrWasDamagedAndDropsWhatNoCardNames) {
    const std::map<std::string, std::wstring> first = FetchAll(WindowJobs());
    ASSERT_EQ(first.size(), 9u);
    std::vector<std::string> answers = TakeAnswers();
    ASSERT_EQ(answers.size(), 9u);
    for (const std::string& answer : answers) EXPECT_NE(answer.find(" 200 "), std::string::npos) << answer;

    // Nothing changed: every picture is answered 304, no byte moves, and
    // the window is told the same paths.
    EXPECT_EQ(FetchAll(WindowJobs()), first);
    answers = TakeAnswers();
    ASSERT_EQ(answers.size(), 9u);
    for (const std::string& answer : answers) EXPECT_NE(answer.find(" 304 0"), std::string::npos) << answer;

    // One picture changes on the server, one kept copy is damaged on disk.
    Serve("icon1.png", MakePng(32, 32, "a new icon for card 1"));
    const std::wstring site = launcher_.Site() + L"icon1.png";
    HANDLE file = ::CreateFileW(site.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    ticks.QuadPart += 10ull * 10000000ull;  // ten seconds on: a new ETag whatever the size
    const FILETIME later = {ticks.LowPart, ticks.HighPart};
    ::SetFileTime(file, nullptr, nullptr, &later);
    ::CloseHandle(file);
    std::string damaged = served_["back2.png"];
    damaged[damaged.size() / 2] ^= 0x55;
    ASSERT_TRUE(flows_test::WriteFileText(launcher_.Folders().tmp + L"back2.png", damaged));

    EXPECT_EQ(FetchAll(WindowJobs()), first);
    EXPECT_EQ(Tmp(L"icon1.png"), served_["icon1.png"]);
    EXPECT_EQ(Tmp(L"back2.png"), served_["back2.png"]);
    answers = TakeAnswers();
    ASSERT_EQ(answers.size(), 9u);
    for (const std::string& answer : answers) {
        const bool refetched = answer.rfind("icon1.png", 0) == 0 || answer.rfind("back2.png", 0) == 0;
        EXPECT_NE(answer.find(refetched ? " 200 " : " 304 0"), std::string::npos) << answer;
    }

    // Cards 2 and 3 go away: their kept pictures go with them.
    std::vector<ImageJob> fewer = WindowJobs();
    fewer.resize(5);
    EXPECT_EQ(FetchAll(fewer).size(), 5u);
    for (const wchar_t* gone : {L"icon2.png", L"back2.png", L"icon3.png", L"back3.png"})
        EXPECT_FALSE(flows_test::FileExists(launcher_.Folders().tmp + gone)) << pillar::WideToUtf8(gone);
    EXPECT_TRUE(flows_test::FileExists(launcher_.Folders().tmp + L"icon1.png"));
}

TEST_F(StartupImagesTest, GigapixelPictureIsRefusedBeforeDecodingAndTheSkinsPictureStays) {
    const std::string huge = MakePng(16384, 16384, "huge");
    ASSERT_LT(huge.size(), 1024u * 1024u);  // small on the wire, a gigabyte decoded
    Serve("huge.png", huge);
    const SIZE_T before = PrivateBytes();

    const std::map<std::string, std::wstring> shown =
        FetchAll({{server_.Url("_tagged/huge.png"), L"", WindowImage::CardBackground, 0},
                  {server_.Url("_tagged/icon0.png"), L"", WindowImage::CardIcon, 0}});

    EXPECT_EQ(shown.count("back 0"), 0u) << "nothing reported: the skin's picture stays";
    EXPECT_EQ(shown.count("icon 0"), 1u);
    EXPECT_FALSE(flows_test::FileExists(launcher_.Folders().tmp + L"huge.png"));
    EXPECT_LT(PrivateBytes(), before + 8 * 1024 * 1024);
}

} // namespace
