#pragma once
// One read of a game file for both of its checksums: the launcher's CRC-32
// (FileChecksum.h) and, when the release names one, its BLAKE2b-512. The
// CRC-32 alone finds damage but not a file made to keep its list value.
#include <cstdint>
#include <string>

struct FileDigests {
    uint32_t checksum = 0;   // the launcher checksum
    std::string strongHex;   // BLAKE2b-512 hex; empty when not asked for
};

// False when the file cannot be opened or read. `block` holds
// ChecksumFileBlock bytes (FileChecksum.h).
bool ComputeFileDigests(const std::wstring& path, bool strong, FileDigests& digests, unsigned char* block);

// What a game file must be: its list value and, when given, its BLAKE2b hex.
struct ExpectedFile {
    int32_t listValue = 0;
    std::string strongHex;  // empty: the CRC-32 alone decides
};

bool DigestsMatch(const FileDigests& digests, const ExpectedFile& expected);
