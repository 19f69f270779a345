// The self-update's batch file and its guard against downloads that are not
// programs.
#include <gtest/gtest.h>

#include <string>

#include "Launcher/flows/SelfUpdate.h"

TEST(SelfUpdate, BatchTextIsExactForAFolderAndProgramName) {
    const std::string expected =
        "@echo off\r\n"
        ":try\r\n"
        "choice /t 1 /d y >nul\r\n"
        "del \"C:\\Games\\\\Launcher.exe\"\r\n"
        "if exist  \"C:\\Games\\\\Launcher.exe\" goto :try\r\n"
        "rename \"C:\\Games\\\\\\New_Launcher.exe\" \"Launcher.exe\"\r\n"
        "start \"\" \"C:\\Games\\\\Launcher.exe\"\r\n"
        "ie4uinit.exe -show\r\n"
        "del \"%~nx0\"";
    const std::string text = BuildUpdateBatch("C:\\Games\\", "Launcher.exe");
    EXPECT_EQ(expected, text);

    // Nine lines: eight closed by CR LF, the last one without a line break.
    size_t breaks = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++breaks;
    EXPECT_EQ(8u, breaks);
    EXPECT_EQ(std::string::npos, text.find('\n', text.rfind("\r\n") + 2));
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
