#include "Launcher/config/LanguageSetting.h"

#include "Launcher/config/LocalSettings.h"

namespace {

const wchar_t kSection[] = L"LAUNCHER";
const wchar_t kKey[] = L"Language";

} // namespace

LauncherLanguage LanguageOf(int value) { return value == 0 ? kEnglish : kChinese; }

LauncherLanguage ReadStoredLanguage(const std::wstring& settingsPath) {
    return LanguageOf(ReadSettingInt(kSection, kKey, settingsPath));
}

void StoreLanguage(const std::wstring& settingsPath, LauncherLanguage language) {
    WriteSetting(kSection, kKey, settingsPath, language == kEnglish ? L"0" : L"1");
}
