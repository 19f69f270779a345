// The install job without a window: the order of what it reports for an
// install that succeeds and for one that fails, in a launcher folder whose
// name the system code page cannot hold.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Launcher/flows/InstallFlow.h"
#include "flows/FlowTestSupport.h"
#include "flows/RecordingReport.h"
#include "support/ReleaseHashes.h"

using namespace flows_test;

namespace {

class InstallFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        tools_->aria2.SetToolPath(launcher_.Folders().soft + L"aria2c.exe");
        tools_->sevenZip.SetToolPath(launcher_.Folders().soft + L"7z.exe");
        ASSERT_TRUE(server_.Start());
    }

    void Install(int card, const GameCard& values) {
        InstallFlow(report_, tools_, launcher_.Folders(), card, values).Run();
    }

    LauncherFolderFixture launcher_;
    testsupport::TestHttpServer server_{launcher_.Site()};
    std::shared_ptr<CardJobTools> tools_ = std::make_shared<CardJobTools>();
    std::shared_ptr<RecordingReport> report_ = std::make_shared<RecordingReport>();
};

} // namespace

TEST_F(InstallFlowTest, ASuccessfulInstallReportsBothToolsThenTheStartButtonAndLeavesNoArchive) {
    const std::wstring source = launcher_.Scratch(L"source");
    std::string data;
    for (int i = 0; i < 200000; ++i) data += std::to_string(i * 7919LL % 100003) + ",";
    ASSERT_TRUE(WriteFileText(source + L"\\\u9752\u4E91\\bin\\\u9752\u4E91.exe", "not really a program"));
    ASSERT_TRUE(WriteFileText(source + L"\\\u9752\u4E91\\data.pak", data));
    ASSERT_TRUE(launcher_.PackIntoSite(source, L"Qingyun.zip"));

    GameCard values;
    values.downloadLink = server_.Url("Qingyun.zip");
    values.folderName = L"\u9752\u4E91";
    values.downloadB2 = testsupport::HashOf(ReadFileText(launcher_.Site() + L"Qingyun.zip"));
    values.exePath = L"\u9752\u4E91\\bin\\\u9752\u4E91.exe";
    Install(3, values);

    const std::vector<std::string> lines = report_->Lines();
    EXPECT_EQ(report_->Events(), std::vector<std::string>{"state 3 installed"});
    // Each tool's run ends on 100: the download's, then the unpack's.
    int hundreds = 0;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("progress 3 ", 0) == 0 || line == "state 3 installed", true) << line;
        hundreds += line == "progress 3 100";
    }
    EXPECT_GE(hundreds, 2);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "progress 3 100");

    const LauncherFolders& folders = launcher_.Folders();
    EXPECT_EQ(ReadFileText(folders.game + values.exePath), "not really a program");
    EXPECT_EQ(ReadFileText(folders.game + L"\u9752\u4E91\\data.pak"), data);
    EXPECT_FALSE(FileExists(folders.tmp + L"Qingyun.zip")) << "the archive goes once unpacked";
    EXPECT_TRUE(IsGameInstalled(folders.game, values.exePath));
}

TEST_F(InstallFlowTest, AFailedInstallReportsANoticeThenTheCardAsItIsOnDisk) {
    GameCard values;
    values.downloadLink = server_.Url("_status/404");
    values.folderName = L"Missing";
    values.downloadB2 = testsupport::HashOf("the release's archive");
    values.exePath = L"Missing\\game.exe";
    Install(1, values);
    EXPECT_EQ(report_->Events(), (std::vector<std::string>{"notice 1 not found", "state 1 not installed"}));
    for (const std::string& line : report_->Lines()) EXPECT_NE(line, "progress 1 100");

    // A damaged archive: the download completes, the unpack fails, and the
    // card keeps its start button for the game already there.
    ASSERT_TRUE(WriteFileText(launcher_.Folders().game + L"Old\\game.exe", "an earlier install"));
    ASSERT_TRUE(WriteFileText(launcher_.Site() + L"Broken.zip", std::string("PK\x03\x04", 4) + std::string(100000, 'x')));
    report_ = std::make_shared<RecordingReport>();
    values.downloadLink = server_.Url("Broken.zip");
    values.folderName = L"Old";
    values.downloadB2 = testsupport::HashOf(ReadFileText(launcher_.Site() + L"Broken.zip"));
    values.exePath = L"Old\\game.exe";
    Install(1, values);
    EXPECT_EQ(report_->Events(), (std::vector<std::string>{"notice 1 unpack", "state 1 installed"}));
    EXPECT_FALSE(FileExists(launcher_.Folders().tmp + L"Broken.zip"));

    // An archive that is not the one the release names is refused and deleted.
    report_ = std::make_shared<RecordingReport>();
    values.downloadB2 = testsupport::HashOf("the release's archive");
    Install(1, values);
    EXPECT_EQ(report_->Events(), (std::vector<std::string>{"notice 1 refused", "state 1 installed"}));
    EXPECT_FALSE(FileExists(launcher_.Folders().tmp + L"Broken.zip"));
}
