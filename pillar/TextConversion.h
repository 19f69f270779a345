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

// Invalid sequences become U+FFFD.
inline std::wstring Utf8ToWide(const std::string& text) { return MultiByteToWide(text, CP_UTF8); }
inline std::string WideToUtf8(const std::wstring& text) { return WideToMultiByte(text, CP_UTF8); }
// For text that older code still keeps in the system code page.

// Decodes `text` only when it is valid UTF-8 (the empty text is); false, and
// `wide` untouched, otherwise. Tells UTF-8 text from text in some other
// encoding, where the lenient decoding would quietly change it.
bool DecodeValidUtf8(const std::string& text, std::wstring& wide);

} // namespace pillar
