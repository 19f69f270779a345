// Shell link files: what the launcher's first start saves on the desktop.
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>

#include "pillar/ShellLink.h"
#include "support/TestHttpServer.h"

TEST(ShellLinkFile, SavedLinkPointsAtTheProgramAndStartsInItsFolder) {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    const std::wstring folder = testsupport::MakeScratchFolder(L"launcher-link");
    const std::wstring link = pillar::LinkPathIn(folder, L"Nova Games.lnk");
    ASSERT_EQ(folder + L"\\Nova Games.lnk", link);
    const pillar::ShellLinkProperties saved{L"C:\\Games\\Launcher.exe", L"C:\\Games\\", L"", L"C:\\Games\\Launcher.exe"};
    EXPECT_TRUE(pillar::SaveShellLink(link, saved));
    pillar::ShellLinkProperties loaded;
    ASSERT_TRUE(pillar::LoadShellLink(link, loaded));
    EXPECT_EQ(saved.targetPath, loaded.targetPath);
    EXPECT_EQ(saved.workingFolder, loaded.workingFolder);
    EXPECT_EQ(saved.iconPath, loaded.iconPath);
    EXPECT_FALSE(pillar::SaveShellLink(folder + L"\\missing\\x.lnk", saved));
    testsupport::RemoveTree(folder);
    ::CoUninitialize();
}

TEST(ShellLinkFile, LinkNamesFromTheConfigurationStayInTheFolder) {
    EXPECT_EQ(L"D:\\Desk\\.lnk", pillar::LinkPathIn(L"D:\\Desk", L".lnk"));  // an empty LinkName
    for (const wchar_t* unsafe : {L"..\\..\\Windows\\x.lnk", L"a/b.lnk", L"C:x.lnk", L"..", L""}) {
        EXPECT_TRUE(pillar::LinkPathIn(L"D:\\Desk", unsafe).empty()) << unsafe;
    }
    EXPECT_TRUE(pillar::LinkPathIn(L"D:\\Desk", std::wstring(MAX_PATH, L'a') + L".lnk").empty());
}
