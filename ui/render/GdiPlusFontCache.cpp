#include "ui/render/GdiPlusFontCache.h"

#include <cstring>

namespace ui {

namespace {

bool SameLogFont(const LOGFONTW& a, const LOGFONTW& b) {
    // Compared field by field up to the face name's terminator: bytes after
    // it may be left over from whatever the buffer held before.
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

} // namespace

GdiPlusFontCache& GdiPlusFontCache::Instance() {
    // Never destroyed: a GDI+ object must not be deleted once GDI+ is shut
    // down, which may have happened when statics go; Clear runs before.
    static GdiPlusFontCache* cache = new GdiPlusFontCache;
    return *cache;
}

std::shared_ptr<const Gdiplus::Font> GdiPlusFontCache::Find(HDC dc, const LOGFONTW& logFont) {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (SameLogFont(it->logFont, logFont)) {
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().font;
        }
    }
    // GDI+ objects come from its own allocator: new, not make_shared.
    std::shared_ptr<const Gdiplus::Font> font(new Gdiplus::Font(dc, &logFont));
    if (font->GetLastStatus() != Gdiplus::Ok) return nullptr;
    entries_.push_front(Entry{logFont, font});
    if (entries_.size() > kFontLimit) entries_.pop_back();
    return font;
}

void GdiPlusFontCache::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    entries_.clear();
}

std::size_t GdiPlusFontCache::FontCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_.size();
}

} // namespace ui
