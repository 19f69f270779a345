#pragma once
// The fields of minisign's default trusted comment:
//   timestamp:<unix seconds>\tfile:<file name>\thashed
// Only a signature whose trusted comment names the file binds the signature
// to that file; callers compare fileName with the name they expect.
#include <cstdint>
#include <string>
#include <string_view>

namespace trust {

struct TrustedCommentFields {
    bool ok = false;
    uint64_t timestamp = 0;
    std::string fileName;  // as minisign wrote it: the signed file's base name
    std::string error;
};

TrustedCommentFields ParseTrustedComment(std::string_view comment);

} // namespace trust
