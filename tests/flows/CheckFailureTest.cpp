// A start whose check fails tells the player why, gives the card back and
// starts nothing; the next start, once the server is right again, checks and
// starts the game. The operator's full-check switch reaches the check.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Launcher/flows/UpdateAndLaunchFlow.h"
#include "Launcher/patch/FileChecksum.h"
#include "flows/FlowTestSupport.h"
#include "flows/RecordingReport.h"
#include "support/ReleaseHashes.h"

using namespace flows_test;

namespace {

class CheckFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Start());
        values_.upgradeLink = server_.Url("list.txt");
        values_.filesB2Link = server_.Url("b2sums.txt");
        // What the release will name once published; nothing is there yet.
        values_.upgradeB2 = values_.filesB2 = testsupport::HashOf("unpublished");
        values_.upgradePath = server_.Url("files/");
        values_.folderName = L"Nebula";
        values_.exePath = L"Nebula\\game.exe";
        game_ = launcher_.Folders().game + L"Nebula\\";
        ASSERT_TRUE(WriteFileText(game_ + L"game.exe", exe_));
        ASSERT_TRUE(WriteFileText(launcher_.Site() + L"files\\game.exe", exe_));
    }
    // The reports of one start other than its progress, and whether it started the game.
    std::vector<std::string> Start() {
        auto report = std::make_shared<RecordingReport>();
        auto startGame = [report](const GameLaunchPlan&) {
            report->Add("game started");
            return true;
        };
        UpdateAndLaunchFlow flow(report, launcher_.Folders(), 2, values_, startGame);
        flow.SetStallLimit(1000);
        flow.Run();
        return report->Events();
    }
    // The update list and hash list of `files`, and their hashes in the card.
    void Publish(const testsupport::ReleaseFiles& files) {
        const std::string list = testsupport::UpdateListOf(files);
        const std::string hashes = testsupport::HashListOf(files);
        ASSERT_TRUE(WriteFileText(launcher_.Site() + L"list.txt", list));
        ASSERT_TRUE(WriteFileText(launcher_.Site() + L"b2sums.txt", hashes));
        values_.upgradeB2 = testsupport::HashOf(list);
        values_.filesB2 = testsupport::HashOf(hashes);
    }

    LauncherFolderFixture launcher_;
    testsupport::TestHttpServer server_{launcher_.Site()};
    GameCard values_;
    std::wstring game_;
    const std::string exe_ = "game body";
    const std::vector<std::string> started_ = {"game started", "state 2 installed"};
};

TEST_F(CheckFailureTest, EachFailureIsANoticeAndTheCardComesBackWithoutAStart) {
    using Events = std::vector<std::string>;
    // No list on the server.
    EXPECT_EQ(Start(), (Events{"notice 2 network", "state 2 installed"}));

    // A listed file the server does not have.
    const std::string map = "map data";
    Publish({{"game.exe", exe_}, {"map.dat", map}});
    EXPECT_EQ(Start(), (Events{"notice 2 missing", "state 2 installed"}));
    EXPECT_FALSE(FileExists(game_ + L"map.dat"));

    // A server that stalls: in the list, then in a listed file.
    const GameCard good = values_;
    values_.upgradeLink = server_.Url("_stall/1000/10");
    EXPECT_EQ(Start(), (Events{"notice 2 timeout", "state 2 installed"}));
    values_ = good;
    values_.upgradePath = server_.Url("_stall/1000/10?");
    EXPECT_EQ(Start(), (Events{"notice 2 timeout", "state 2 installed"}));
    // A server that answers nothing but errors is the network's fault.
    values_.upgradePath = server_.Url("_status/500?");
    EXPECT_EQ(Start(), (Events{"notice 2 network", "state 2 installed"}));
    values_ = good;

    // The server's file is not what the list says.
    ASSERT_TRUE(WriteFileText(launcher_.Site() + L"files\\map.dat", "other data"));
    EXPECT_EQ(Start(), (Events{"notice 2 mismatch", "state 2 installed"}));
    EXPECT_FALSE(FileExists(game_ + L"map.dat")) << "a file that fails its value is not written";

    // The file cannot be written: a file stands where its folder must be.
    ASSERT_TRUE(WriteFileText(launcher_.Site() + L"files\\map.dat", map));
    ASSERT_TRUE(WriteFileText(launcher_.Site() + L"files\\maps\\m1.dat", map));
    ASSERT_TRUE(WriteFileText(game_ + L"maps", "not a folder"));
    Publish({{"game.exe", exe_}, {"maps\\m1.dat", map}});
    EXPECT_EQ(Start(), (Events{"notice 2 cannot write", "state 2 installed"}));

    // Put right on the server, the next start repairs and starts.
    Publish({{"game.exe", exe_}, {"map.dat", map}});
    EXPECT_EQ(Start(), started_);
    EXPECT_EQ(ReadFileText(game_ + L"map.dat"), map);
}

TEST_F(CheckFailureTest, TheFullCheckSwitchFindsWhatTheQuickCheckCannotSee) {
    Publish({{"game.exe", exe_}});
    ASSERT_EQ(Start(), started_);
    EXPECT_TRUE(FileExists(launcher_.Folders().tmp + L"check.Nebula.dat")) << "the record is in the launcher's folder";
    // Other bytes of the same size with the old time, as an archive restores them.
    WIN32_FILE_ATTRIBUTE_DATA before;
    ASSERT_TRUE(GetFileAttributesExW((game_ + L"game.exe").c_str(), GetFileExInfoStandard, &before));
    ASSERT_TRUE(WriteFileText(game_ + L"game.exe", std::string(exe_.size(), 'x')));
    {
        pillar::ScopedHandle file(CreateFileW((game_ + L"game.exe").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &before.ftLastWriteTime));
    }
    ASSERT_EQ(Start(), started_);
    EXPECT_NE(ReadFileText(game_ + L"game.exe"), exe_) << "the quick check did not read the unchanged stamp";

    values_.fullCheck = true;
    ASSERT_EQ(Start(), started_);
    EXPECT_EQ(ReadFileText(game_ + L"game.exe"), exe_);
}

} // namespace
