#pragma once
// File contents as one value, for test expectations and fixtures.
#include <string>

#include "pillar/WholeFile.h"

namespace testsupport {

// The file's bytes; empty when it cannot be read.
inline std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    pillar::ReadWholeFile(path, bytes);
    return bytes;
}

} // namespace testsupport
