#pragma once
// Conversions between wide text and multibyte code pages. Text that cannot be
// converted yields an empty result, as the callers treat it as missing.
#include <windows.h>

#include <cstddef>
#include <string>

namespace pillar {

std::wstring MultiByteToWide(const char* text, size_t length, UINT codePage);
std::wstring MultiByteToWide(const std::string& text, UINT codePage);
std::string WideToMultiByte(const wchar_t* text, size_t length, UINT codePage);
std::string WideToMultiByte(const std::wstring& text, UINT codePage);

inline std::wstring Utf8ToWide(const std::string& text) { return MultiByteToWide(text, CP_UTF8); }
inline std::string WideToUtf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }
inline std::wstring AnsiToWide(const std::string& text) { return MultiByteToWide(text, CP_ACP); }

// Converts to an ANSI code page without best-fit substitutes; false when any
// character has no exact form there (a name that would silently change).
bool WideToCodePageExact(const std::wstring& text, UINT codePage, std::string& out);

} // namespace pillar
