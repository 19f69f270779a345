#pragma once
// Strict standard base64 (with padding) as minisign writes it.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace trust {

// Decodes `text` into exactly `size` bytes. False unless `text` is the one
// canonical encoding of `size` bytes: no whitespace, no missing or extra
// padding, no stray bits in the last character. A text that decodes to the
// same bytes in another spelling must not pass for the signed one.
bool DecodeBase64Exact(std::string_view text, uint8_t* out, size_t size);

} // namespace trust
