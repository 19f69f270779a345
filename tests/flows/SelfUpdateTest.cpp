// The self-update's batch file, its guard against downloads that are not
// programs, and its refusal of a program the release does not vouch for.
#include <gtest/gtest.h>

#include <string>

#include "Launcher/flows/SelfUpdate.h"
#include "Launcher/flows/SelfUpdateFlow.h"
#include "flows/FlowTestSupport.h"
#include "support/ReleaseHashes.h"

using namespace flows_test;

TEST(SelfUpdate, BatchTextIsExactForAFolderAndProgramName) {
    const std::wstring expected =
        L"@echo off\r\n"
        L":try\r\n"
        L"choice /t 1 /d y >nul\r\n"
        L"del \"C:\\Games\\\\Launcher.exe\"\r\n"
        L"if exist  \"C:\\Games\\\\Launcher.exe\" goto :try\r\n"
        L"rename \"C:\\Games\\\\\\New_Launcher.exe\" \"Launcher.exe\"\r\n"
        L"start \"\" \"C:\\Games\\\\Launcher.exe\"\r\n"
        L"ie4uinit.exe -show\r\n"
        L"del \"%~nx0\"";
    const std::wstring text = BuildUpdateBatch(L"C:\\Games\\", L"Launcher.exe");
    EXPECT_EQ(expected, text);

    // Nine lines: eight closed by CR LF, the last one without a line break.
    size_t breaks = 0;
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2)) ++breaks;
    EXPECT_EQ(8u, breaks);
    EXPECT_EQ(std::wstring::npos, text.find(L'\n', text.rfind(L"\r\n") + 2));
}

TEST(SelfUpdate, OnlyDownloadsStartingWithMzReplaceTheLauncher) {
    const std::string program("MZ\x90\0\x03", 5);
    const std::string page = "<html>not a program</html>";
    EXPECT_TRUE(IsWindowsExecutable(program.data(), program.size()));
    EXPECT_FALSE(IsWindowsExecutable(page.data(), page.size()));
    EXPECT_FALSE(IsWindowsExecutable("ZM", 2));
    EXPECT_FALSE(IsWindowsExecutable("M", 1));
    EXPECT_FALSE(IsWindowsExecutable("MZ", 0));
    EXPECT_FALSE(IsWindowsExecutable(nullptr, 2));
}

TEST(SelfUpdate, OnlyTheProgramTheReleaseNamesIsPutBesideTheLauncher) {
    LauncherFolderFixture launcher;
    testsupport::TestHttpServer server{launcher.Site()};
    ASSERT_TRUE(server.Start());
    // The batch file is written in the OEM code page, which cannot name the
    // fixture's Chinese folder: a plain one beside it.
    const LauncherFolders folders = LauncherFolders::Below(launcher.Scratch(L"plain\\"), L"Launcher.exe");
    ::CreateDirectoryW(folders.base.c_str(), nullptr);
    folders.Make();
    ASSERT_TRUE(WriteFileText(folders.base + L"Launcher.exe", "MZ the old launcher"));
    const std::string program = "MZ the new launcher";
    const std::string tampered = "MZ a launcher from someone else";
    ASSERT_TRUE(WriteFileText(launcher.Site() + L"New.exe", tampered));
    const std::wstring newProgram = folders.base + kNewLauncherName;
    const std::wstring batch = folders.base + L"\\" + kUpdateBatchName;
    const auto leftNothing = [&] {
        EXPECT_FALSE(FileExists(newProgram));
        EXPECT_FALSE(FileExists(batch));
        EXPECT_EQ(ReadFileText(folders.base + L"Launcher.exe"), "MZ the old launcher");
    };

    const trust::ExpectedHash signedHash = trust::ReadExpectedHash(testsupport::HashOf(program), true);
    EXPECT_EQ(PrepareSelfUpdate(folders, server.Url("New.exe"), signedHash), 1);
    leftNothing();
    // No hash (or a malformed one) in a build with keys: nothing is even fetched.
    server.ClearRequests();
    EXPECT_EQ(PrepareSelfUpdate(folders, server.Url("New.exe"), trust::ReadExpectedHash("", true)), 1);
    EXPECT_EQ(PrepareSelfUpdate(folders, server.Url("New.exe"), trust::ReadExpectedHash("ABC", false)), 1);
    EXPECT_TRUE(server.Requests().empty());
    leftNothing();

    ASSERT_TRUE(WriteFileText(launcher.Site() + L"New.exe", program));
    EXPECT_EQ(PrepareSelfUpdate(folders, server.Url("New.exe"), signedHash), 0);
    EXPECT_EQ(ReadFileText(newProgram), program);
    EXPECT_TRUE(FileExists(batch));
}
