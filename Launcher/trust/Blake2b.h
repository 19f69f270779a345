#pragma once
// BLAKE2b-512 (unkeyed) of a memory buffer or of a file read in blocks: what
// b2sum prints and what minisign signs for a prehashed signature.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace trust {

using Blake2bDigest = std::array<uint8_t, 64>;

Blake2bDigest Blake2bOfBuffer(const void* bytes, size_t size);

// 128 lower-case hex digits, as b2sum prints them.
std::string Blake2bHexOfBuffer(const void* bytes, size_t size);
std::string DigestHex(const Blake2bDigest& digest);

struct FileDigest {
    bool ok = false;
    Blake2bDigest digest{};
    std::string error;  // why the file could not be read, when !ok
};

// Reads the file in 1 MiB blocks, so a file of any size needs one block of
// memory. Fails on a file that cannot be opened or a read that fails part-way.
FileDigest Blake2bOfFile(const std::wstring& path);

} // namespace trust
