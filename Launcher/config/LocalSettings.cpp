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
