#pragma once
// A decoded image shared by every image slot that names the same full path.
// A still image is converted to a native bitmap at decode time so drawing it
// is a plain blit. An animation keeps its GDI+ image and converts a frame
// when it is first asked for, holding only the few frames used last: all
// frames of a long animation as bitmaps would cost tens of megabytes and a
// slow first paint. GDI+ must already be started by the application.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "ui/render/GdiHandles.h"

namespace ui {

class ImageInfo {
public:
    // Frames of an animation held as bitmaps at most at once.
    static constexpr std::size_t kConvertedFrameLimit = 4;

    ImageInfo();
    // Drops the scaled copies made of the frames before the frames go.
    ~ImageInfo();
    ImageInfo(const ImageInfo&) = delete;
    ImageInfo& operator=(const ImageInfo&) = delete;

    // Decodes an encoded image held in memory (the bytes are copied, the
    // caller keeps its buffer). Null on any failure.
    static std::unique_ptr<ImageInfo> DecodeFromMemory(const void* bytes, std::size_t size);
    // Decodes an image file on disk (read whole, so the file is not held
    // open while an animation is shown). Null on any failure.
    static std::unique_ptr<ImageInfo> DecodeFromFile(const std::wstring& path);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasAlpha() const { return hasAlpha_; }

    const std::wstring& FullPath() const { return fullPath_; }
    void SetFullPath(const std::wstring& path) { fullPath_ = path; }

    // Set by the image cache once the record is registered there.
    bool IsCached() const { return cached_; }
    void SetCached(bool cached) { cached_ = cached; }

    std::size_t FrameCount() const { return frameCount_; }
    // Null when the index is out of range or the frame cannot be converted.
    // A frame of an animation stays valid until kConvertedFrameLimit other
    // frames have been asked for after it: draw it before asking for more.
    HBITMAP FrameBitmap(std::size_t index) const;
    // Frames held as bitmaps right now.
    std::size_t ConvertedFrameCount() const;

    // Raw delay of one frame in hundredths of a second, 0 when the image
    // carries no delay for that frame.
    std::int32_t FrameDelayValue(std::size_t index) const;
    const std::vector<std::int32_t>& DelayTable() const { return delays_; }

private:
    friend class GdiplusFrameReader;
    // The GDI+ image (and the stream it reads) an animation's frames come from.
    struct FrameSource;
    struct Frame {
        std::size_t index;
        GdiObject<HBITMAP> bitmap;
    };

    // Takes a converted frame, dropping the least recently used over the limit.
    void KeepFrame(std::size_t index, HBITMAP bitmap) const;

    int width_ = 0;
    int height_ = 0;
    std::wstring fullPath_;
    bool hasAlpha_ = false;
    bool cached_ = false;
    std::vector<std::int32_t> delays_;
    std::size_t frameCount_ = 0;
    std::unique_ptr<FrameSource> source_;  // null for a still image
    mutable std::mutex frameLock_;         // frames_ and the source's active frame
    mutable std::list<Frame> frames_;      // most recently used first
};

// Decoder for the shared image cache: decodes `bytes` when given, else the
// file `path`; the record remembers `path` and is marked cached.
std::shared_ptr<ImageInfo> DecodeImageForCache(const std::wstring& path, const void* bytes, std::size_t size);

// The playback delay of one frame in milliseconds: 0 stays 0 (the animation
// stops there); very short delays are slowed down the way browsers do.
int FramePlaybackDelayMs(std::int32_t delayValue);

} // namespace ui
