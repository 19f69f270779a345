// The extraction driver with the real 7-Zip console archiver.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Launcher/console/SevenZipControl.h"
#include "console/ConsoleTestSupport.h"

using namespace console_test;

namespace {

// Folder names with or without a space.
std::string Named(const char* name, bool withSpaces) {
    return withSpaces ? std::string(name) + " files" : std::string(name);
}

// Copies the real archiver into a subfolder as 7z.exe; empty on failure.
std::string InstallArchiver(const TempFolder& root, const std::string& folder = "soft") {
    const std::string tool = root.Sub(folder) + "7z.exe";
    const bool copied = CopyFileA((WindowsPathOf(CONSOLE_7ZIP_BIN_DIR) + "\\7za-x64.exe").c_str(),
                                  tool.c_str(), FALSE);
    return copied ? tool : std::string();
}

// Builds an archive of two files, one in a subfolder, with the real archiver.
std::string MakeArchive(const std::string& sevenZip, const TempFolder& root, bool withSpaces) {
    const std::string source = root.Sub(Named("source", withSpaces));
    CreateDirectoryA((source + "data").c_str(), nullptr);
    WriteText(source + "readme.txt", "hello launcher\r\n");
    std::string big;
    for (int i = 0; i < 200000; ++i) big += std::to_string(i * 7919 % 100003) + ",";
    WriteText(source + "data\\level.pak", big);
    const std::string archive = root.Sub(Named("tmp", withSpaces)) + "game.7z";
    const int code = RunToEnd("\"" + sevenZip + "\" a \"" + archive + "\" \"" + source + "*\" -y");
    return code == 0 ? archive : std::string();
}

void ExtractAndCheck(bool withSpaces) {
    TempFolder root(withSpaces ? "with space" : "plain");
    const std::string tool = InstallArchiver(root, Named("soft", withSpaces));
    ASSERT_FALSE(tool.empty());
    const std::string archive = MakeArchive(tool, root, withSpaces);
    ASSERT_FALSE(archive.empty());
    const std::string game = root.Sub(Named("Game", withSpaces));

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(tool);
    ASSERT_TRUE(sevenZip.Extract(archive, game));
    ASSERT_TRUE(WaitFor([&] { return sevenZip.finished.load() == 1; }));
    EXPECT_EQ(sevenZip.percent.load(), 100);
    DWORD code = 99;
    ASSERT_TRUE(WaitFor([&] { return sevenZip.GetToolStatus(&code) == ToolStatus::Ended; }));
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(ReadText(game + "readme.txt"), "hello launcher\r\n");
    const std::string source = root.Path() + Named("source", withSpaces) + "\\";
    EXPECT_EQ(ReadText(game + "data\\level.pak"), ReadText(source + "data\\level.pak"));
}

} // namespace

TEST(Real7zip, ExtractsIntoTheGameFolder) { ExtractAndCheck(false); }

TEST(Real7zip, ExtractsWhenEveryFolderHoldsASpace) { ExtractAndCheck(true); }

TEST(Real7zip, DamagedArchiveNeverFinishesButItsEndIsVisible) {
    TempFolder root("damaged");
    const std::string tool = InstallArchiver(root);
    ASSERT_FALSE(tool.empty());
    const std::string archive = root.Path() + "broken.7z";
    WriteText(archive, "7z\xBC\xAF\x27\x1C this is not really an archive");

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(tool);
    ASSERT_TRUE(sevenZip.Extract(archive, root.Sub("Game")));
    DWORD code = 0;
    ASSERT_TRUE(WaitFor([&] { return sevenZip.GetToolStatus(&code) == ToolStatus::Ended; }));
    EXPECT_NE(code, 0u);
    EXPECT_EQ(sevenZip.finished.load(), 0);
}

TEST(Real7zip, EncryptedNamesEndTheArchiverAtOnceInsteadOfAskingForAPassword) {
    TempFolder root("locked");
    const std::string tool = InstallArchiver(root);
    ASSERT_FALSE(tool.empty());
    const std::string source = root.Sub("source");
    WriteText(source + "secret.txt", "only with the password");
    const std::string archive = root.Path() + "locked.7z";
    ASSERT_EQ(RunToEnd(tool + " a " + archive + " " + source + "* -pSecret -mhe=on -y"), 0);

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(tool);
    ASSERT_TRUE(sevenZip.Extract(archive, root.Sub("Game")));
    // It asks for the password on its input, which reads as empty.
    DWORD code = 0;
    ASSERT_TRUE(WaitFor([&] { return sevenZip.GetToolStatus(&code) == ToolStatus::Ended; }, 15000));
    EXPECT_NE(code, 0u);
    EXPECT_EQ(sevenZip.finished.load(), 0);
}
