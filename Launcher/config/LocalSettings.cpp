#include "Launcher/config/LocalSettings.h"

#include <windows.h>

#include <cwchar>

void WriteSetting(const std::wstring& section, const std::wstring& key,
                  const std::wstring& filePath, const std::wstring& value) {
    WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), filePath.c_str());
}

int ReadSettingInt(const std::wstring& section, const std::wstring& key,
                   const std::wstring& filePath) {
    wchar_t buffer[128] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), nullptr, buffer, 128,
                             filePath.c_str());
    return _wtoi(buffer);
}

uint64_t ReadSettingUint64(const std::wstring& section, const std::wstring& key,
                           const std::wstring& filePath) {
    wchar_t buffer[64] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), nullptr, buffer, 64, filePath.c_str());
    uint64_t value = 0;
    for (const wchar_t* c = buffer; *c != L'\0'; ++c) {
        if (*c < L'0' || *c > L'9') return 0;
        const uint64_t digit = static_cast<uint64_t>(*c - L'0');
        if (value > (UINT64_MAX - digit) / 10) return 0;
        value = value * 10 + digit;
    }
    return value;
}
