// The start job without a window: a missing file is repaired from a UTF-8
// update list that names Chinese files, 100 is reported before the game
// starts, and the card is given back after it.
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

TEST(UpdateAndLaunchFlow, RepairsFromAUtf8ListReportsOneHundredThenStartsTheGame) {
    LauncherFolderFixture launcher;
    testsupport::TestHttpServer server{launcher.Site()};
    ASSERT_TRUE(server.Start());

    // The list names the game's files relative to its folder, in UTF-8.
    const std::string exe = "game body";
    const std::string map = "map data";
    ASSERT_TRUE(WriteFileText(launcher.Site() + L"files\\bin\\\u9752\u4E91.exe", exe));
    ASSERT_TRUE(WriteFileText(launcher.Site() + L"files\\\u5730\u56FE.dat", map));
    const std::string list = "bin\\\xE9\x9D\x92\xE4\xBA\x91.exe+" + std::to_string(ListValueOf(BufferChecksum(exe.data(), exe.size()))) +
                             "|\xE5\x9C\xB0\xE5\x9B\xBE.dat+" + std::to_string(ListValueOf(BufferChecksum(map.data(), map.size())));
    ASSERT_TRUE(WriteFileText(launcher.Site() + L"list.txt", list));
    // b2sum names the same files in UTF-8 with "/" between folders.
    const std::string hashes = testsupport::HashOf(exe) + "  bin/\xE9\x9D\x92\xE4\xBA\x91.exe\n" +
                               testsupport::HashOf(map) + "  \xE5\x9C\xB0\xE5\x9B\xBE.dat\n";
    ASSERT_TRUE(WriteFileText(launcher.Site() + L"b2sums.txt", hashes));
    // One file is there and right, the other is missing.
    const std::wstring gameFolder = launcher.Folders().game + L"\u9752\u4E91\\";
    ASSERT_TRUE(WriteFileText(gameFolder + L"\u5730\u56FE.dat", map));

    GameCard values;
    values.upgradeLink = server.Url("list.txt");
    values.upgradeB2 = testsupport::HashOf(list);
    values.filesB2Link = server.Url("b2sums.txt");
    values.filesB2 = testsupport::HashOf(hashes);
    values.upgradePath = server.Url("files/");
    values.folderName = L"\u9752\u4E91";
    values.exePath = L"\u9752\u4E91\\bin\\\u9752\u4E91.exe";
    values.parameters = L"-lang zh";
    auto report = std::make_shared<RecordingReport>();
    std::wstring started;
    auto startGame = [&](const GameLaunchPlan& plan) {
        started = plan.commandLine;
        report->Add("game started");
        return true;
    };
    UpdateAndLaunchFlow(report, launcher.Folders(), 4, values, startGame).Run();

    const std::vector<std::string> lines = report->Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "progress 4 100");
    EXPECT_EQ(lines[lines.size() - 2], "game started");
    EXPECT_EQ(lines.back(), "state 4 installed");
    EXPECT_EQ(ReadFileText(gameFolder + L"bin\\\u9752\u4E91.exe"), exe) << "the missing file was repaired";
    // The launcher folder's name has a space: the program goes in quotes.
    EXPECT_EQ(started, L"\"" + launcher.Folders().game + values.exePath + L"\" -lang zh");
}

TEST(UpdateAndLaunchFlow, PathsOutOfTheGameFolderWriteNothingAndStartNothing) {
    LauncherFolderFixture launcher;
    testsupport::TestHttpServer server{launcher.Site()};
    ASSERT_TRUE(server.Start());
    const std::string body = "planted";
    ASSERT_TRUE(WriteFileText(launcher.Site() + L"files\\x.exe", body));
    ASSERT_TRUE(WriteFileText(launcher.Site() + L"list.txt",
                              "x.exe+" + std::to_string(ListValueOf(BufferChecksum(body.data(), body.size())))));

    // Either value alone is enough to refuse the card.
    const std::pair<std::wstring, std::wstring> unsafe[] = {{L"..\\Escape", L"Safe\\x.exe"},
                                                            {L"Safe", L"..\\Escape\\x.exe"}};
    for (const auto& [folder, exe] : unsafe) {
        GameCard values;
        values.upgradeLink = server.Url("list.txt");
        values.upgradePath = server.Url("files/");
        values.folderName = folder;
        values.exePath = exe;
        auto report = std::make_shared<RecordingReport>();
        bool started = false;
        auto startGame = [&](const GameLaunchPlan&) { return started = true; };
        UpdateAndLaunchFlow(report, launcher.Folders(), 2, values, startGame).Run();

        EXPECT_EQ(report->Lines(), (std::vector<std::string>{"notice 2 settings refused", "state 2 not installed"}));
        EXPECT_FALSE(started);
        EXPECT_FALSE(FileExists(launcher.Folders().game + L"..\\Escape\\x.exe"));
        EXPECT_FALSE(FileExists(launcher.Folders().game + L"Safe\\x.exe"));
    }
}
