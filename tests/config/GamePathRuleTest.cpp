// What the configuration may name as a game's folder, program and links: a
// value that passes is joined to the Game folder or handed to the shell.
#include <gtest/gtest.h>

#include <string>

#include "Launcher/config/GameCard.h"
#include "Launcher/config/GamePathRule.h"
#include "Launcher/config/WebLinkRule.h"

TEST(GamePathRule, OnlyNamesBelowTheGameFolderPass) {
    for (const wchar_t* safe : {L"\u9752\u4E91\\bin\\game.exe", L"a/b", L"Iron Clad\\Game.exe", L"Nebula",
                                L"v1.2\\..x\\game.exe", L"a/b\\c.exe"}) {
        EXPECT_TRUE(IsSafeGamePath(safe)) << safe;
    }
    const std::wstring unsafeValues[] = {
        L"..\\Escape", L"a\\..\\..\\b", L"a/../../b", L"..", L"...\\x", L". .\\x", L".\\game.exe", L"a\\.\\b",
        L"C:\\Windows", L"C:x", L"c:", L"\\\\host\\share", L"//host/share", L"\\\\?\\C:\\x", L"\\abs", L"/abs",
        L"x.exe:stream", L"a\\b::$DATA", L"", L"a\\", L"a\\\\b", L"a//b", L"a\nb", L"a\tb", L"a\x7F"};
    for (const std::wstring& unsafe : unsafeValues) {
        EXPECT_FALSE(IsSafeGamePath(unsafe)) << "[" << unsafe << "]";
    }
}

TEST(GamePathRule, ACardNeedsBothItsFolderAndItsProgramSafe) {
    GameCard card;
    card.folderName = L"Nebula";
    card.exePath = L"Nebula\\bin\\game.exe";
    EXPECT_TRUE(HasSafeGamePaths(card));
    card.folderName = L"..\\Escape";
    EXPECT_FALSE(HasSafeGamePaths(card));
    card.folderName = L"Nebula";
    card.exePath = L"C:\\Windows\\System32\\cmd.exe";
    EXPECT_FALSE(HasSafeGamePaths(card));
    card.exePath.clear();
    EXPECT_FALSE(HasSafeGamePaths(card));
}

TEST(WebLinkRule, OnlyWebAddressesReachTheShell) {
    for (const wchar_t* web : {L"http://example.com/", L"https://example.com/register?x=1", L"HTTP://ok",
                               L"HttpS://Example.com", L"http://127.0.0.1:8080/www/index.html"}) {
        EXPECT_TRUE(IsWebLink(web)) << web;
    }
    for (const wchar_t* refused :
         {L"C:\\Windows\\System32\\cmd.exe", L"file:///C:/x", L"\\\\host\\share\\x.exe", L"javascript:alert(1)", L"",
          L"http://", L"http:///C:/x", L"https:x", L"ftp://host/x", L"http:\\\\host\\x", L"http://host\\share",
          L"http://host/a\nb", L"shell:startup", L" http://host/", L"httpx://host"}) {
        EXPECT_FALSE(IsWebLink(refused)) << refused;
    }
}
