#pragma once
// The launcher's local settings file ("GameSetting.INI"), read and written
// through the system's profile functions; nothing is cached.
#include <cstdint>
#include <string>

// Writes `value` under section/key; a failed write goes unnoticed.
void WriteSetting(const std::wstring& section, const std::wstring& key,
                  const std::wstring& filePath, const std::wstring& value);

// The stored value read as a decimal integer; an absent file, key or a
// non-numeric value reads as 0.
int ReadSettingInt(const std::wstring& section, const std::wstring& key,
                   const std::wstring& filePath);

// The stored value read as an unsigned 64-bit decimal (a Unix time past 2038
// does not fit an int). An absent value, or one that is not wholly decimal
// digits within the 64-bit range, reads as 0.
uint64_t ReadSettingUint64(const std::wstring& section, const std::wstring& key,
                           const std::wstring& filePath);
