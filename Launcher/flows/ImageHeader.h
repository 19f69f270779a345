#pragma once
// The pixel size an image file claims, read from its header alone, and the
// largest size the launcher is willing to decode. A decoder allocates the
// whole bitmap before it reads a pixel, so a 2 KB PNG that claims
// 16384 x 16384 pixels would cost a gigabyte: such a file is refused from
// its first bytes, before anything decodes it.
#include <cstddef>
#include <cstdint>

struct ImageSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// The size in a PNG, JPEG, BMP or GIF header; false for any other data, a
// header cut short or one that claims no pixels. Reads nothing past `size`.
bool ReadImageSize(const void* bytes, size_t size, ImageSize& found);

// The largest pictures the skin shows are 1920 x 1024. Twice that many
// pixels (about 15 MiB as a 32-bit bitmap) leaves room for pictures made
// for high-density screens, and no side beyond 4096 keeps a thin strip of
// a picture from passing on its pixel count alone.
constexpr uint32_t kLargestImageSide = 4096;
constexpr uint64_t kLargestImagePixels = 1920ull * 1024ull * 2ull;

// True when the header can be read and the size stays within the bounds.
bool ImageFitsSkin(const void* bytes, size_t size);
