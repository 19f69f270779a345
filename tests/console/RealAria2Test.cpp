// The download driver with the real aria2c, built from Debian's source, and
// the local test server. The tool and its download folder sit in folders
// whose names hold Chinese characters and a space, as a player's may.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Launcher/console/Aria2Control.h"
#include "console/ConsoleTestSupport.h"
#include "support/TestHttpServer.h"

using namespace console_test;

namespace {

// A served folder, a "soft" folder with the real aria2c and a "tmp" folder.
class RealAria2 : public ::testing::Test {
protected:
    RealAria2()
        : root_(L"aria2"), site_(root_.Sub(L"site")), tmp_(root_.Sub(L"\x4E34\x65F6 tmp")),
          server_(site_) {}

    void SetUp() override {
        const std::wstring tool = root_.Sub(L"\x8F6F\x4EF6 soft") + L"aria2c.exe";
        ASSERT_TRUE(CopyFileW(WindowsPathOf(CONSOLE_ARIA2C).c_str(), tool.c_str(), FALSE))
            << "no aria2c.exe: run scripts/build-aria2.sh x64";
        aria2_.SetToolPath(tool);
        ASSERT_TRUE(server_.Start());
    }

    // Runs one try to its end; the tool's exit code, or -1 when it never
    // started or went silent.
    long Download(const std::string& url) {
        if (!aria2_.Start(tmp_, url)) return -1;
        const ToolOutcome outcome = aria2_.WaitForEnd(60000);
        if (outcome.end == ToolEnd::Silent || outcome.end == ToolEnd::NotStarted) return -1;
        return static_cast<long>(outcome.exitCode);
    }

    // The archive's first try breaks off: every answer ends after 100,000
    // bytes, so aria2c gives up with part of version A and its control file.
    void FailAFirstTry() {
        WriteText(site_ + L"game.zip", std::string(1000000, 'A'));
        WriteText(site_ + L"game.zip.cut", "100000");
        const long code = Download(server_.Url("_ranged/game.zip"));
        EXPECT_NE(code, 0);
        EXPECT_NE(code, -1);
        EXPECT_FALSE(aria2_.Completed());
        // The case that matters: a partial file that aria2c could resume.
        ASSERT_TRUE(FileExists(tmp_ + L"game.zip.aria2"));
        ASSERT_TRUE(FileExists(tmp_ + L"game.zip"));
    }

    // The server now holds version B with `size` bytes; the next try must
    // give exactly that.
    void UpdateAndExpectOnlyTheNewVersion(size_t size) {
        DeleteFileW((site_ + L"game.zip.cut").c_str());
        WriteText(site_ + L"game.zip", std::string(size, 'B'));
        EXPECT_EQ(Download(server_.Url("_ranged/game.zip")), 0);
        EXPECT_TRUE(aria2_.Completed());
        const std::string archive = ReadText(tmp_ + aria2_.GetFileName());
        EXPECT_EQ(archive.size(), size);
        EXPECT_EQ(archive.find('A'), std::string::npos) << "version A is still in the archive";
        EXPECT_FALSE(FileExists(tmp_ + L"game.zip.aria2"));
    }

    TempFolder root_;
    std::wstring site_;
    std::wstring tmp_;
    testsupport::TestHttpServer server_;
    Aria2Control aria2_;
};

} // namespace

TEST_F(RealAria2, ATryAfterTheServerChangedSizeHoldsOnlyTheNewVersion) {
    ASSERT_NO_FATAL_FAILURE(FailAFirstTry());
    UpdateAndExpectOnlyTheNewVersion(3000000);
}

TEST_F(RealAria2, ATryAfterTheServerChangedContentButNotSizeHoldsOnlyTheNewVersion) {
    ASSERT_NO_FATAL_FAILURE(FailAFirstTry());
    UpdateAndExpectOnlyTheNewVersion(1000000);
}
