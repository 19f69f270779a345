#include "Launcher/config/LocalSettings.h"

#include <windows.h>

#include <cwchar>

#include "pillar/DecimalText.h"
#include "pillar/TextConversion.h"

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
    return pillar::ParseDecimal(pillar::WideToUtf8(buffer), UINT64_MAX, value) ? value : 0;
}
