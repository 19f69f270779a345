#include <gtest/gtest.h>

#include "Launcher/app/LanguageTexts.h"

TEST(LanguageTexts, PercentagesAndNoticesInBothLanguages) {
    EXPECT_EQ(ProgressValueText(0), L"0");
    EXPECT_EQ(ProgressLabelText(0), L"0%");
    EXPECT_EQ(ProgressValueText(37), L"37");
    EXPECT_EQ(ProgressLabelText(100), L"100%");

    EXPECT_EQ(NoticeText(NoticeInfo{NoticeKind::DownloadFailed}, kEnglish), L"Download failed");
    EXPECT_EQ(NoticeText(NoticeInfo{NoticeKind::UnpackFailed}, kEnglish), L"Unpacking failed");
    EXPECT_EQ(NoticeText(NoticeInfo{NoticeKind::DownloadFailed}, kChinese), L"\u4E0B\u8F7D\u5931\u8D25");
    EXPECT_EQ(NoticeText(NoticeInfo{NoticeKind::UnpackFailed}, kChinese), L"\u89E3\u538B\u5931\u8D25");
    EXPECT_EQ(SizeText(900), L"900 B");
    EXPECT_EQ(SizeText(int64_t(350) << 20), L"350 MB");
    const NoticeInfo noRoom{NoticeKind::NotEnoughSpace, int64_t(3) << 31, L"D:\\"};
    EXPECT_EQ(NoticeText(noRoom, kEnglish), L"Needs 6.0 GB free on D:\\");
    EXPECT_EQ(NoticeText(noRoom, kChinese), L"D:\\ \u9700\u8981 6.0 GB \u53EF\u7528\u7A7A\u95F4");
    // Any stored value other than 0 is Chinese, as for the button texts.
    EXPECT_EQ(LanguageOf(5), kChinese);
    EXPECT_EQ(LanguageOf(0), kEnglish);
}
