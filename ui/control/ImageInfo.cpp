#include "ui/control/ImageInfo.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <string>

#include "pillar/WholeFile.h"
#include "ui/render/GdiPlusSession.h"
#include "ui/render/ScaledImageCache.h"

namespace ui {

namespace gp = Gdiplus::DllExports;

namespace {

constexpr PROPID kFrameDelayTag = 0x5100;
constexpr Gdiplus::PixelFormat kFormatAlphaBit = 0x40000;
constexpr Gdiplus::PixelFormat kFormatIndexedBit = 0x10000;
constexpr Gdiplus::PixelFormat kFormat32bppArgb = 0x26200A;
constexpr UINT kPaletteHasAlpha = 0x1;
constexpr Gdiplus::ARGB kOpaqueBlack = 0xFF000000;
// The animation (time) frame dimension of GIF images.
constexpr GUID kTimeDimension = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

struct GpImageDeleter {
    void operator()(Gdiplus::GpBitmap* bitmap) const { gp::GdipDisposeImage(bitmap); }
};
using GpBitmapPtr = std::unique_ptr<Gdiplus::GpBitmap, GpImageDeleter>;

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

using StreamPtr = std::unique_ptr<IStream, ComReleaser>;

struct GlobalFreer {
    void operator()(void* block) const { GlobalFree(static_cast<HGLOBAL>(block)); }
};

bool AnyTranslucent(const std::uint32_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if ((pixels[i] >> 24) != 0xFF)
            return true;
    }
    return false;
}

// True when any pixel of the bitmap has an alpha byte other than 255. The
// frames are 32-bit DIB sections, read in place; other bitmaps are copied.
bool BitmapHasTranslucentPixel(HBITMAP bitmap) {
    DIBSECTION section{};
    if (GetObjectW(bitmap, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits &&
        section.dsBm.bmBitsPixel == 32 && section.dsBm.bmWidth > 0 && section.dsBm.bmHeight > 0) {
        const std::size_t count = static_cast<std::size_t>(section.dsBm.bmWidth) * section.dsBm.bmHeight;
        return AnyTranslucent(static_cast<const std::uint32_t*>(section.dsBm.bmBits), count);
    }
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof(info), &info) == 0 || info.bmWidth <= 0 || info.bmHeight == 0)
        return false;
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return rows == height && AnyTranslucent(pixels.data(), pixels.size());
}

} // namespace

// What an animation's frames are converted from: the GDI+ image and the
// stream it keeps reading.
struct ImageInfo::FrameSource {
    StreamPtr stream;
    GpBitmapPtr bitmap;

    ~FrameSource() {
        // Once GDI+ is shut down its objects are gone with it; disposing of
        // one then would touch freed memory.
        if (!GdiPlusSession::AnyRunning()) (void)bitmap.release();
    }

    // A new bitmap of frame `index`, or null.
    HBITMAP Convert(std::size_t index) const {
        if (gp::GdipImageSelectActiveFrame(bitmap.get(), &kTimeDimension, static_cast<UINT>(index)) != Gdiplus::Ok)
            return nullptr;
        HBITMAP frame = nullptr;
        if (gp::GdipCreateHBITMAPFromBitmap(bitmap.get(), &frame, kOpaqueBlack) != Gdiplus::Ok)
            return nullptr;
        return frame;
    }
};

ImageInfo::ImageInfo() = default;

ImageInfo::~ImageInfo() {
    for (const Frame& frame : frames_)
        ScaledImageCache::Instance().Forget(frame.bitmap.get());
}

HBITMAP ImageInfo::FrameBitmap(std::size_t index) const {
    if (index >= frameCount_)
        return nullptr;
    std::lock_guard<std::mutex> hold(frameLock_);
    for (auto it = frames_.begin(); it != frames_.end(); ++it) {
        if (it->index == index) {
            frames_.splice(frames_.begin(), frames_, it);
            return frames_.front().bitmap.get();
        }
    }
    HBITMAP frame = source_ ? source_->Convert(index) : nullptr;
    if (!frame)
        return nullptr;
    KeepFrame(index, frame);
    return frame;
}

void ImageInfo::KeepFrame(std::size_t index, HBITMAP bitmap) const {
    frames_.push_front(Frame{index, GdiObject<HBITMAP>(bitmap)});
    // A frame never changes once converted: scaled copies of it may be reused.
    ScaledImageCache::Instance().Register(bitmap);
    while (frames_.size() > kConvertedFrameLimit) {
        ScaledImageCache::Instance().Forget(frames_.back().bitmap.get());
        frames_.pop_back();
    }
}

std::size_t ImageInfo::ConvertedFrameCount() const {
    std::lock_guard<std::mutex> hold(frameLock_);
    return frames_.size();
}

std::int32_t ImageInfo::FrameDelayValue(std::size_t index) const {
    return index < delays_.size() ? delays_[index] : 0;
}

int FramePlaybackDelayMs(std::int32_t delayValue) {
    if (delayValue <= 0)
        return 0;
    // Clamp before multiplying so a hostile table cannot overflow.
    const std::int64_t ms = static_cast<std::int64_t>(delayValue) * 10;
    if (ms <= 28)
        return 100;
    if (ms <= 48)
        return 50;
    return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

// Turns a GDI+ bitmap into an ImageInfo; lives here so the decoding steps
// can fill the record's private fields.
class GdiplusFrameReader {
public:
    // An animation keeps `bitmap` and `stream` for converting its frames later.
    static std::unique_ptr<ImageInfo> Decode(GpBitmapPtr bitmap, StreamPtr stream);

private:
    static bool ReadFrameCount(Gdiplus::GpBitmap* bitmap, UINT* count);
    static std::vector<std::int32_t> ReadDelays(Gdiplus::GpBitmap* bitmap);
    static bool ReadHasAlpha(Gdiplus::GpBitmap* bitmap, const ImageInfo& image, bool* hasAlpha);
};

bool GdiplusFrameReader::ReadFrameCount(Gdiplus::GpBitmap* bitmap, UINT* count) {
    UINT dimensions = 0;
    if (gp::GdipImageGetFrameDimensionsCount(bitmap, &dimensions) != Gdiplus::Ok || dimensions == 0)
        return false;
    std::vector<GUID> ids(dimensions);
    if (gp::GdipImageGetFrameDimensionsList(bitmap, ids.data(), dimensions) != Gdiplus::Ok)
        return false;
    return gp::GdipImageGetFrameCount(bitmap, &ids[0], count) == Gdiplus::Ok && *count > 0;
}

std::vector<std::int32_t> GdiplusFrameReader::ReadDelays(Gdiplus::GpBitmap* bitmap) {
    std::vector<std::int32_t> delays;
    UINT size = 0;
    if (gp::GdipGetPropertyItemSize(bitmap, kFrameDelayTag, &size) != Gdiplus::Ok ||
        size < sizeof(Gdiplus::PropertyItem))
        return delays;
    std::vector<std::uint8_t> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (gp::GdipGetPropertyItem(bitmap, kFrameDelayTag, size, item) != Gdiplus::Ok || !item->value)
        return delays;
    // Never trust the declared length beyond what was actually returned.
    const std::uint8_t* first = static_cast<const std::uint8_t*>(item->value);
    const std::uint8_t* end = buffer.data() + buffer.size();
    std::size_t length = item->length;
    if (first < buffer.data() || first > end)
        return delays;
    if (length > static_cast<std::size_t>(end - first))
        length = static_cast<std::size_t>(end - first);
    delays.resize(length / sizeof(std::int32_t));
    if (!delays.empty())
        std::memcpy(delays.data(), first, delays.size() * sizeof(std::int32_t));
    return delays;
}

bool GdiplusFrameReader::ReadHasAlpha(Gdiplus::GpBitmap* bitmap, const ImageInfo& image, bool* hasAlpha) {
    Gdiplus::PixelFormat format = 0;
    if (gp::GdipGetImagePixelFormat(bitmap, &format) != Gdiplus::Ok)
        return false;
    if (format == kFormat32bppArgb) {
        // An animation is blended without a look at its frames: scanning
        // them means decoding every one up front, which took 0.14 s on the
        // UI thread for the 96 frames of the loading picture. Blending
        // draws opaque pixels just as copying would.
        *hasAlpha = image.frameCount_ > 1 || BitmapHasTranslucentPixel(image.frames_.front().bitmap.get());
        return true;
    }
    if (format & kFormatAlphaBit) {
        *hasAlpha = true;
        return true;
    }
    *hasAlpha = false;
    if (format & kFormatIndexedBit) {
        INT paletteSize = 0;
        if (gp::GdipGetImagePaletteSize(bitmap, &paletteSize) != Gdiplus::Ok ||
            paletteSize < static_cast<INT>(sizeof(Gdiplus::ColorPalette)))
            return true;
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(paletteSize));
        auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(buffer.data());
        if (gp::GdipGetImagePalette(bitmap, palette, paletteSize) == Gdiplus::Ok)
            *hasAlpha = (palette->Flags & kPaletteHasAlpha) != 0;
    }
    return true;
}

std::unique_ptr<ImageInfo> GdiplusFrameReader::Decode(GpBitmapPtr bitmap, StreamPtr stream) {
    UINT frameCount = 0;
    if (!ReadFrameCount(bitmap.get(), &frameCount))
        return nullptr;
    UINT width = 0;
    UINT height = 0;
    if (gp::GdipGetImageWidth(bitmap.get(), &width) != Gdiplus::Ok ||
        gp::GdipGetImageHeight(bitmap.get(), &height) != Gdiplus::Ok)
        return nullptr;
    auto image = std::make_unique<ImageInfo>();
    image->width_ = static_cast<int>(width);
    image->height_ = static_cast<int>(height);
    image->frameCount_ = frameCount;
    if (frameCount > 1)
        image->delays_ = ReadDelays(bitmap.get());
    // The first frame is drawn at once; single-frame formats have no time
    // dimension to select.
    if (frameCount > 1 && gp::GdipImageSelectActiveFrame(bitmap.get(), &kTimeDimension, 0) != Gdiplus::Ok)
        return nullptr;
    HBITMAP first = nullptr;
    if (gp::GdipCreateHBITMAPFromBitmap(bitmap.get(), &first, kOpaqueBlack) != Gdiplus::Ok || !first)
        return nullptr;
    image->KeepFrame(0, first);
    if (!ReadHasAlpha(bitmap.get(), *image, &image->hasAlpha_))
        return nullptr;
    if (frameCount > 1) {
        image->source_ = std::make_unique<ImageInfo::FrameSource>();
        image->source_->stream = std::move(stream);
        image->source_->bitmap = std::move(bitmap);
    }
    return image;
}

std::unique_ptr<ImageInfo> ImageInfo::DecodeFromMemory(const void* bytes, std::size_t size) {
    if (!bytes || size == 0)
        return nullptr;
    std::unique_ptr<void, GlobalFreer> block(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block)
        return nullptr;
    void* target = GlobalLock(static_cast<HGLOBAL>(block.get()));
    if (!target)
        return nullptr;
    std::memcpy(target, bytes, size);
    GlobalUnlock(static_cast<HGLOBAL>(block.get()));

    IStream* rawStream = nullptr;
    // The stream takes the block over and frees it when released.
    if (FAILED(CreateStreamOnHGlobal(static_cast<HGLOBAL>(block.get()), TRUE, &rawStream)) || !rawStream)
        return nullptr;
    block.release();
    StreamPtr stream(rawStream);

    Gdiplus::GpBitmap* rawBitmap = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream.get(), &rawBitmap) != Gdiplus::Ok || !rawBitmap)
        return nullptr;
    GpBitmapPtr bitmap(rawBitmap);
    // The image reads from the stream for as long as it lives.
    return GdiplusFrameReader::Decode(std::move(bitmap), std::move(stream));
}

std::unique_ptr<ImageInfo> ImageInfo::DecodeFromFile(const std::wstring& path) {
    if (path.empty())
        return nullptr;
    std::string bytes;
    if (!pillar::ReadWholeFile(path, bytes) || bytes.empty())
        return nullptr;
    return DecodeFromMemory(bytes.data(), bytes.size());
}

std::shared_ptr<ImageInfo> DecodeImageForCache(const std::wstring& path, const void* bytes, std::size_t size) {
    std::unique_ptr<ImageInfo> image = bytes ? ImageInfo::DecodeFromMemory(bytes, size) : ImageInfo::DecodeFromFile(path);
    if (!image)
        return nullptr;
    image->SetFullPath(path);
    image->SetCached(true);
    return std::shared_ptr<ImageInfo>(std::move(image));
}

} // namespace ui
