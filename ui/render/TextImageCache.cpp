#include "ui/render/TextImageCache.h"

#include "ui/render/GdiHandles.h"

namespace ui {

TextImageCache& TextImageCache::Instance() {
    // Never destroyed, like the other render caches: labels may paint during
    // static destruction.
    static TextImageCache* cache = new TextImageCache;
    return *cache;
}

std::shared_ptr<const GdiBitmap> TextImageCache::Find(const std::wstring& key, SIZE size, HDC compatible,
                                                      const Painter& paint) {
    if (size.cx <= 0 || size.cy <= 0 || size.cx > kLargestSide || size.cy > kLargestSide) return nullptr;
    std::lock_guard<std::mutex> hold(lock_);
    auto found = index_.find(key);
    if (found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return found->second->image;
    }
    auto surface = std::make_shared<GdiBitmap>();
    MemoryDC dc(compatible);
    if (!dc.get() || !surface->CreateSurface(dc.get(), size.cx, size.cy, true)) return nullptr;
    surface->ClearSurface();
    bool drawn = false;
    {
        SelectionGuard selected(dc.get(), surface->BitmapHandle());
        drawn = paint(dc.get(), *surface);
    }
    if (!drawn) return nullptr;
    GdiFlush();
    const std::size_t bytes = static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy) * 4;
    entries_.push_front(Entry{key, surface, bytes});
    index_[key] = entries_.begin();
    bytes_ += bytes;
    EvictOverLimit();
    return surface;
}

void TextImageCache::EvictOverLimit() {
    // The newest picture stays: it is about to be drawn.
    while (entries_.size() > 1 && (bytes_ > kByteLimit || entries_.size() > kEntryLimit)) {
        bytes_ -= entries_.back().bytes;
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
}

std::size_t TextImageCache::EntryCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_.size();
}

std::size_t TextImageCache::BytesHeld() const {
    std::lock_guard<std::mutex> hold(lock_);
    return bytes_;
}

void TextImageCache::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    entries_.clear();
    index_.clear();
    bytes_ = 0;
}

} // namespace ui
