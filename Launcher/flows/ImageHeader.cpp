#include "Launcher/flows/ImageHeader.h"

#include <cstring>

namespace {

class Bytes {
public:
    Bytes(const void* bytes, size_t size) : bytes_(static_cast<const unsigned char*>(bytes)), size_(size) {}
    bool Has(size_t at, size_t count) const { return at <= size_ && count <= size_ - at; }
    bool Starts(const char* text, size_t count) const { return Has(0, count) && std::memcmp(bytes_, text, count) == 0; }
    uint32_t At(size_t at) const { return bytes_[at]; }
    uint32_t Be16(size_t at) const { return At(at) << 8 | At(at + 1); }
    uint32_t Le16(size_t at) const { return At(at) | At(at + 1) << 8; }
    uint32_t Be32(size_t at) const { return Be16(at) << 16 | Be16(at + 2); }
    uint32_t Le32(size_t at) const { return Le16(at) | Le16(at + 2) << 16; }

private:
    const unsigned char* bytes_;
    size_t size_;
};

bool Found(uint32_t width, uint32_t height, ImageSize& found) {
    if (width == 0 || height == 0) return false;
    found.width = width;
    found.height = height;
    return true;
}

bool ReadPng(const Bytes& data, ImageSize& found) {
    // Signature, then the IHDR chunk must come first.
    if (!data.Has(0, 24) || !data.Starts("\x89PNG\r\n\x1A\n", 8)) return false;
    if (data.Be32(8) != 13 || !(data.At(12) == 'I' && data.At(13) == 'H' && data.At(14) == 'D' && data.At(15) == 'R'))
        return false;
    return Found(data.Be32(16), data.Be32(20), found);
}

bool ReadGif(const Bytes& data, ImageSize& found) {
    if (!data.Has(0, 10) || !(data.Starts("GIF87a", 6) || data.Starts("GIF89a", 6))) return false;
    return Found(data.Le16(6), data.Le16(8), found);
}

// A height below zero means rows stored top-down; its size is the same.
uint32_t Magnitude(uint32_t twosComplement) {
    return twosComplement & 0x80000000u ? 0u - twosComplement : twosComplement;
}

bool ReadBmp(const Bytes& data, ImageSize& found) {
    if (!data.Has(0, 26) || !data.Starts("BM", 2)) return false;
    const uint32_t headerSize = data.Le32(14);
    if (headerSize == 12) return Found(data.Le16(18), data.Le16(20), found);
    if (headerSize < 40 || !data.Has(0, 26)) return false;
    const uint32_t width = data.Le32(18);
    if (width & 0x80000000u) return false;
    return Found(width, Magnitude(data.Le32(22)), found);
}

// Start-of-frame markers carry the size; 0xC4, 0xC8 and 0xCC share the range
// but are tables and an extension.
bool IsStartOfFrame(uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool ReadJpeg(const Bytes& data, ImageSize& found) {
    if (!data.Has(0, 4) || !data.Starts("\xFF\xD8", 2)) return false;
    size_t at = 2;
    while (data.Has(at, 2)) {
        if (data.At(at) != 0xFF) return false;
        const uint32_t marker = data.At(at + 1);
        if (marker == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
        if (marker == 0xD9 || marker == 0xDA) return false;  // end or scan data before any frame
        if (!data.Has(at, 2)) return false;
        const uint32_t length = data.Be16(at);
        if (length < 2) return false;
        if (IsStartOfFrame(marker)) {
            if (length < 7 || !data.Has(at, 7)) return false;
            return Found(data.Be16(at + 5), data.Be16(at + 3), found);
        }
        at += length;
    }
    return false;
}

} // namespace

bool ReadImageSize(const void* bytes, size_t size, ImageSize& found) {
    if (bytes == nullptr) return false;
    const Bytes data(bytes, size);
    return ReadPng(data, found) || ReadJpeg(data, found) || ReadGif(data, found) || ReadBmp(data, found);
}

bool ImageFitsSkin(const void* bytes, size_t size) {
    ImageSize found;
    if (!ReadImageSize(bytes, size, found)) return false;
    return found.width <= kLargestImageSide && found.height <= kLargestImageSide &&
           static_cast<uint64_t>(found.width) * found.height <= kLargestImagePixels;
}
