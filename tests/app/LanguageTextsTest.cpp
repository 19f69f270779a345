#include <gtest/gtest.h>

#include "Launcher/app/LanguageTexts.h"

TEST(LanguageTexts, PercentagesAndNoticesInBothLanguages) {
    EXPECT_EQ(ProgressValueText(0), L"0");
    EXPECT_EQ(ProgressLabelText(0), L"0%");
    EXPECT_EQ(ProgressValueText(37), L"37");
    EXPECT_EQ(ProgressLabelText(100), L"100%");

    EXPECT_EQ(NoticeText(NoticeKind::DownloadFailed, kEnglish), L"Download failed");
    EXPECT_EQ(NoticeText(NoticeKind::UnpackFailed, kEnglish), L"Unpacking failed");
    EXPECT_EQ(NoticeText(NoticeKind::DownloadFailed, kChinese), L"\u4E0B\u8F7D\u5931\u8D25");
    EXPECT_EQ(NoticeText(NoticeKind::UnpackFailed, kChinese), L"\u89E3\u538B\u5931\u8D25");
    // Any stored value other than 0 is Chinese, as for the button texts.
    EXPECT_EQ(LanguageOf(5), kChinese);
    EXPECT_EQ(LanguageOf(0), kEnglish);
}
