// The launcher's folders below its working folder and its local settings:
// the one-time desktop shortcut and the stored language.
#include <gtest/gtest.h>

#include <string>

#include "Launcher/flows/DesktopShortcutFlag.h"
#include "pillar/FileSystem.h"
#include "Launcher/config/LanguageSetting.h"
#include "Launcher/config/LocalSettings.h"
#include "pillar/WholeFile.h"
#include "support/TestFiles.h"
#include "support/TestHttpServer.h"

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class LocalState : public ::testing::Test {
protected:
    void SetUp() override { root_ = testsupport::MakeScratchFolder(L"launcher-state") + L"\\"; }
    void TearDown() override { testsupport::RemoveTree(root_.substr(0, root_.size() - 1)); }
    std::wstring root_;
};

} // namespace

TEST_F(LocalState, MakeParentFoldersMakesEveryMissingLevelAndKeepsWhatExists) {
    ASSERT_TRUE(pillar::WriteWholeFile(root_ + L"kept.txt", std::string("x")));
    EXPECT_TRUE(pillar::MakeParentFolders(root_ + L"Game\\Nebula\\bin\\"));
    EXPECT_TRUE(IsFolder(root_ + L"Game\\Nebula\\bin"));
    EXPECT_TRUE(pillar::MakeParentFolders(root_ + L"Game\\"));  // already there
    EXPECT_TRUE(pillar::MakeParentFolders(root_ + L"tmp\\\\"));  // a doubled separator
    EXPECT_TRUE(IsFolder(root_ + L"tmp"));
    EXPECT_EQ("x", testsupport::ReadWholeFile(root_ + L"kept.txt"));
}

TEST_F(LocalState, ShortcutIsTriedOnceAndTheFlagIsSetEvenWhenItFails) {
    const std::wstring settings = root_ + L"GameSetting.INI";
    int attempts = 0;
    auto failingShortcut = [&attempts] {
        ++attempts;
        return false;
    };
    EXPECT_TRUE(MakeDesktopShortcutOnce(settings, failingShortcut));  // no settings file yet
    EXPECT_EQ(1, ReadSettingInt(L"LAUNCHER", L"LinkFlag", settings));
    EXPECT_FALSE(MakeDesktopShortcutOnce(settings, failingShortcut));
    EXPECT_EQ(1, attempts);

    // Clearing the flag asks for another attempt.
    WriteSetting(L"LAUNCHER", L"LinkFlag", settings, L"0");
    EXPECT_TRUE(MakeDesktopShortcutOnce(settings, failingShortcut));
    EXPECT_EQ(2, attempts);
}

TEST_F(LocalState, AnyStoredNonZeroLanguageIsChinese) {
    const std::wstring settings = root_ + L"GameSetting.INI";
    EXPECT_EQ(kEnglish, ReadStoredLanguage(settings));  // no file
    WriteSetting(L"LAUNCHER", L"Language", settings, L"5");
    EXPECT_EQ(kChinese, ReadStoredLanguage(settings));
    StoreLanguage(settings, ReadStoredLanguage(settings));
    wchar_t stored[16] = {};
    ::GetPrivateProfileStringW(L"LAUNCHER", L"Language", nullptr, stored, 16, settings.c_str());
    EXPECT_STREQ(L"1", stored);
    WriteSetting(L"LAUNCHER", L"Language", settings, L"abc");
    EXPECT_EQ(kEnglish, ReadStoredLanguage(settings));
}
