#pragma once
// Scaled copies of image bitmaps, so that a picture drawn at the same size
// every frame is scaled once and afterwards copied 1:1.
//
// Only bitmaps registered by their owner are cached: the owner promises that
// their pixels never change and calls Forget before it deletes one (a handle
// value may be handed out again for a new bitmap). Memory is bounded: least
// recently used copies are dropped once the cached pixels exceed kByteLimit
// or the copies number more than kEntryLimit; a copy larger than
// kLargestEntry is never kept.
#include <windows.h>

#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>

#include "ui/render/GdiBitmap.h"

namespace ui {

// How a piece is scaled; each gives the pixels of one way of drawing it.
enum class ScaleMode {
    kBlend,     // AlphaBlend's stretch (premultiplied, blended later)
    kHalftone,  // StretchBlt in HALFTONE mode (opaque copy)
};

// One scaled copy: a top-down 32-bit surface, or none when every pixel
// came out fully transparent (drawing it would change nothing).
class ScaledImage {
public:
    ScaledImage() = default;
    ScaledImage(const ScaledImage&) = delete;
    ScaledImage& operator=(const ScaledImage&) = delete;

    // Null for a fully transparent copy.
    const GdiBitmap* Surface() const { return surface_.get(); }
    bool IsFullyTransparent() const { return !surface_; }
    // Every pixel has alpha 255: blending it unfaded is a plain copy. A
    // halftone copy is made opaque, as its drawing marks it anyway.
    bool IsOpaque() const { return opaque_; }
    std::size_t Bytes() const;

private:
    friend class ScaledImageCache;
    std::unique_ptr<GdiBitmap> surface_;
    bool opaque_ = false;
};

class ScaledImageCache {
public:
    static constexpr std::size_t kByteLimit = std::size_t{16} << 20;
    static constexpr std::size_t kLargestEntry = std::size_t{8} << 20;
    static constexpr std::size_t kEntryLimit = 256;

    // The process-wide cache.
    static ScaledImageCache& Instance();

    ScaledImageCache() = default;
    ScaledImageCache(const ScaledImageCache&) = delete;
    ScaledImageCache& operator=(const ScaledImageCache&) = delete;

    void Register(HBITMAP source);
    // Drops every copy made from source and its registration.
    void Forget(HBITMAP source);
    bool IsRegistered(HBITMAP source) const;

    // The copy of `sourceRect` of `source` (selected into sourceDc) scaled to
    // `size`, made on first use. Null when source is not registered, the copy
    // would be too large, or GDI failed: the caller then draws directly.
    std::shared_ptr<const ScaledImage> Find(HDC sourceDc, HBITMAP source, const RECT& sourceRect, SIZE size,
                                            ScaleMode mode);

    std::size_t EntryCount() const;
    std::size_t BytesHeld() const;

private:
    using Key = std::tuple<HBITMAP, LONG, LONG, LONG, LONG, LONG, LONG, ScaleMode>;
    struct Entry {
        Key key;
        std::shared_ptr<ScaledImage> image;
    };

    static std::shared_ptr<ScaledImage> MakeCopy(HDC sourceDc, const RECT& sourceRect, SIZE size, ScaleMode mode);
    void Insert(const Key& key, std::shared_ptr<ScaledImage> image);
    void EvictOverLimit();
    void Erase(std::list<Entry>::iterator entry);

    mutable std::mutex lock_;
    std::set<HBITMAP> registered_;
    std::list<Entry> entries_;  // most recently used first
    std::map<Key, std::list<Entry>::iterator> index_;
    std::size_t bytes_ = 0;
};

} // namespace ui
