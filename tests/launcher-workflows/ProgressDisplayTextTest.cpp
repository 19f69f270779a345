#include <gtest/gtest.h>

#include "Launcher/app/ProgressDisplayText.h"

TEST(ProgressDisplayText, PercentagesAndFailureNotices) {
    EXPECT_EQ(ProgressValueText(0), L"0");
    EXPECT_EQ(ProgressLabelText(0), L"0%");
    EXPECT_EQ(ProgressValueText(37), L"37");
    EXPECT_EQ(ProgressLabelText(37), L"37%");
    EXPECT_EQ(ProgressLabelText(100), L"100%");

    using Result = ArchiveInstall::Result;
    EXPECT_EQ(InstallFailureText(Result::DownloadFailed, 0), L"Download failed");
    EXPECT_EQ(InstallFailureText(Result::UnpackFailed, 0), L"Unpacking failed");
    EXPECT_EQ(InstallFailureText(Result::DownloadFailed, 1), L"\u4E0B\u8F7D\u5931\u8D25");
    // Any language other than 0 is Chinese, as for the button texts.
    EXPECT_EQ(InstallFailureText(Result::UnpackFailed, 5), InstallFailureText(Result::UnpackFailed, 1));
    EXPECT_NE(InstallFailureText(Result::UnpackFailed, 1), InstallFailureText(Result::DownloadFailed, 1));
    EXPECT_TRUE(InstallFailureText(Result::Installed, 0).empty());
}
