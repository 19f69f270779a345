#pragma once
// What a signed release publishes for a game, made in the tests: the update
// list ("name+value|..."), the b2sum hash list of the same files, and the
// BLAKE2b of each; plus a forgery that keeps a file's CRC-32, which only the
// strong hash can tell. Header only.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Launcher/patch/FileChecksum.h"
#include "Launcher/trust/Blake2b.h"

namespace testsupport {

inline std::string HashOf(const std::string& bytes) { return trust::Blake2bHexOfBuffer(bytes.data(), bytes.size()); }

// Files by their update-list name ("\" between folders) and content.
using ReleaseFiles = std::vector<std::pair<std::string, std::string>>;

inline std::string UpdateListOf(const ReleaseFiles& files) {
    std::string list;
    for (const auto& file : files) {
        if (!list.empty()) list += "|";
        list += file.first + "+" +
                std::to_string(ListValueOf(BufferChecksum(file.second.data(), file.second.size())));
    }
    return list;
}

// b2sum's text for the same files: "/" between folders.
inline std::string HashListOf(const ReleaseFiles& files) {
    std::string text;
    for (const auto& file : files) {
        std::string name = file.first;
        std::replace(name.begin(), name.end(), '\\', '/');
        text += HashOf(file.second) + "  " + name + "\n";
    }
    return text;
}

// `bytes` followed by four bytes chosen so that the launcher checksum of the
// whole equals `target`. CRC-32 is affine in its input over GF(2), so the
// four bytes are the solution of a 32 x 32 linear system.
inline std::string SameCrcForgery(const std::string& bytes, uint32_t target) {
    const uint32_t prefix = BufferChecksum(bytes.data(), bytes.size());
    const auto crcOf = [prefix](uint32_t suffix) {
        unsigned char four[4];
        for (int i = 0; i < 4; ++i) four[i] = static_cast<unsigned char>(suffix >> (8 * i));
        return Crc32Continue(prefix, four, 4);
    };
    const uint32_t base = crcOf(0);
    // Row i: the effect of suffix bit i, with the bit itself kept alongside.
    std::array<std::pair<uint32_t, uint32_t>, 32> rows;
    for (int i = 0; i < 32; ++i) rows[i] = {crcOf(1u << i) ^ base, 1u << i};
    uint32_t want = target ^ base, suffix = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const uint32_t mask = 1u << bit;
        int pivot = bit;
        while (pivot < 32 && !(rows[pivot].first & mask)) ++pivot;
        if (pivot == 32) continue;
        std::swap(rows[bit], rows[pivot]);
        for (int r = 0; r < 32; ++r) {
            if (r != bit && (rows[r].first & mask)) {
                rows[r].first ^= rows[bit].first;
                rows[r].second ^= rows[bit].second;
            }
        }
    }
    for (int bit = 0; bit < 32; ++bit)
        if ((want >> bit) & 1u) suffix ^= rows[bit].second;
    std::string forged = bytes;
    for (int i = 0; i < 4; ++i) forged += static_cast<char>(suffix >> (8 * i));
    return forged;
}

} // namespace testsupport
