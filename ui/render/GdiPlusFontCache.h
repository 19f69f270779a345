#pragma once
// GDI+ fonts made from logical fonts, kept so that drawing a label does not
// create (and realise) its font again on every paint. Keyed by the whole
// logical-font record, so a font handle reused for another face cannot hand
// out a stale font. Bounded: at most kFontLimit fonts, least recently used
// dropped first. Emptied whenever a GDI+ session ends, as its fonts die with
// it.
#include <windows.h>

#include <list>
#include <memory>
#include <mutex>

#include "ui/render/GdiPlusHeaders.h"

namespace ui {

class GdiPlusFontCache {
public:
    static constexpr std::size_t kFontLimit = 32;

    static GdiPlusFontCache& Instance();

    // The font of logFont, made with dc on first use; null when GDI+ failed.
    std::shared_ptr<const Gdiplus::Font> Find(HDC dc, const LOGFONTW& logFont);
    std::size_t FontCount() const;
    // Deletes every font; must run before GDI+ shuts down.
    void Clear();

private:
    struct Entry {
        LOGFONTW logFont;
        std::shared_ptr<const Gdiplus::Font> font;
    };

    mutable std::mutex lock_;
    std::list<Entry> entries_;  // most recently used first
};

} // namespace ui
