// The game start: command line, working folder, and the real process start
// with the demo game.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "Launcher/flows/GameLaunchPlan.h"
#include "console/ConsoleTestSupport.h"
#include "pillar/TextConversion.h"

using namespace console_test;

namespace {

const std::wstring kGame = L"C:\\Launcher\\Game\\";

// key=value lines of the marker the demo game writes at start; empty until it exists.
std::map<std::string, std::string> ReadMarker(const std::string& path) {
    std::map<std::string, std::string> facts;
    std::istringstream text(ReadText(path));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals != std::string::npos) facts[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return facts;
}

// Waits for the marker, then ends the game it names.
std::map<std::string, std::string> AwaitStartAndClose(const std::string& markerPath) {
    std::map<std::string, std::string> facts;
    if (!WaitFor([&] { return !(facts = ReadMarker(markerPath)).empty() && facts.count("pid"); })) return {};
    HANDLE game = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, std::stoul(facts["pid"]));
    if (game) {
        TerminateProcess(game, 0);
        WaitForSingleObject(game, 10000);
        CloseHandle(game);
    }
    return facts;
}

std::string CopyDemoGame(const std::string& folder, const std::string& name) {
    const std::string target = folder + name;
    CopyFileA(WindowsPathOf(DEMO_GAME).c_str(), target.c_str(), FALSE);
    return target;
}

} // namespace

TEST(GameLaunchPlan, CommandLineAndWorkingFolder) {
    GameLaunchPlan plain = MakeGameLaunchPlan(kGame, "folder\\bin\\game.exe", "");
    EXPECT_EQ(plain.executablePath, L"C:\\Launcher\\Game\\folder\\bin\\game.exe");
    EXPECT_EQ(plain.commandLine, plain.executablePath);
    EXPECT_EQ(plain.workingFolder, L"C:\\Launcher\\Game\\folder\\bin\\");

    // Parameters follow after one space, quotes and spaces untouched.
    EXPECT_EQ(MakeGameLaunchPlan(kGame, "f\\game.exe", "-profile \"Frost Fall\"  -windowed").commandLine,
              L"C:\\Launcher\\Game\\f\\game.exe -profile \"Frost Fall\"  -windowed");

    // Forward slashes separate folders too.
    EXPECT_EQ(MakeGameLaunchPlan(kGame, "folder/bin/game.exe", "").workingFolder, L"C:\\Launcher\\Game\\folder/bin\\");

    // A blank anywhere in the path puts the program in quotes.
    GameLaunchPlan spaced = MakeGameLaunchPlan(L"C:\\Program Files\\L\\Game\\", "Iron Clad\\game.exe", "-mode x");
    EXPECT_EQ(spaced.commandLine, L"\"C:\\Program Files\\L\\Game\\Iron Clad\\game.exe\" -mode x");
    EXPECT_EQ(spaced.workingFolder, L"C:\\Program Files\\L\\Game\\Iron Clad\\");

    // The configuration's values are UTF-8.
    EXPECT_EQ(MakeGameLaunchPlan(kGame, "\xE9\x9D\x92\xE4\xBA\x91\\g.exe", "-n \xE4\xBA\x91").commandLine,
              L"C:\\Launcher\\Game\\\u9752\u4E91\\g.exe -n \u4E91");

    EXPECT_EQ(ParentFolder(L"game.exe"), L"game.exe");
    EXPECT_EQ(ParentFolder(L"a\\b/c.exe"), L"a\\b");
}

TEST(GameLaunch, StartsTheGameInItsOwnFolderWithItsParameters) {
    TempFolder root("launch");
    const std::string game = root.Sub("Game");
    const std::string bin = root.Sub("Game\\folder") + "bin\\";
    CreateDirectoryA(bin.c_str(), nullptr);

    // Missing executable: nothing starts.
    const std::wstring gameFolder = pillar::AnsiToWide(game);
    EXPECT_FALSE(StartGame(MakeGameLaunchPlan(gameFolder, "folder\\bin\\game.exe", "-a")));

    CopyDemoGame(bin, "game.exe");
    ASSERT_TRUE(StartGame(MakeGameLaunchPlan(gameFolder, "folder\\bin\\game.exe", "-server 127.0.0.1 -lang en")));
    auto facts = AwaitStartAndClose(bin + "game.started");
    ASSERT_FALSE(facts.empty()) << "the game did not start";
    EXPECT_EQ(facts["parameters"], "-server 127.0.0.1 -lang en");
    EXPECT_EQ(facts["working_folder"], bin.substr(0, bin.size() - 1));
}

TEST(GameLaunch, PathWithSpaceStartsThatProgramAndNoOtherWithALeadingPartOfItsName) {
    TempFolder root("launch space");
    const std::string game = root.Sub("Game");
    const std::string clad = root.Sub("Game\\Iron Clad");
    CopyDemoGame(clad, "DemoGame.exe");
    // Unquoted, Windows would try "...\Game\Iron.exe" with "Clad\DemoGame.exe" as its parameters.
    CopyDemoGame(game, "Iron.exe");

    ASSERT_TRUE(StartGame(MakeGameLaunchPlan(pillar::AnsiToWide(game), "Iron Clad\\DemoGame.exe", "-mode skirmish")));
    const std::string right = clad + "DemoGame.started", wrong = game + "Iron.started";
    ASSERT_TRUE(WaitFor([&] { return FileExists(right) || FileExists(wrong); })) << "nothing started";
    if (FileExists(wrong)) {
        AwaitStartAndClose(wrong);
        FAIL() << "Iron.exe started instead of Iron Clad\\DemoGame.exe";
    }
    auto facts = AwaitStartAndClose(right);
    EXPECT_EQ(facts["parameters"], "-mode skirmish");
}
