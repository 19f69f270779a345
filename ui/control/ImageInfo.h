#pragma once
// A decoded image shared by every image slot that names the same full path.
// All frames are converted to native bitmaps at decode time so drawing a
// frame is a plain blit. GDI+ must already be started by the application.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "ui/render/GdiHandles.h"

namespace ui {

class ImageInfo {
public:
    ImageInfo() = default;
    // Drops the scaled copies made of the frames before the frames go.
    ~ImageInfo();
    ImageInfo(const ImageInfo&) = delete;
    ImageInfo& operator=(const ImageInfo&) = delete;

    // Decodes every frame of an encoded image held in memory (the bytes are
    // copied, the caller keeps its buffer). Null on any failure.
    static std::unique_ptr<ImageInfo> DecodeFromMemory(const void* bytes, std::size_t size);
    // Decodes an image file on disk. Null on any failure.
    static std::unique_ptr<ImageInfo> DecodeFromFile(const std::wstring& path);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasAlpha() const { return hasAlpha_; }

    const std::wstring& FullPath() const { return fullPath_; }
    void SetFullPath(const std::wstring& path) { fullPath_ = path; }

    // Set by the image cache once the record is registered there.
    bool IsCached() const { return cached_; }
    void SetCached(bool cached) { cached_ = cached; }

    std::size_t FrameCount() const { return frames_.size(); }
    // Null when the index is out of range.
    HBITMAP FrameBitmap(std::size_t index) const;

    // Raw delay of one frame in hundredths of a second, 0 when the image
    // carries no delay for that frame.
    std::int32_t FrameDelayValue(std::size_t index) const;
    const std::vector<std::int32_t>& DelayTable() const { return delays_; }

private:
    friend class GdiplusFrameReader;

    int width_ = 0;
    int height_ = 0;
    std::wstring fullPath_;
    bool hasAlpha_ = false;
    bool cached_ = false;
    std::vector<std::int32_t> delays_;
    std::vector<GdiObject<HBITMAP>> frames_;
};

// Decoder for the shared image cache: decodes `bytes` when given, else the
// file `path`; the record remembers `path` and is marked cached.
std::shared_ptr<ImageInfo> DecodeImageForCache(const std::wstring& path, const void* bytes, std::size_t size);

// The playback delay of one frame in milliseconds: 0 stays 0 (the animation
// stops there); very short delays are slowed down the way browsers do.
int FramePlaybackDelayMs(std::int32_t delayValue);

} // namespace ui
