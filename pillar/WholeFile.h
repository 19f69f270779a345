#pragma once
// Reads a whole disk file into memory.
#include <string>

namespace pillar {

// Replaces `bytes` with the file's contents; false (and `bytes` empty) when
// the file cannot be opened or a read fails part-way.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

} // namespace pillar
