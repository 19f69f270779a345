#pragma once
// Pictures of drawn texts, so that a label painted again (every card on
// every paint) is one blend instead of laying out and rasterising its
// glyphs once more. Each picture is the text drawn into a transparent,
// premultiplied surface the size of its layout box; a key names everything
// its pixels depend on. Bounded: least recently used pictures go once they
// hold more than kByteLimit bytes or number more than kEntryLimit.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "ui/render/GdiBitmap.h"

namespace ui {

class TextImageCache {
public:
    static constexpr std::size_t kByteLimit = std::size_t{4} << 20;
    static constexpr std::size_t kEntryLimit = 512;
    // A box wider or taller than this is drawn directly.
    static constexpr int kLargestSide = 2048;

    // Draws the text into `surface` (selected into `dc`, cleared); false
    // when it failed, and nothing is kept.
    using Painter = std::function<bool(HDC dc, GdiBitmap& surface)>;

    static TextImageCache& Instance();

    TextImageCache() = default;
    TextImageCache(const TextImageCache&) = delete;
    TextImageCache& operator=(const TextImageCache&) = delete;

    // The picture kept under `key`, drawn by `paint` on first use. Null when
    // the size is empty or too large, or drawing failed: the caller then
    // draws directly.
    std::shared_ptr<const GdiBitmap> Find(const std::wstring& key, SIZE size, HDC compatible, const Painter& paint);

    std::size_t EntryCount() const;
    std::size_t BytesHeld() const;
    void Clear();

private:
    struct Entry {
        std::wstring key;
        std::shared_ptr<const GdiBitmap> image;
        std::size_t bytes;
    };

    void EvictOverLimit();

    mutable std::mutex lock_;
    std::list<Entry> entries_;  // most recently used first
    std::map<std::wstring, std::list<Entry>::iterator> index_;
    std::size_t bytes_ = 0;
};

} // namespace ui
