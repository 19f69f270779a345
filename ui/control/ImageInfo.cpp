#include "ui/control/ImageInfo.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

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

ImageInfo::~ImageInfo() {
    for (const auto& frame : frames_)
        ScaledImageCache::Instance().Forget(frame.get());
}

HBITMAP ImageInfo::FrameBitmap(std::size_t index) const {
    return index < frames_.size() ? frames_[index].get() : nullptr;
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
    static std::unique_ptr<ImageInfo> Decode(Gdiplus::GpBitmap* bitmap);

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
        *hasAlpha = false;
        for (const auto& frame : image.frames_) {
            if (BitmapHasTranslucentPixel(frame.get())) {
                *hasAlpha = true;
                break;
            }
        }
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

std::unique_ptr<ImageInfo> GdiplusFrameReader::Decode(Gdiplus::GpBitmap* bitmap) {
    UINT frameCount = 0;
    if (!ReadFrameCount(bitmap, &frameCount))
        return nullptr;
    auto image = std::make_unique<ImageInfo>();
    if (frameCount > 1)
        image->delays_ = ReadDelays(bitmap);
    image->frames_.reserve(frameCount);
    for (UINT index = 0; index < frameCount; ++index) {
        // Single-frame formats have no time dimension to select.
        if (frameCount > 1 && gp::GdipImageSelectActiveFrame(bitmap, &kTimeDimension, index) != Gdiplus::Ok)
            return nullptr;
        HBITMAP frame = nullptr;
        if (gp::GdipCreateHBITMAPFromBitmap(bitmap, &frame, kOpaqueBlack) != Gdiplus::Ok || !frame)
            return nullptr;
        image->frames_.emplace_back(frame);
    }
    UINT width = 0;
    UINT height = 0;
    if (gp::GdipGetImageWidth(bitmap, &width) != Gdiplus::Ok ||
        gp::GdipGetImageHeight(bitmap, &height) != Gdiplus::Ok)
        return nullptr;
    image->width_ = static_cast<int>(width);
    image->height_ = static_cast<int>(height);
    if (!ReadHasAlpha(bitmap, *image, &image->hasAlpha_))
        return nullptr;
    // The frames never change from here on, and the destructor forgets
    // them: drawing them scaled may reuse a scaled copy.
    for (const auto& frame : image->frames_)
        ScaledImageCache::Instance().Register(frame.get());
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
    std::unique_ptr<IStream, ComReleaser> stream(rawStream);

    Gdiplus::GpBitmap* rawBitmap = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream.get(), &rawBitmap) != Gdiplus::Ok || !rawBitmap)
        return nullptr;
    GpBitmapPtr bitmap(rawBitmap);
    return GdiplusFrameReader::Decode(bitmap.get());
}

std::unique_ptr<ImageInfo> ImageInfo::DecodeFromFile(const std::wstring& path) {
    if (path.empty())
        return nullptr;
    Gdiplus::GpBitmap* rawBitmap = nullptr;
    if (gp::GdipCreateBitmapFromFile(path.c_str(), &rawBitmap) != Gdiplus::Ok || !rawBitmap)
        return nullptr;
    GpBitmapPtr bitmap(rawBitmap);
    return GdiplusFrameReader::Decode(bitmap.get());
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
