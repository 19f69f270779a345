#include "Launcher/trust/Base64.h"

#include <sodium.h>

#include <cstring>
#include <string>

namespace trust {

bool DecodeBase64Exact(std::string_view text, uint8_t* out, size_t size) {
    const size_t encodedLength = sodium_base64_encoded_len(size, sodium_base64_VARIANT_ORIGINAL) - 1;
    if (text.size() != encodedLength) return false;
    size_t decoded = 0;
    const char* end = nullptr;
    if (sodium_base642bin(out, size, text.data(), text.size(), nullptr, &decoded, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0)
        return false;
    if (decoded != size || end != text.data() + text.size()) return false;
    // Encoding back must give the same text. libsodium already refuses stray
    // bits; this keeps the rule whatever the decoder lets through.
    std::string again(encodedLength + 1, '\0');
    sodium_bin2base64(&again[0], again.size(), out, size, sodium_base64_VARIANT_ORIGINAL);
    return std::memcmp(again.data(), text.data(), encodedLength) == 0;
}

} // namespace trust
