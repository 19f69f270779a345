// One install try with the stand-in download tool and the real 7-Zip against
// the local test server: success, failed downloads, a damaged archive, an
// archive that is not the release's, and an archive name that would leave
// the tmp folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Launcher/flows/ArchiveInstall.h"
#include "console/ConsoleTestSupport.h"
#include "pillar/TextConversion.h"
#include "support/ReleaseHashes.h"
#include "support/TestHttpServer.h"

using namespace console_test;

namespace {

class ArchiveInstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        soft_ = root_.Sub(L"soft");
        tmp_ = root_.Sub(L"tmp");
        game_ = root_.Sub(L"Game");
        site_ = root_.Sub(L"site");
        ASSERT_TRUE(CopyFileW(WindowsPathOf(STANDIN_ARIA2C).c_str(), (soft_ + L"aria2c.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((WindowsPathOf(SEVEN_ZIP_BIN_DIR) + L"\\7za-x64.exe").c_str(),
                              (soft_ + L"7z.exe").c_str(), FALSE));
        aria2_.SetToolPath(soft_ + L"aria2c.exe");
        sevenZip_.SetToolPath(soft_ + L"7z.exe");
        ASSERT_TRUE(server_.Start());
    }

    ArchiveInstall::Result Install(const std::string& url) {
        shown_.clear();
        ArchiveInstall install(aria2_, sevenZip_);
        const ArchiveInstall::Result result =
            install.Run(tmp_, url, expected_, game_, [this](const ToolProgress& progress) { shown_.push_back(progress.percent); });
        failure_ = install.Failure().kind;
        return result;
    }

    // The hash the release names for the archive `name` as the site has it now.
    void Expect(const std::wstring& name) {
        expected_ = trust::ReadExpectedHash(testsupport::HashOf(ReadText(site_ + name)), true);
    }

    // Starts of the stand-in download tool so far.
    size_t DownloadStarts() const {
        const std::string runs = ReadText(soft_ + L"aria2c.runs");
        size_t count = 0;
        for (char c : runs) count += c == '\n';
        return count;
    }

    // How the download tool's try ended, for a failure message: a rare CI run
    // saw this download fail with no output from the tool at all.
    std::string DownloadToolReport() const {
        DWORD code = 0;
        const ToolStatus status = aria2_.GetToolStatus(&code);
        return "download tool starts: " + std::to_string(DownloadStarts()) + ", status " +
               std::to_string(static_cast<int>(status)) + ", exit code " + std::to_string(code);
    }

    TempFolder root_{L"install"};
    std::wstring soft_, tmp_, game_, site_;
    testsupport::TestHttpServer server_{root_.Path() + L"site"};
    Aria2Control aria2_;
    SevenZipControl sevenZip_;
    NoticeKind failure_ = NoticeKind::DownloadFailed;
    std::vector<int> shown_;
    // Matches nothing; the download failures never get as far as the check.
    trust::ExpectedHash expected_ = trust::ReadExpectedHash(std::string(128, '0'), true);
};

} // namespace

TEST_F(ArchiveInstallTest, DownloadsAndUnpacksIntoTheGameFolder) {
    const std::wstring source = root_.Sub(L"source");
    CreateDirectoryW((source + L"Demo").c_str(), nullptr);
    WriteText(source + L"Demo\\game.exe", "not really a program");
    std::string data;
    for (int i = 0; i < 300000; ++i) data += std::to_string(i * 7919LL % 100003) + ",";
    WriteText(source + L"Demo\\data.pak", data);
    ASSERT_EQ(RunToEnd(L"\"" + soft_ + L"7z.exe\" a \"" + site_ + L"Demo.zip\" \"" + source + L"*\" -y"), 0);

    Expect(L"Demo.zip");
    EXPECT_EQ(Install(server_.Url("Demo.zip")), ArchiveInstall::Result::Installed);
    EXPECT_EQ(ReadText(game_ + L"Demo\\data.pak"), data);
    EXPECT_EQ(ReadText(game_ + L"Demo\\game.exe"), "not really a program");
    // Deleting the archive is the caller's step, a moment after the start button shows.
    EXPECT_TRUE(FileExists(tmp_ + L"Demo.zip"));
    EXPECT_FALSE(FileExists(tmp_ + L"Demo.zip.aria2"));
    // Each tool's run ends on the final display.
    ASSERT_GE(shown_.size(), 2u);
    EXPECT_EQ(shown_.back(), 100);
    int hundreds = 0;
    for (int percent : shown_) {
        EXPECT_GE(percent, 0);
        EXPECT_LE(percent, 100);
        hundreds += percent == 100;
    }
    EXPECT_GE(hundreds, 2);
}

TEST_F(ArchiveInstallTest, AFailedDownloadKeepsItsFilesAndSaysWhy) {
    // The body stops halfway: the tool leaves a partial file and its control
    // file, kept for a later try to judge.
    const std::string url = server_.Url("_truncated/600000");
    EXPECT_EQ(Install(url), ArchiveInstall::Result::DownloadFailed);
    EXPECT_EQ(failure_, NoticeKind::DownloadFailed);
    EXPECT_TRUE(FileExists(tmp_ + L"600000"));
    EXPECT_TRUE(FileExists(tmp_ + L"600000.aria2"));

    // A 404 says so, and never shows the final display.
    EXPECT_EQ(Install(server_.Url("_status/404")), ArchiveInstall::Result::DownloadFailed);
    EXPECT_EQ(failure_, NoticeKind::DownloadNotFound);
    for (int percent : shown_) EXPECT_NE(percent, 100);
    EXPECT_EQ(DownloadStarts(), 2u);
}

TEST_F(ArchiveInstallTest, ADamagedArchiveFailsTheUnpackAndIsDeleted) {
    WriteText(site_ + L"Broken.zip", std::string("PK\x03\x04", 4) + std::string(200000, 'x'));
    Expect(L"Broken.zip");
    EXPECT_EQ(Install(server_.Url("Broken.zip")), ArchiveInstall::Result::UnpackFailed) << DownloadToolReport();
    EXPECT_EQ(failure_, NoticeKind::UnpackFailed);
    EXPECT_FALSE(FileExists(tmp_ + L"Broken.zip"));
    EXPECT_FALSE(FileExists(tmp_ + L"Broken.zip.aria2"));
    EXPECT_FALSE(FileExists(tmp_ + L"Broken.zip.facts"));
}

TEST_F(ArchiveInstallTest, AnArchiveNameThatLeavesTheTmpFolderStartsNoToolAndDeletesNothing) {
    // The file the name points at from inside tmp\.
    WriteText(root_.Path() + L"outside.zip", "keep me");
    const std::string url = server_.Url("x/..\\outside.zip");
    EXPECT_EQ(Install(url), ArchiveInstall::Result::DownloadFailed);
    EXPECT_EQ(Install(url), ArchiveInstall::Result::DownloadFailed);
    EXPECT_EQ(Install(server_.Url("x/..")), ArchiveInstall::Result::DownloadFailed);
    EXPECT_EQ(DownloadStarts(), 0u);
    EXPECT_EQ(ReadText(root_.Path() + L"outside.zip"), "keep me");
    EXPECT_TRUE(shown_.empty());
}

TEST_F(ArchiveInstallTest, AServerErrorKeepsAPartialDownloadAndStartsNoTool) {
    // A partial download of "503" with its control file, as an earlier try left it.
    WriteText(tmp_ + L"503", std::string(4096, 'p'));
    WriteText(tmp_ + L"503.aria2", "control");
    EXPECT_EQ(Install(server_.Url("_status/503")), ArchiveInstall::Result::DownloadFailed);
    EXPECT_EQ(failure_, NoticeKind::DownloadFailed);
    EXPECT_EQ(DownloadStarts(), 0u) << "aria2c would continue the file unchecked";
    EXPECT_EQ(ReadText(tmp_ + L"503"), std::string(4096, 'p'));
    EXPECT_TRUE(FileExists(tmp_ + L"503.aria2"));
}

TEST_F(ArchiveInstallTest, AnArchiveThatIsNotTheReleasesIsDeletedAndNeverUnpacked) {
    const std::wstring source = root_.Sub(L"source");
    CreateDirectoryW((source + L"Demo").c_str(), nullptr);
    WriteText(source + L"Demo\\game.exe", "the released program");
    ASSERT_EQ(RunToEnd(L"\"" + soft_ + L"7z.exe\" a \"" + site_ + L"Demo.zip\" \"" + source + L"*\" -y"), 0);
    Expect(L"Demo.zip");
    const std::string released = ReadText(site_ + L"Demo.zip");

    // The server's archive was replaced by another that unpacks just as well.
    WriteText(source + L"Demo\\game.exe", "a program from someone else");
    ASSERT_EQ(RunToEnd(L"\"" + soft_ + L"7z.exe\" a \"" + site_ + L"Demo.zip\" \"" + source + L"*\" -y"), 0);
    EXPECT_EQ(Install(server_.Url("Demo.zip")), ArchiveInstall::Result::Refused) << DownloadToolReport();
    EXPECT_EQ(failure_, NoticeKind::DownloadRefused);
    EXPECT_FALSE(FileExists(game_ + L"Demo\\game.exe")) << "nothing is unpacked";
    for (const wchar_t* left : {L"Demo.zip", L"Demo.zip.aria2", L"Demo.zip.facts"})
        EXPECT_FALSE(FileExists(tmp_ + left)) << pillar::WideToUtf8(left);

    // A whole archive kept from an earlier try is reused without a download
    // (the server's ETag says it is the same file), but checked all the
    // same: here it changed on disk in the meantime.
    WriteText(site_ + L"Demo.zip", released);
    EXPECT_EQ(Install(server_.Url("_ranged/Demo.zip")), ArchiveInstall::Result::Installed);
    const size_t starts = DownloadStarts();
    std::string onDisk = ReadText(tmp_ + L"Demo.zip");
    onDisk[onDisk.size() / 2] ^= 1;
    WriteText(tmp_ + L"Demo.zip", onDisk);
    DeleteFileW((game_ + L"Demo\\game.exe").c_str());
    EXPECT_EQ(Install(server_.Url("_ranged/Demo.zip")), ArchiveInstall::Result::Refused);
    EXPECT_EQ(failure_, NoticeKind::DownloadRefused);
    EXPECT_EQ(DownloadStarts(), starts) << "the whole archive was reused, not fetched";
    EXPECT_FALSE(FileExists(tmp_ + L"Demo.zip"));
    EXPECT_FALSE(FileExists(game_ + L"Demo\\game.exe"));

    // A release without a usable hash starts no download at all.
    expected_ = trust::ReadExpectedHash("", true);
    EXPECT_EQ(Install(server_.Url("Demo.zip")), ArchiveInstall::Result::Refused);
    EXPECT_EQ(failure_, NoticeKind::GameSettingsRefused);
    EXPECT_EQ(DownloadStarts(), starts);
}
