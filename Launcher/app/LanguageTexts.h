#pragma once
// The launcher's two interface languages: the texts of the card buttons, and
// the stored choice in the local settings file.
#include <string>

enum LauncherLanguage { kEnglish = 0, kChinese = 1 };

struct CardButtonTexts {
    const wchar_t* download;  // "btn_download"
    const wchar_t* link1;     // "btn_link1"
    const wchar_t* link2;     // "btn_link2"
    const wchar_t* start;     // "btn_start"
};

// 0 is English, any other value Chinese.
LauncherLanguage LanguageOf(int value);
const CardButtonTexts& ButtonTextsOf(LauncherLanguage language);

// "LAUNCHER"/"Language" of the settings file, as a language.
LauncherLanguage ReadStoredLanguage(const std::wstring& settingsPath);
// Writes "0" or "1"; a failed write goes unnoticed.
void StoreLanguage(const std::wstring& settingsPath, LauncherLanguage language);
