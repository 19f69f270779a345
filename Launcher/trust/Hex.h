#pragma once
// Lower-case hexadecimal text of bytes.
#include <cstddef>
#include <cstdint>
#include <string>

namespace trust {

std::string LowerHex(const uint8_t* bytes, size_t size);

} // namespace trust
