#include "Launcher/app/LanguageTexts.h"

#include "Launcher/config/LocalSettings.h"

namespace {

const CardButtonTexts kEnglishTexts{L"Download", L"Website", L"Register", L"Start"};
const CardButtonTexts kChineseTexts{L"下载游戏", L"官方网站", L"注册", L"启动"};

const wchar_t kSection[] = L"LAUNCHER";
const wchar_t kKey[] = L"Language";

} // namespace

LauncherLanguage LanguageOf(int value) { return value == 0 ? kEnglish : kChinese; }

const CardButtonTexts& ButtonTextsOf(LauncherLanguage language) {
    return language == kEnglish ? kEnglishTexts : kChineseTexts;
}

LauncherLanguage ReadStoredLanguage(const std::wstring& settingsPath) {
    return LanguageOf(ReadSettingInt(kSection, kKey, settingsPath));
}

void StoreLanguage(const std::wstring& settingsPath, LauncherLanguage language) {
    WriteSetting(kSection, kKey, settingsPath, language == kEnglish ? L"0" : L"1");
}
