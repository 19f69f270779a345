#pragma once
// Real PNG files made in memory for tests: 1-bit greyscale, every pixel
// white, with correct chunk CRCs. Rows are deflated as they are made, so a
// 16384 x 16384 picture is a few kilobytes here and a gigabyte once a
// decoder makes it a 32-bit bitmap. Header only; needs zlib.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

inline std::string BigEndian32(uint32_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift & 0xFF);
    return bytes;
}

inline void AppendPngChunk(std::string& png, const char* type, const std::string& data) {
    png += BigEndian32(static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    png += typed;
    png += BigEndian32(static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

// `tag` goes into a text chunk, so pictures of one size can differ.
inline std::string MakePng(uint32_t width, uint32_t height, const std::string& tag) {
    std::string png("\x89PNG\r\n\x1A\n", 8);
    AppendPngChunk(png, "IHDR", BigEndian32(width) + BigEndian32(height) + std::string("\x01\x00\x00\x00\x00", 5));
    AppendPngChunk(png, "tEXt", "Comment" + std::string(1, '\0') + tag);
    z_stream stream = {};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    // Filter byte 0, then the row's bits: all ones is white.
    std::string row(1 + (width + 7) / 8, '\xFF');
    row[0] = '\0';
    std::string idat;
    std::vector<unsigned char> out(1 << 16);
    for (uint32_t y = 0; y < height; ++y) {
        stream.next_in = reinterpret_cast<Bytef*>(&row[0]);
        stream.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, flush);
            idat.append(reinterpret_cast<char*>(out.data()), out.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    AppendPngChunk(png, "IDAT", idat);
    AppendPngChunk(png, "IEND", std::string());
    return png;
}

} // namespace testsupport
