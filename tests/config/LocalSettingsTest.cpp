#include "Launcher/config/LocalSettings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// A fresh folder under %TEMP%, removed with its settings file afterwards.
class LocalSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = std::wstring(temp) + L"ini_settings_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        path_ = folder_ + L"\\GameSetting.INI";
        DeleteFileW(path_.c_str());
    }
    void TearDown() override {
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring folder_;
    std::wstring path_;
};

} // namespace

TEST_F(LocalSettingsTest, MissingFileAndKeyReadAsZero) {
    EXPECT_EQ(0, ReadSettingInt(L"LAUNCHER", L"Language", path_));
    WriteSetting(L"LAUNCHER", L"LinkFlag", path_, L"1");
    EXPECT_EQ(0, ReadSettingInt(L"LAUNCHER", L"Language", path_));
    EXPECT_EQ(0, ReadSettingInt(L"OTHER", L"LinkFlag", path_));
}

TEST_F(LocalSettingsTest, ValuesRoundTripThroughTheFile) {
    WriteSetting(L"LAUNCHER", L"Language", path_, L"1");
    WriteSetting(L"LAUNCHER", L"LinkFlag", path_, L"1");
    EXPECT_EQ(1, ReadSettingInt(L"LAUNCHER", L"Language", path_));
    EXPECT_EQ(1, ReadSettingInt(L"LAUNCHER", L"LinkFlag", path_));

    WriteSetting(L"LAUNCHER", L"Language", path_, L"0");
    EXPECT_EQ(0, ReadSettingInt(L"LAUNCHER", L"Language", path_));
    EXPECT_EQ(1, ReadSettingInt(L"LAUNCHER", L"LinkFlag", path_));

    // The value really lives in the file, in the profile format.
    wchar_t raw[64] = {};
    GetPrivateProfileStringW(L"LAUNCHER", L"LinkFlag", L"", raw, 64, path_.c_str());
    EXPECT_EQ(std::wstring(L"1"), raw);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path_.c_str()));

    // Stored text is read like atoi.
    WriteSetting(L"LAUNCHER", L"Language", path_, L"abc");
    EXPECT_EQ(0, ReadSettingInt(L"LAUNCHER", L"Language", path_));
    WriteSetting(L"LAUNCHER", L"Language", path_, L"-12xyz");
    EXPECT_EQ(-12, ReadSettingInt(L"LAUNCHER", L"Language", path_));
}
