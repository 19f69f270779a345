#include "ui/control/ImageString.h"

#include <climits>

namespace ui {

namespace {

bool IsBlank(wchar_t c) { return c <= L' '; }

// Base-10 integer: leading blanks skipped, optional sign, digits up to the
// first other character, 0 without digits. Saturates instead of overflowing.
std::int32_t ReadNumber(const std::wstring& text, std::size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) {
        negative = text[pos] == L'-';
        ++pos;
    }
    long long value = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') {
        if (value <= INT_MAX)
            value = value * 10 + (text[pos] - L'0');
        ++pos;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(value);
}

// Four numbers, each followed by exactly one separator character.
RECT ReadRect(const std::wstring& value) {
    std::size_t pos = 0;
    std::int32_t parts[4];
    for (std::int32_t& part : parts) {
        part = ReadNumber(value, pos);
        if (pos < value.size())
            ++pos;
    }
    return RECT{parts[0], parts[1], parts[2], parts[3]};
}

LONG ScaleValue(LONG value, int percent) {
    if (percent == 100)
        return value;
    return MulDiv(value, percent, 100);
}

struct Item {
    std::wstring key;
    std::wstring value;
};

// Reads one key='value' item at pos; false when the item is malformed.
bool ReadItem(const std::wstring& text, std::size_t& pos, Item& item) {
    const std::size_t keyStart = pos;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != L'=')
        ++pos;
    if (pos == keyStart)
        return false;
    item.key.assign(text, keyStart, pos - keyStart);
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    if (pos >= text.size() || text[pos] != L'=')
        return false;
    ++pos;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    if (pos >= text.size() || text[pos] != L'\'')
        return false;
    const std::size_t valueStart = ++pos;
    const std::size_t close = text.find(L'\'', valueStart);
    if (close == std::wstring::npos)
        return false;
    item.value.assign(text, valueStart, close - valueStart);
    pos = close + 1;
    return true;
}

void ApplyItem(const Item& item, ImageAttributes& attributes, bool& scaleDest, int dpiPercent) {
    const std::wstring& key = item.key;
    const std::wstring& value = item.value;
    if (key == L"file" || key == L"res") {
        attributes.file = value;
    } else if (key == L"destscale") {
        scaleDest = value == L"true";
    } else if (key == L"dest") {
        RECT dest = ReadRect(value);
        if (scaleDest) {
            dest.left = ScaleValue(dest.left, dpiPercent);
            dest.top = ScaleValue(dest.top, dpiPercent);
            dest.right = ScaleValue(dest.right, dpiPercent);
            dest.bottom = ScaleValue(dest.bottom, dpiPercent);
        }
        attributes.dest = dest;
    } else if (key == L"source") {
        attributes.source = ReadRect(value);
    } else if (key == L"corner") {
        attributes.corner = ReadRect(value);
    } else if (key == L"fade") {
        std::size_t pos = 0;
        attributes.fade = static_cast<std::uint8_t>(ReadNumber(value, pos));
    } else if (key == L"xtiled") {
        attributes.xtiled = value == L"true";
    } else if (key == L"ytiled") {
        attributes.ytiled = value == L"true";
    } else if (key == L"playcount") {
        std::size_t pos = 0;
        attributes.playCount = ReadNumber(value, pos);
    }
}

} // namespace

bool ImageAttributes::HasDest() const {
    return dest.left != -1 && dest.top != -1 && dest.right != -1 && dest.bottom != -1;
}

bool ImageAttributes::HasFullSource() const {
    return source.left != -1 && source.top != -1 && source.right != -1 && source.bottom != -1;
}

void ParseImageString(const std::wstring& text, ImageAttributes& attributes, int dpiPercent) {
    bool scaleDest = true;
    std::size_t pos = 0;
    Item item;
    while (true) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos >= text.size())
            return;
        if (!ReadItem(text, pos, item))
            return;
        if (!item.value.empty())
            ApplyItem(item, attributes, scaleDest, dpiPercent);
        // Items are separated by white space; anything glued to the closing
        // quote ends the list.
        if (pos < text.size() && !IsBlank(text[pos]))
            return;
    }
}

void AssignImageAttributes(const std::wstring& text, ImageAttributes& attributes, int dpiPercent) {
    attributes.Reset();
    attributes.attributeString = text;
    attributes.file = text;
    ParseImageString(text, attributes, dpiPercent);
}

} // namespace ui
