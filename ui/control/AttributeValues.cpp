#include "ui/control/AttributeValues.h"

#include <cwchar>

#include "ui/core/UiGlobals.h"

namespace ui {

bool IsTrueValue(const std::wstring& value) { return value == L"true"; }

int ReadInt(const std::wstring& value) {
    int result = 0;
    ReadInts(value, &result, 1);
    return result;
}

void ReadInts(const std::wstring& value, int* out, int count) {
    const wchar_t* p = value.c_str();
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        out[i] = static_cast<int>(std::wcstol(p, &end, 10));
        p = end;
        // One separator character, never past the end of the text.
        if (*p != L'\0')
            ++p;
    }
}

RECT ReadRect(const std::wstring& value) {
    int v[4];
    ReadInts(value, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ReadSize(const std::wstring& value) {
    int v[2];
    ReadInts(value, v, 2);
    return SIZE{v[0], v[1]};
}

std::wstring SkipLeadingBlanks(const std::wstring& value) {
    std::size_t i = 0;
    while (i < value.size() && value[i] <= L' ')
        ++i;
    return value.substr(i);
}

RECT ScaleRectByDpi(const RECT& rect) {
    return RECT{UiGlobals::ScaleByDpi(rect.left), UiGlobals::ScaleByDpi(rect.top), UiGlobals::ScaleByDpi(rect.right),
                UiGlobals::ScaleByDpi(rect.bottom)};
}

} // namespace ui
