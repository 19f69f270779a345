#pragma once
// The attributes an image string gives an image: either a plain path, or
// items key='value' separated by spaces (file, res, destscale, dest, source,
// corner, fade, xtiled, ytiled, playcount).
#include <windows.h>

#include <cstdint>
#include <string>

namespace ui {

struct ImageAttributes {
    std::wstring attributeString;            // the whole string as written
    std::wstring file;                       // path or resource name to load
    RECT dest{-1, -1, -1, -1};               // relative to the control; all -1 = whole control
    RECT source{-1, -1, -1, -1};             // image pixels; all -1 = whole image
    RECT corner{0, 0, 0, 0};                 // nine-grid border widths
    std::uint8_t fade = 255;
    bool xtiled = false;
    bool ytiled = false;
    std::int32_t playCount = -1;             // -1 forever, 0 still, n > 0 loops

    void Reset() { *this = ImageAttributes(); }
    bool HasDest() const;
    bool HasFullSource() const;
};

// Reads the items of `text` over `attributes` without resetting them first.
// Reading stops silently at the first malformed item, keeping what was read.
// "dest" values are multiplied by dpiPercent / 100 unless an earlier
// destscale='false' turned scaling off (100 leaves them as written).
void ParseImageString(const std::wstring& text, ImageAttributes& attributes, int dpiPercent);

// Resets the attributes and takes `text` as both attribute string and file,
// then parses its items; a plain path therefore stays the file.
void AssignImageAttributes(const std::wstring& text, ImageAttributes& attributes, int dpiPercent);

} // namespace ui
