#pragma once
// Reads or writes a whole disk file in one call.
#include <windows.h>

#include <cstddef>
#include <string>

namespace pillar {

// Replaces `bytes` with the file's contents; false (and `bytes` empty) when
// the file cannot be opened or a read fails part-way.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// Creates or truncates the file and writes `size` bytes; false when it cannot
// be created or any byte is not written (a full disk must not pass for a
// saved file).
bool WriteWholeFile(const std::wstring& path, const void* data, size_t size);
inline bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

// Writes all `size` bytes at the file's position, in pieces under the 32-bit
// count; false on a failed or short write.
bool WriteAll(HANDLE file, const void* data, size_t size);

} // namespace pillar
