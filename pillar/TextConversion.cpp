#include "pillar/TextConversion.h"

#include <climits>

namespace pillar {

std::wstring MultiByteToWide(const char* text, size_t length, UINT codePage) {
    // Lengths past INT_MAX would wrap in the API's int count.
    if (text == nullptr || length == 0 || length > static_cast<size_t>(INT_MAX)) return std::wstring();
    const int size = static_cast<int>(length);
    const int count = ::MultiByteToWideChar(codePage, 0, text, size, nullptr, 0);
    if (count <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    const int written = ::MultiByteToWideChar(codePage, 0, text, size, &wide[0], count);
    if (written <= 0) return std::wstring();
    wide.resize(static_cast<size_t>(written));
    return wide;
}

std::wstring MultiByteToWide(const std::string& text, UINT codePage) {
    return MultiByteToWide(text.data(), text.size(), codePage);
}

std::string WideToMultiByte(const wchar_t* text, size_t length, UINT codePage) {
    if (text == nullptr || length == 0 || length > static_cast<size_t>(INT_MAX)) return std::string();
    const int size = static_cast<int>(length);
    const int count = ::WideCharToMultiByte(codePage, 0, text, size, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return std::string();
    std::string out(static_cast<size_t>(count), '\0');
    const int written = ::WideCharToMultiByte(codePage, 0, text, size, &out[0], count, nullptr, nullptr);
    if (written <= 0) return std::string();
    out.resize(static_cast<size_t>(written));
    return out;
}

std::string WideToMultiByte(const std::wstring& text, UINT codePage) {
    return WideToMultiByte(text.data(), text.size(), codePage);
}

bool DecodeValidUtf8(const std::string& text, std::wstring& wide) {
    if (text.empty()) {
        wide.clear();
        return true;
    }
    if (text.size() > static_cast<size_t>(INT_MAX)) return false;
    const int size = static_cast<int>(text.size());
    const int count = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (count <= 0) return false;
    std::wstring decoded(static_cast<size_t>(count), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, &decoded[0], count) != count)
        return false;
    wide.swap(decoded);
    return true;
}

} // namespace pillar
