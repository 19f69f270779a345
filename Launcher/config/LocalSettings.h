#pragma once
// The launcher's local settings file ("GameSetting.INI"), read and written
// through the system's profile functions; nothing is cached.
#include <string>

// Writes `value` under section/key; a failed write goes unnoticed.
void WriteSetting(const std::wstring& section, const std::wstring& key,
                  const std::wstring& filePath, const std::wstring& value);

// The stored value read as a decimal integer; an absent file, key or a
// non-numeric value reads as 0.
int ReadSettingInt(const std::wstring& section, const std::wstring& key,
                   const std::wstring& filePath);
