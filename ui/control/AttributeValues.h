#pragma once
// Reading markup attribute values: booleans are true only for "true";
// numbers are base-10 (leading white space, optional sign, digits up to the
// first other character, 0 without digits); in a list exactly one character
// after each number is skipped as the separator, so "10,20" and "10 20" read
// alike.
#include <windows.h>

#include <string>

namespace ui {

bool IsTrueValue(const std::wstring& value);
int ReadInt(const std::wstring& value);
// Reads up to `count` numbers into `out`; missing ones are 0.
void ReadInts(const std::wstring& value, int* out, int count);
// left, top, right, bottom
RECT ReadRect(const std::wstring& value);
// cx, cy
SIZE ReadSize(const std::wstring& value);
// Drops the leading characters <= space (colour names).
std::wstring SkipLeadingBlanks(const std::wstring& value);

// Each side scaled by the process DPI percentage (while adapting).
RECT ScaleRectByDpi(const RECT& rect);

} // namespace ui
