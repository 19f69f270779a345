// Tool command lines: unchanged for plain paths, correctly quoted otherwise.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Launcher/console/Aria2Control.h"
#include "Launcher/console/CommandLineQuote.h"
#include "Launcher/console/SevenZipControl.h"

namespace {

// How a child's runtime splits the command line (tool name first).
std::vector<std::string> SplitLikeAChild(const std::string& commandLine) {
    const std::wstring wide(commandLine.begin(), commandLine.end());  // ASCII in these tests
    int count = 0;
    LPWSTR* parts = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> args;
    for (int i = 0; parts && i < count; ++i) {
        const std::wstring part = parts[i];
        args.emplace_back(part.begin(), part.end());
    }
    LocalFree(parts);
    return args;
}

} // namespace

TEST(CommandLineQuote, EveryPieceSurvivesTheChildsParser) {
    const std::vector<std::string> pieces = {
        "C:\\Program Files\\L\\soft\\7z.exe", "C:\\two  spaces\\", "C:\\a b\\\\", "tab\there",
        "quote\"inside", "back\\\\\"slash quote", "plain\\path\\", "\\\\server\\share x\\"};
    std::string line = "tool.exe";
    for (const std::string& piece : pieces) line += " " + QuoteCommandLinePiece(piece);
    std::vector<std::string> expected = {"tool.exe"};
    expected.insert(expected.end(), pieces.begin(), pieces.end());
    EXPECT_EQ(SplitLikeAChild(line), expected);
}

TEST(ToolCommandLines, PlainPathsStayByteForByte) {
    EXPECT_EQ(Aria2Control::FileNameOfUrl("http://cdn.example/games/game.zip"), "game.zip");
    EXPECT_EQ(Aria2Control::FileNameOfUrl("game.zip"), "game.zip");
    EXPECT_EQ(Aria2Control::CommandLine("C:\\L\\soft\\aria2c.exe", "C:\\L\\tmp\\", "game.zip",
                                        "http://cdn.example/games/game.zip"),
              "C:\\L\\soft\\aria2c.exe --summary-interval=5 --allow-overwrite=true"
              " --dir=C:\\L\\tmp\\ --out=game.zip --max-connection-per-server=16 --split=128"
              " http://cdn.example/games/game.zip");
    EXPECT_EQ(SevenZipControl::CommandLine("C:\\L\\soft\\7z.exe", "C:\\L\\tmp\\game.zip", "C:\\L\\Game\\"),
              "C:\\L\\soft\\7z.exe x C:\\L\\tmp\\game.zip -oC:\\L\\Game\\ -y -bsp1");
}
