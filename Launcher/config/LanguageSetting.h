#pragma once
// The interface language the player chose, kept in the local settings file.
#include <string>

enum LauncherLanguage { kEnglish = 0, kChinese = 1 };

// 0 is English, any other value Chinese.
LauncherLanguage LanguageOf(int value);

// "LAUNCHER"/"Language" of the settings file, as a language.
LauncherLanguage ReadStoredLanguage(const std::wstring& settingsPath);
// Writes "0" or "1"; a failed write goes unnoticed.
void StoreLanguage(const std::wstring& settingsPath, LauncherLanguage language);
