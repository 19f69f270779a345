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
std::map<std::string, std::string> ReadMarker(const std::wstring& path) {
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
std::map<std::string, std::string> AwaitStartAndClose(const std::wstring& markerPath) {
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

std::wstring CopyDemoGame(const std::wstring& folder, const std::wstring& name) {
    const std::wstring target = folder + name;
    CopyFileW(WindowsPathOf(DEMO_GAME).c_str(), target.c_str(), FALSE);
    return target;
}

} // namespace

TEST(GameLaunchPlan, CommandLineAndWorkingFolder) {
    GameLaunchPlan plain = MakeGameLaunchPlan(kGame, L"folder\\bin\\game.exe", L"");
    EXPECT_EQ(plain.executablePath, L"C:\\Launcher\\Game\\folder\\bin\\game.exe");
    EXPECT_EQ(plain.commandLine, plain.executablePath);
    EXPECT_EQ(plain.workingFolder, L"C:\\Launcher\\Game\\folder\\bin\\");

    // Parameters follow after one space, quotes and spaces untouched.
    EXPECT_EQ(MakeGameLaunchPlan(kGame, L"f\\game.exe", L"-profile \"Frost Fall\"  -windowed").commandLine,
              L"C:\\Launcher\\Game\\f\\game.exe -profile \"Frost Fall\"  -windowed");

    // Forward slashes separate folders too.
    EXPECT_EQ(MakeGameLaunchPlan(kGame, L"folder/bin/game.exe", L"").workingFolder, L"C:\\Launcher\\Game\\folder/bin\\");

    // A blank anywhere in the path puts the program in quotes.
    GameLaunchPlan spaced = MakeGameLaunchPlan(L"C:\\Program Files\\L\\Game\\", L"Iron Clad\\game.exe", L"-mode x");
    EXPECT_EQ(spaced.commandLine, L"\"C:\\Program Files\\L\\Game\\Iron Clad\\game.exe\" -mode x");
    EXPECT_EQ(spaced.workingFolder, L"C:\\Program Files\\L\\Game\\Iron Clad\\");

    // Values the configuration decoded from UTF-8 pass unchanged.
    EXPECT_EQ(MakeGameLaunchPlan(kGame, L"\u9752\u4E91\\g.exe", L"-n \u4E91").commandLine,
              L"C:\\Launcher\\Game\\\u9752\u4E91\\g.exe -n \u4E91");

    EXPECT_EQ(ParentFolder(L"game.exe"), L"game.exe");
    EXPECT_EQ(ParentFolder(L"a\\b/c.exe"), L"a\\b");
}

TEST(GameLaunch, StartsTheGameInItsOwnFolderWithItsParameters) {
    TempFolder root(L"launch");
    const std::wstring gameFolder = root.Sub(L"Game");
    const std::wstring bin = root.Sub(L"Game\\folder") + L"bin\\";
    CreateDirectoryW(bin.c_str(), nullptr);

    // Missing executable: nothing starts.
    EXPECT_FALSE(StartGame(MakeGameLaunchPlan(gameFolder, L"folder\\bin\\game.exe", L"-a")));

    CopyDemoGame(bin, L"game.exe");
    ASSERT_TRUE(StartGame(MakeGameLaunchPlan(gameFolder, L"folder\\bin\\game.exe", L"-server 127.0.0.1 -lang en")));
    auto facts = AwaitStartAndClose(bin + L"game.started");
    ASSERT_FALSE(facts.empty()) << "the game did not start";
    EXPECT_EQ(facts["parameters"], "-server 127.0.0.1 -lang en");
    EXPECT_EQ(facts["working_folder"], pillar::WideToUtf8(bin.substr(0, bin.size() - 1)));
}

TEST(GameLaunch, PathWithSpaceStartsThatProgramAndNoOtherWithALeadingPartOfItsName) {
    TempFolder root(L"launch space");
    const std::wstring game = root.Sub(L"Game");
    const std::wstring clad = root.Sub(L"Game\\Iron Clad");
    CopyDemoGame(clad, L"DemoGame.exe");
    // Unquoted, Windows would try "...\Game\Iron.exe" with "Clad\DemoGame.exe" as its parameters.
    CopyDemoGame(game, L"Iron.exe");

    ASSERT_TRUE(StartGame(MakeGameLaunchPlan(game, L"Iron Clad\\DemoGame.exe", L"-mode skirmish")));
    const std::wstring right = clad + L"DemoGame.started", wrong = game + L"Iron.started";
    ASSERT_TRUE(WaitFor([&] { return FileExists(right) || FileExists(wrong); })) << "nothing started";
    if (FileExists(wrong)) {
        AwaitStartAndClose(wrong);
        FAIL() << "Iron.exe started instead of Iron Clad\\DemoGame.exe";
    }
    auto facts = AwaitStartAndClose(right);
    EXPECT_EQ(facts["parameters"], "-mode skirmish");
}
