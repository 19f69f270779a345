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
std::vector<std::wstring> SplitLikeAChild(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* parts = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> args;
    for (int i = 0; parts && i < count; ++i) args.emplace_back(parts[i]);
    LocalFree(parts);
    return args;
}

} // namespace

TEST(CommandLineQuote, EveryPieceSurvivesTheChildsParser) {
    const std::vector<std::wstring> pieces = {
        L"C:\\Program Files\\L\\soft\\7z.exe", L"C:\\two  spaces\\", L"C:\\a b\\\\", L"tab\there",
        L"quote\"inside", L"back\\\\\"slash quote", L"plain\\path\\", L"\\\\server\\share x\\",
        L"C:\\\x6E38\x620F \x542F\x52A8\x5668\\tmp\\"};
    std::wstring line = L"tool.exe";
    for (const std::wstring& piece : pieces) line += L" " + QuoteCommandLinePiece(piece);
    std::vector<std::wstring> expected = {L"tool.exe"};
    expected.insert(expected.end(), pieces.begin(), pieces.end());
    EXPECT_EQ(SplitLikeAChild(line), expected);
}

TEST(ToolCommandLines, PlainPathsStayByteForByte) {
    EXPECT_EQ(Aria2Control::FileNameOfUrl("http://cdn.example/games/game.zip"), L"game.zip");
    EXPECT_EQ(Aria2Control::FileNameOfUrl("game.zip"), L"game.zip");
    EXPECT_EQ(Aria2Control::FileNameOfUrl("http://cdn.example/games/\xE9\x9D\x92\xE4\xBA\x91.zip"),
              L"\x9752\x4E91.zip");
    EXPECT_EQ(Aria2Control::CommandLine(L"C:\\L\\soft\\aria2c.exe", L"C:\\L\\tmp\\", L"game.zip",
                                        "http://cdn.example/games/game.zip"),
              L"C:\\L\\soft\\aria2c.exe --summary-interval=5 --allow-overwrite=true"
              L" --dir=C:\\L\\tmp\\ --out=game.zip --max-connection-per-server=16 --split=128"
              L" --file-allocation=trunc --auto-save-interval=1 --connect-timeout=15 --timeout=20 --max-tries=2 --lowest-speed-limit=1K"
              L" http://cdn.example/games/game.zip");
    EXPECT_EQ(Aria2Control::CommandLine(L"a.exe", L"t\\", L"g.zip", "http://h/g.zip", true),
              L"a.exe --summary-interval=5 --allow-overwrite=true --dir=t\\ --out=g.zip"
              L" --max-connection-per-server=16 --split=128"
              L" --file-allocation=trunc --auto-save-interval=1 --connect-timeout=15 --timeout=20 --max-tries=2 --lowest-speed-limit=1K"
              L" --continue=true http://h/g.zip");
    EXPECT_EQ(SevenZipControl::CommandLine(L"C:\\L\\soft\\7z.exe", L"C:\\L\\tmp\\game.zip", L"C:\\L\\Game\\"),
              L"C:\\L\\soft\\7z.exe x C:\\L\\tmp\\game.zip -oC:\\L\\Game\\ -y -bsp1");
}
