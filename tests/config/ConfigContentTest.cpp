// The remote configuration's keys into the game slots and the card states.
#include <gtest/gtest.h>

#include <string>

#include "Launcher/config/CardContent.h"
#include "Launcher/config/GameCard.h"
#include "Launcher/config/IniDocument.h"
#include "pillar/WholeFile.h"
#include "support/TestHttpServer.h"

namespace {

IniDocument Parse(const std::string& text) {
    IniDocument document;
    document.Parse(text);
    return document;
}

} // namespace

TEST(ConfigContent, OnlyTheOwnVersionSkipsTheSelfUpdate) {
    EXPECT_FALSE(NeedsSelfUpdate(Parse("[Launcher]\r\nVersion=10001\r\n")));
    for (const char* text : {"[Launcher]\nVersion=10000\n", "[Launcher]\nVersion=10002\n", "[Launcher]\nTitle=x\n",
                             "[Launcher]\nVersion=abc\n", "[launcher]\nVersion=10001\n"}) {
        EXPECT_TRUE(NeedsSelfUpdate(Parse(text))) << text;
    }
}

TEST(ConfigContent, AvailableCardFillsEveryFieldOfItsSlot) {
    const IniDocument config = Parse(
        "[Game3]\r\nAvailable=1\r\nName=\xE9\x9D\x92\xE4\xBA\x91\r\nDownloadLink=http://h/d.zip\r\n"
        "Link1=http://h/1\r\nLink2=http://h/2\r\nUpGradeLink=http://h/list.txt\r\nUpgradePath=http://h/files/\r\n"
        "FolderName=\xE9\x9D\x92\xE4\xBA\x91\r\nExePath=\xE9\x9D\x92\xE4\xBA\x91\\Game.exe\r\n"
        "Paramete=-a -b\r\nType=RPG\r\nText=Words\r\n"
        "Icon=http://h/img/i.png\r\nBackImage=http://h/img/b.png\r\n");
    GameCard slot;
    slot.name = L"left over";
    const CardContent card = ReadCardContent(config, 3, L"C:\\nowhere\\Game\\", slot);
    EXPECT_TRUE(card.shown);
    EXPECT_FALSE(card.installed);
    EXPECT_EQ(1, slot.available);
    EXPECT_EQ(L"\u9752\u4E91", slot.name);
    EXPECT_EQ(L"\u9752\u4E91", card.name);
    EXPECT_EQ("http://h/d.zip", slot.downloadLink);
    EXPECT_EQ(L"http://h/1", slot.link1);
    EXPECT_EQ(L"http://h/2", slot.link2);
    EXPECT_EQ("http://h/list.txt", slot.upgradeLink);
    EXPECT_EQ("http://h/files/", slot.upgradePath);
    EXPECT_EQ(L"\u9752\u4E91", slot.folderName);
    EXPECT_EQ(L"\u9752\u4E91\\Game.exe", slot.exePath);
    EXPECT_EQ(L"-a -b", slot.parameters);
    EXPECT_EQ(L"RPG", card.type);
    EXPECT_EQ(L"Words", card.text);
    EXPECT_EQ("http://h/img/i.png", card.iconUrl);
    EXPECT_EQ("http://h/img/b.png", card.backImageUrl);
}

TEST(ConfigContent, CardsOtherThanAvailableOneStayHiddenAndEmpty) {
    const IniDocument config = Parse(
        "[Game0]\nAvailable=0\nName=Zero\n[Game1]\nAvailable=2\nName=Two\n[Game2]\nName=Absent\n"
        "[Game6]\nAvailable=1\nName=Seventh\n[game4]\nAvailable=1\nName=Lower\n[ Game5 ]\nAvailable=1\n");
    for (int index = 0; index < 6; ++index) {
        GameCard slot;
        slot.exePath = L"stale";
        const CardContent card = ReadCardContent(config, index, L"C:\\Game\\", slot);
        EXPECT_FALSE(card.shown) << index;
        EXPECT_EQ(0, slot.available) << index;
        EXPECT_TRUE(slot.name.empty() && slot.exePath.empty()) << index;
        EXPECT_TRUE(card.name.empty()) << index;
    }
}

TEST(ConfigContent, InstalledWhenTheExecutableExistsBelowTheGameFolder) {
    // A launcher folder and a game that no code page but Chinese ones holds.
    const std::wstring root = testsupport::MakeScratchFolder(L"launcher-installed");
    const std::wstring launcher = root + L"\\\x6E38\x620F \x542F\x52A8\x5668";
    const std::wstring gameFolder = launcher + L"\\Game\\";
    ASSERT_TRUE(::CreateDirectoryW(launcher.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(gameFolder.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((gameFolder + L"Iron Clad").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((gameFolder + L"\x9752\x4E91").c_str(), nullptr));
    ASSERT_TRUE(pillar::WriteWholeFile(gameFolder + L"Iron Clad\\Game.exe", std::string("MZ")));
    ASSERT_TRUE(pillar::WriteWholeFile(gameFolder + L"\x9752\x4E91\\\x9752\x4E91.exe", std::string("MZ")));

    EXPECT_TRUE(IsGameInstalled(gameFolder, L"Iron Clad\\Game.exe"));
    EXPECT_FALSE(IsGameInstalled(gameFolder, L"Iron Clad\\Other.exe"));
    EXPECT_FALSE(IsGameInstalled(gameFolder, L"Iron Clad"));  // a folder is no program
    EXPECT_FALSE(IsGameInstalled(gameFolder, L""));
    EXPECT_FALSE(IsGameInstalled(root + L"\\Elsewhere\\", L"Iron Clad\\Game.exe"));

    // The ExePath as the remote configuration has it: UTF-8.
    const IniDocument config = Parse("[Game2]\nAvailable=1\nFolderName=Iron Clad\nExePath=Iron Clad\\Game.exe\n"
                                     "[Game4]\nAvailable=1\nFolderName=\xE9\x9D\x92\xE4\xBA\x91\n"
                                     "ExePath=\xE9\x9D\x92\xE4\xBA\x91\\\xE9\x9D\x92\xE4\xBA\x91.exe\n"
                                     "[Game5]\nAvailable=1\nName=Escape\nFolderName=..\\Escape\n"
                                     "ExePath=..\\Escape\\Game.exe\n");
    GameCard slot;
    EXPECT_TRUE(ReadCardContent(config, 2, gameFolder, slot).installed);
    EXPECT_TRUE(ReadCardContent(config, 4, gameFolder, slot).installed);
    // A program that exists, but beside the Game folder: the card shows,
    // refused, and never as installed (its start button would run it).
    ASSERT_TRUE(::CreateDirectoryW((launcher + L"\\Escape").c_str(), nullptr));
    ASSERT_TRUE(pillar::WriteWholeFile(launcher + L"\\Escape\\Game.exe", std::string("MZ")));
    const CardContent escape = ReadCardContent(config, 5, gameFolder, slot);
    EXPECT_TRUE(escape.shown);
    EXPECT_TRUE(escape.pathsRefused);
    EXPECT_FALSE(escape.installed);
    EXPECT_FALSE(ReadCardContent(config, 2, gameFolder, slot).pathsRefused);
    testsupport::RemoveTree(root);
}

TEST(ConfigContent, ImagesAreSavedOnlyUnderPlainFileNames) {
    EXPECT_EQ(L"C:\\L\\tmp\\Nebula_icon.png", DownloadedImagePath(L"C:\\L\\tmp\\", L"Nebula_icon.png"));
    EXPECT_EQ(L"C:\\L\\tmp\\Logo.png", DownloadedImagePath(L"C:\\L\\tmp\\", L"Logo.png"));
    for (const wchar_t* unsafe : {L"a\\..\\..\\x.dll", L"..", L". .", L"", L"C:x.png", L"sub\\x.png"}) {
        EXPECT_TRUE(DownloadedImagePath(L"C:\\L\\tmp\\", unsafe).empty()) << unsafe;
    }
}

TEST(ConfigContent, LauncherSectionGivesTitleLogoAndShortcutName) {
    const LauncherContent content = ReadLauncherContent(
        Parse("[Launcher]\r\nTitle=Nova \xC2\xB7 Games\r\nLogo=http://h/Logo.png\r\nLinkName=Nova Games\r\n"));
    EXPECT_EQ(L"Nova \u00B7 Games", content.title);
    EXPECT_EQ("http://h/Logo.png", content.logoUrl);
    EXPECT_EQ(L"Nova Games", content.linkName);
}
