// Picture sizes read from headers alone: each format the skin can show, the
// bounds, and headers cut short or made of noise (never read past the end,
// never a size out of nothing).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Launcher/flows/ImageHeader.h"

namespace {

std::string Le16(uint32_t v) { return std::string{char(v & 0xFF), char(v >> 8 & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
std::string Be16(uint32_t v) { return std::string{char(v >> 8 & 0xFF), char(v & 0xFF)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

std::string Png(uint32_t w, uint32_t h) {
    return std::string("\x89PNG\r\n\x1A\n", 8) + Be32(13) + "IHDR" + Be32(w) + Be32(h) + std::string(9, '\x08');
}
std::string Gif(uint32_t w, uint32_t h) { return "GIF89a" + Le16(w) + Le16(h) + std::string(3, '\0'); }
std::string Bmp(uint32_t w, uint32_t h) {
    return "BM" + std::string(12, '\0') + Le32(40) + Le32(w) + Le32(h) + std::string(26, '\0');
}
// An APP0 segment and a fill byte before the baseline frame, as cameras write.
std::string Jpeg(uint32_t w, uint32_t h) {
    return std::string("\xFF\xD8\xFF\xE0", 4) + Be16(16) + std::string(14, 'J') + std::string("\xFF\xFF\xC0", 3) +
           Be16(17) + "\x08" + Be16(h) + Be16(w) + std::string(12, '\x01');
}

bool SizeOf(const std::string& bytes, ImageSize& size) {
    // An exact-size copy, so a read past the end lands outside the block.
    std::unique_ptr<char[]> copy(new char[bytes.size() + 1]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return ReadImageSize(copy.get(), bytes.size(), size);
}

} // namespace

TEST(ImageHeader, EveryFormatGivesItsSizeAndTheBoundsHold) {
    for (auto make : {Png, Gif, Bmp, Jpeg}) {
        ImageSize size;
        ASSERT_TRUE(SizeOf(make(1920, 1024), size));
        EXPECT_EQ(size.width, 1920u);
        EXPECT_EQ(size.height, 1024u);
        EXPECT_TRUE(ImageFitsSkin(make(1920, 1024).data(), make(1920, 1024).size()));
        EXPECT_TRUE(ImageFitsSkin(make(1920, 2048).data(), make(1920, 2048).size()));  // exactly the pixel bound
        EXPECT_FALSE(ImageFitsSkin(make(2000, 2000).data(), make(2000, 2000).size()));
        EXPECT_FALSE(ImageFitsSkin(make(4097, 1).data(), make(4097, 1).size()));
        EXPECT_FALSE(ImageFitsSkin(make(16384, 16384).data(), make(16384, 16384).size()));
        EXPECT_FALSE(SizeOf(make(0, 10), size));
    }
    // A top-down BMP has a negative height; one that claims a negative width is no picture.
    ImageSize size;
    ASSERT_TRUE(SizeOf(Bmp(31, static_cast<uint32_t>(-35)), size));
    EXPECT_EQ(size.height, 35u);
    EXPECT_FALSE(SizeOf(Bmp(0x80000000u, 35), size));
    // Anything else is refused: a decoder is never handed what this cannot size.
    EXPECT_FALSE(ImageFitsSkin("<html>not a picture</html>", 26));
    EXPECT_FALSE(ImageFitsSkin(nullptr, 0));
}

TEST(ImageHeader, HeadersCutShortOrMadeOfNoiseAreNeverSized) {
    for (auto make : {Png, Gif, Bmp, Jpeg}) {
        const std::string whole = make(31, 35);
        ImageSize size;
        ASSERT_TRUE(SizeOf(whole, size));
        // Every prefix shorter than the field that holds the size fails.
        size_t shortest = whole.size();
        while (shortest > 0 && SizeOf(whole.substr(0, shortest - 1), size)) --shortest;
        for (size_t cut = 0; cut < shortest; ++cut) EXPECT_FALSE(SizeOf(whole.substr(0, cut), size)) << cut;
    }
    // Random bytes behind each signature, and a JPEG whose segment lengths
    // point past the end or loop on themselves.
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        static const std::string signatures[] = {std::string("\x89PNG\r\n\x1A\n", 8), "GIF89a", "BM",
                                                 std::string("\xFF\xD8", 2)};
        std::string bytes = signatures[round % 4];
        const size_t extra = random() % 64;
        for (size_t i = 0; i < extra; ++i) bytes += static_cast<char>(random() & 0xFF);
        ImageSize size;
        if (SizeOf(bytes, size)) {
            EXPECT_TRUE(size.width > 0 && size.height > 0);
        }
    }
    ImageSize size;
    EXPECT_FALSE(SizeOf(std::string("\xFF\xD8\xFF\xE0\x00\x00", 6), size));
    EXPECT_FALSE(SizeOf(std::string("\xFF\xD8\xFF\xE0\xFF\xF0", 6), size));
}
