#include "ui/render/ScaledImageCache.h"

#include <cstdint>

#include "ui/render/GdiHandles.h"

namespace ui {

namespace {

// What a copy's alpha bytes hold.
enum class Coverage { kNone, kPartial, kFull };

Coverage CoverageOf(const GdiBitmap& surface) {
    const auto* pixel = reinterpret_cast<const std::uint32_t*>(surface.PixelData());
    const std::size_t count = static_cast<std::size_t>(surface.SurfaceWidth()) * surface.SurfaceHeight();
    bool anyInk = false;
    bool allOpaque = true;
    for (std::size_t i = 0; i < count; ++i) {
        anyInk = anyInk || pixel[i] != 0;
        allOpaque = allOpaque && (pixel[i] >> 24) == 0xFF;
        if (anyInk && !allOpaque) return Coverage::kPartial;
    }
    return allOpaque ? Coverage::kFull : (anyInk ? Coverage::kPartial : Coverage::kNone);
}

} // namespace

std::size_t ScaledImage::Bytes() const {
    if (!surface_) return 0;
    return static_cast<std::size_t>(surface_->SurfaceWidth()) * surface_->SurfaceHeight() * 4;
}

ScaledImageCache& ScaledImageCache::Instance() {
    // Never destroyed: images released during static destruction still
    // call Forget on it.
    static ScaledImageCache* cache = new ScaledImageCache;
    return *cache;
}

void ScaledImageCache::Register(HBITMAP source) {
    if (!source) return;
    std::lock_guard<std::mutex> hold(lock_);
    registered_.insert(source);
}

void ScaledImageCache::Forget(HBITMAP source) {
    std::lock_guard<std::mutex> hold(lock_);
    registered_.erase(source);
    for (auto it = entries_.begin(); it != entries_.end();) {
        auto next = std::next(it);
        if (std::get<0>(it->key) == source) Erase(it);
        it = next;
    }
}

bool ScaledImageCache::IsRegistered(HBITMAP source) const {
    std::lock_guard<std::mutex> hold(lock_);
    return registered_.count(source) != 0;
}

std::size_t ScaledImageCache::EntryCount() const {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_.size();
}

std::size_t ScaledImageCache::BytesHeld() const {
    std::lock_guard<std::mutex> hold(lock_);
    return bytes_;
}

std::shared_ptr<const ScaledImage> ScaledImageCache::Find(HDC sourceDc, HBITMAP source, const RECT& sourceRect,
                                                          SIZE size, ScaleMode mode) {
    if (size.cx <= 0 || size.cy <= 0) return nullptr;
    if (static_cast<std::uint64_t>(size.cx) * static_cast<std::uint64_t>(size.cy) * 4 > kLargestEntry)
        return nullptr;
    const Key key{source, sourceRect.left, sourceRect.top, sourceRect.right, sourceRect.bottom, size.cx, size.cy, mode};
    std::lock_guard<std::mutex> hold(lock_);
    if (!registered_.count(source)) return nullptr;
    auto found = index_.find(key);
    if (found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return found->second->image;
    }
    std::shared_ptr<ScaledImage> image = MakeCopy(sourceDc, sourceRect, size, mode);
    if (!image) return nullptr;
    Insert(key, image);
    return image;
}

std::shared_ptr<ScaledImage> ScaledImageCache::MakeCopy(HDC sourceDc, const RECT& sourceRect, SIZE size,
                                                        ScaleMode mode) {
    auto surface = std::make_unique<GdiBitmap>();
    MemoryDC dc(sourceDc);
    if (!dc.get() || !surface->CreateSurface(dc.get(), size.cx, size.cy, true)) return nullptr;
    surface->ClearSurface();
    bool drawn = false;
    {
        SelectionGuard selected(dc.get(), surface->BitmapHandle());
        // The same mode and brush origin as a direct draw, so the pixels match.
        SetStretchBltMode(dc.get(), HALFTONE);
        SetBrushOrgEx(dc.get(), 0, 0, nullptr);
        const int width = sourceRect.right - sourceRect.left;
        const int height = sourceRect.bottom - sourceRect.top;
        if (mode == ScaleMode::kBlend) {
            const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            drawn = AlphaBlend(dc.get(), 0, 0, size.cx, size.cy, sourceDc, sourceRect.left, sourceRect.top, width,
                               height, blend) != FALSE;
        } else {
            drawn = StretchBlt(dc.get(), 0, 0, size.cx, size.cy, sourceDc, sourceRect.left, sourceRect.top, width,
                               height, SRCCOPY) != FALSE;
        }
        GdiFlush();
    }
    if (!drawn) return nullptr;
    auto image = std::make_shared<ScaledImage>();
    if (mode == ScaleMode::kHalftone) {
        surface->FillAlpha(RECT{0, 0, size.cx, size.cy}, 255);
        image->opaque_ = true;
        image->surface_ = std::move(surface);
        return image;
    }
    const Coverage coverage = CoverageOf(*surface);
    image->opaque_ = coverage == Coverage::kFull;
    // A fully transparent copy blends to nothing: keep the fact, not the pixels.
    if (coverage != Coverage::kNone) image->surface_ = std::move(surface);
    return image;
}

void ScaledImageCache::Insert(const Key& key, std::shared_ptr<ScaledImage> image) {
    bytes_ += image->Bytes();
    entries_.push_front(Entry{key, std::move(image)});
    index_[key] = entries_.begin();
    EvictOverLimit();
}

void ScaledImageCache::EvictOverLimit() {
    // The newest entry stays: it is about to be drawn.
    while (entries_.size() > 1 && (bytes_ > kByteLimit || entries_.size() > kEntryLimit))
        Erase(std::prev(entries_.end()));
}

void ScaledImageCache::Erase(std::list<Entry>::iterator entry) {
    bytes_ -= entry->image->Bytes();
    index_.erase(entry->key);
    entries_.erase(entry);
}

} // namespace ui
