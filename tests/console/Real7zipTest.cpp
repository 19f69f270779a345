// The extraction driver with the real 7-Zip console archiver.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Launcher/console/SevenZipControl.h"
#include "console/ConsoleTestSupport.h"

using namespace console_test;

namespace {

constexpr DWORD kSilenceLimitMs = 30000;

// Folder names plain, or with a space and Chinese characters ("文件").
std::wstring Named(const wchar_t* name, bool unusual) {
    return unusual ? std::wstring(name) + L" \x6587\x4EF6" : std::wstring(name);
}

// Copies the real archiver into a subfolder as 7z.exe; empty on failure.
std::wstring InstallArchiver(const TempFolder& root, const std::wstring& folder = L"soft") {
    const std::wstring tool = root.Sub(folder) + L"7z.exe";
    const bool copied =
        CopyFileW((WindowsPathOf(CONSOLE_7ZIP_BIN_DIR) + L"\\7za-x64.exe").c_str(), tool.c_str(), FALSE);
    return copied ? tool : std::wstring();
}

// Builds an archive of two files, one in a subfolder, with the real archiver.
std::wstring MakeArchive(const std::wstring& sevenZip, const TempFolder& root, bool unusual) {
    const std::wstring source = root.Sub(Named(L"source", unusual));
    CreateDirectoryW((source + L"data").c_str(), nullptr);
    WriteText(source + L"readme.txt", "hello launcher\r\n");
    std::string big;
    for (int i = 0; i < 200000; ++i) big += std::to_string(i * 7919 % 100003) + ",";
    WriteText(source + L"data\\level.pak", big);
    const std::wstring archive = root.Sub(Named(L"tmp", unusual)) + L"game.7z";
    const int code = RunToEnd(L"\"" + sevenZip + L"\" a \"" + archive + L"\" \"" + source + L"*\" -y");
    return code == 0 ? archive : std::wstring();
}

void ExtractAndCheck(bool unusual) {
    TempFolder root(unusual ? L"with space \x6E38\x620F" : L"plain");
    const std::wstring tool = InstallArchiver(root, Named(L"soft", unusual));
    ASSERT_FALSE(tool.empty());
    const std::wstring archive = MakeArchive(tool, root, unusual);
    ASSERT_FALSE(archive.empty());
    const std::wstring game = root.Sub(Named(L"Game", unusual));

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(tool);
    ASSERT_TRUE(sevenZip.Extract(archive, game));
    const ToolOutcome outcome = sevenZip.WaitForEnd(kSilenceLimitMs);
    EXPECT_EQ(static_cast<int>(outcome.end), static_cast<int>(ToolEnd::Completed));
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_TRUE(sevenZip.Completed());
    EXPECT_EQ(sevenZip.Progress().percent, 100);

    EXPECT_EQ(ReadText(game + L"readme.txt"), "hello launcher\r\n");
    const std::wstring source = root.Path() + Named(L"source", unusual) + L"\\";
    EXPECT_EQ(ReadText(game + L"data\\level.pak"), ReadText(source + L"data\\level.pak"));
}

} // namespace

TEST(Real7zip, ExtractsIntoTheGameFolder) { ExtractAndCheck(false); }

TEST(Real7zip, ExtractsWhenEveryFolderHoldsASpaceAndChineseCharacters) { ExtractAndCheck(true); }

TEST(Real7zip, DamagedArchiveNeverFinishesButItsEndIsVisible) {
    TempFolder root(L"damaged");
    const std::wstring tool = InstallArchiver(root);
    ASSERT_FALSE(tool.empty());
    const std::wstring archive = root.Path() + L"broken.7z";
    WriteText(archive, "7z\xBC\xAF\x27\x1C this is not really an archive");

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(tool);
    ASSERT_TRUE(sevenZip.Extract(archive, root.Sub(L"Game")));
    const ToolOutcome outcome = sevenZip.WaitForEnd(kSilenceLimitMs);
    EXPECT_EQ(static_cast<int>(outcome.end), static_cast<int>(ToolEnd::Failed));
    EXPECT_NE(outcome.exitCode, 0u);
    EXPECT_FALSE(sevenZip.Completed());
}

TEST(Real7zip, EncryptedNamesEndTheArchiverAtOnceInsteadOfAskingForAPassword) {
    TempFolder root(L"locked");
    const std::wstring tool = InstallArchiver(root);
    ASSERT_FALSE(tool.empty());
    const std::wstring source = root.Sub(L"source");
    WriteText(source + L"secret.txt", "only with the password");
    const std::wstring archive = root.Path() + L"locked.7z";
    ASSERT_EQ(RunToEnd(tool + L" a " + archive + L" " + source + L"* -pSecret -mhe=on -y"), 0);

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(tool);
    ASSERT_TRUE(sevenZip.Extract(archive, root.Sub(L"Game")));
    // It asks for the password on its input, which reads as empty; a tool
    // that waited for an answer would end Silent.
    const ToolOutcome outcome = sevenZip.WaitForEnd(15000);
    EXPECT_EQ(static_cast<int>(outcome.end), static_cast<int>(ToolEnd::Failed));
    EXPECT_NE(outcome.exitCode, 0u);
    EXPECT_FALSE(sevenZip.Completed());
}

TEST(Real7zip, ListingGivesTheUnpackedSizeAndAFullDiskIsToldFromADamagedArchive) {
    TempFolder root(L"listing");
    const std::wstring tool = InstallArchiver(root);
    ASSERT_FALSE(tool.empty());
    const std::wstring archive = MakeArchive(tool, root, true);
    ASSERT_FALSE(archive.empty());
    std::string big;
    for (int i = 0; i < 200000; ++i) big += std::to_string(i * 7919 % 100003) + ",";

    SevenZipControl sevenZip;
    sevenZip.SetToolPath(tool);
    ASSERT_TRUE(sevenZip.List(archive));
    EXPECT_EQ(static_cast<int>(sevenZip.WaitForEnd(kSilenceLimitMs).end), static_cast<int>(ToolEnd::Completed));
    EXPECT_EQ(sevenZip.ListedTotal(), static_cast<int64_t>(big.size() + 16));
    EXPECT_FALSE(sevenZip.SawDiskFull());

    // A damaged archive fails with code 2 and is not a full disk.
    WriteText(root.Path() + L"broken.zip", std::string("PK\x03\x04", 4) + std::string(5000, 'x'));
    ASSERT_TRUE(sevenZip.Extract(root.Path() + L"broken.zip", root.Sub(L"out")));
    EXPECT_NE(static_cast<int>(sevenZip.WaitForEnd(kSilenceLimitMs).end), static_cast<int>(ToolEnd::Completed));
    EXPECT_FALSE(sevenZip.SawDiskFull());
    EXPECT_EQ(sevenZip.ListedTotal(), -1);

    // What 7-Zip prints when the disk fills, in both wordings.
    EXPECT_TRUE(SevenZipControl::SaysDiskFull("ERROR: data.pak\r\nSystem ERROR:\r\nDisk full.\r\n"));
    EXPECT_TRUE(SevenZipControl::SaysDiskFull("There is not enough space on the disk."));
    EXPECT_FALSE(SevenZipControl::SaysDiskFull("ERRORS:\r\nHeaders Error\r\nUnexpected end of archive"));
}
