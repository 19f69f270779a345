// The self-update's batch file and its guard against downloads that are not
// programs.
#include <gtest/gtest.h>

#include <string>

#include "Launcher/flows/SelfUpdate.h"

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
