// The start job against a release whose lists and files are vouched for by
// BLAKE2b hashes: the update list and the hash list must be the ones the
// configuration names, every listed file needs its hash, and a file made to
// keep its CRC-32 is neither accepted on disk nor written from the server.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Launcher/flows/UpdateAndLaunchFlow.h"
#include "flows/FlowTestSupport.h"
#include "flows/RecordingReport.h"
#include "support/ReleaseHashes.h"

using namespace flows_test;
using testsupport::HashOf;
using testsupport::ReleaseFiles;
using Events = std::vector<std::string>;

namespace {

class VerifiedStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Start());
        game_ = launcher_.Folders().game + L"Nebula\\";
    }

    // Puts the release of game `tag` on the server: its files below
    // "<tag>/files/", its update list and its hash list. Returns the card.
    GameCard Publish(const std::string& tag, const ReleaseFiles& files) {
        const std::wstring site = launcher_.Site() + pillar::Utf8ToWide(tag) + L"\\";
        for (const auto& file : files) EXPECT_TRUE(WriteFileText(site + L"files\\" + pillar::Utf8ToWide(file.first), file.second));
        const std::string list = testsupport::UpdateListOf(files);
        const std::string hashes = testsupport::HashListOf(files);
        EXPECT_TRUE(WriteFileText(site + L"list.txt", list));
        EXPECT_TRUE(WriteFileText(site + L"b2sums.txt", hashes));
        GameCard values;
        values.upgradeLink = server_.Url(tag + "/list.txt");
        values.upgradeB2 = HashOf(list);
        values.filesB2Link = server_.Url(tag + "/b2sums.txt");
        values.filesB2 = HashOf(hashes);
        values.upgradePath = server_.Url(tag + "/files/");
        values.folderName = L"Nebula";
        values.exePath = L"Nebula\\game.exe";
        return values;
    }

    Events Start(const GameCard& values) {
        auto report = std::make_shared<RecordingReport>();
        auto startGame = [report](const GameLaunchPlan&) {
            report->Add("game started");
            return true;
        };
        UpdateAndLaunchFlow(report, launcher_.Folders(), 1, values, startGame).Run();
        return report->Events();
    }

    LauncherFolderFixture launcher_;
    testsupport::TestHttpServer server_{launcher_.Site()};
    std::wstring game_;
    const std::string exe_ = "game body";
    const std::string map_ = "map data of the first level";
    const Events started_ = {"game started", "state 1 installed"};
    const Events listRefused_ = {"notice 1 list refused", "state 1 installed"};
};

TEST_F(VerifiedStartTest, ListsThatAreNotTheReleasesAreRefusedBeforeAnyFileIsTouched) {
    const ReleaseFiles files = {{"game.exe", exe_}, {"maps\\m1.dat", map_}};
    GameCard nebula = Publish("nebula", files);
    // Another game's release, genuine in itself, served for this one.
    const GameCard other = Publish("other", {{"game.exe", "another game"}});

    GameCard swapped = nebula;
    swapped.upgradeLink = other.upgradeLink;
    EXPECT_EQ(Start(swapped), listRefused_);
    swapped = nebula;
    swapped.filesB2Link = other.filesB2Link;
    EXPECT_EQ(Start(swapped), listRefused_);

    // The update list changed on the server after the release was signed.
    ASSERT_TRUE(WriteFileText(launcher_.Site() + L"nebula\\list.txt",
                              testsupport::UpdateListOf({{"game.exe", "tampered"}})));
    EXPECT_EQ(Start(nebula), listRefused_);
    EXPECT_FALSE(FileExists(game_ + L"game.exe")) << "nothing is repaired from a refused list";

    // A hash list that lacks a listed file refuses the start.
    nebula = Publish("nebula", files);
    const std::string partial = testsupport::HashListOf({{"game.exe", exe_}});
    ASSERT_TRUE(WriteFileText(launcher_.Site() + L"nebula\\b2sums.txt", partial));
    nebula.filesB2 = HashOf(partial);
    EXPECT_EQ(Start(nebula), listRefused_);
    EXPECT_FALSE(FileExists(game_ + L"game.exe"));

    // A card without the hash keys is not started in a build with keys.
    GameCard unkeyed = Publish("nebula", files);
    unkeyed.upgradeB2.clear();
    EXPECT_EQ(Start(unkeyed), (Events{"notice 1 settings refused", "state 1 installed"}));
    unkeyed = Publish("nebula", files);
    unkeyed.filesB2Link.clear();
    unkeyed.filesB2.clear();
    EXPECT_EQ(Start(unkeyed), (Events{"notice 1 settings refused", "state 1 installed"}));

    // The release as signed installs the missing files and starts.
    EXPECT_EQ(Start(Publish("nebula", files)), started_);
    EXPECT_EQ(ReadFileText(game_ + L"maps\\m1.dat"), map_);
}

TEST_F(VerifiedStartTest, AFileThatKeepsItsCrcButNotItsHashIsRepairedAndNeverWritten) {
    const std::string forged = testsupport::SameCrcForgery("cheat", BufferChecksum(map_.data(), map_.size()));
    ASSERT_EQ(BufferChecksum(forged.data(), forged.size()), BufferChecksum(map_.data(), map_.size()));
    ASSERT_NE(forged, map_);

    // On disk: the quick check's record must not vouch for it either.
    const GameCard values = Publish("nebula", {{"game.exe", exe_}, {"maps\\m1.dat", map_}});
    ASSERT_EQ(Start(values), started_);
    ASSERT_TRUE(WriteFileText(game_ + L"maps\\m1.dat", forged));
    EXPECT_EQ(Start(values), started_);
    EXPECT_EQ(ReadFileText(game_ + L"maps\\m1.dat"), map_) << "the forged file on disk was repaired";

    // On the server: the download is refused and the game folder keeps nothing of it.
    ASSERT_TRUE(WriteFileText(launcher_.Site() + L"nebula\\files\\maps\\m1.dat", forged));
    ASSERT_TRUE(DeleteFileW((game_ + L"maps\\m1.dat").c_str()));
    EXPECT_EQ(Start(values), (Events{"notice 1 mismatch", "state 1 installed"}));
    EXPECT_FALSE(FileExists(game_ + L"maps\\m1.dat"));
    std::vector<std::wstring> left;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((game_ + L"maps\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (entry.cFileName[0] != L'.') left.push_back(entry.cFileName);
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    EXPECT_TRUE(left.empty()) << "no temporary file is left behind";
}

} // namespace
