#include "pillar/DecimalText.h"

namespace pillar {

bool ParseDecimal(std::string_view text, uint64_t limit, uint64_t& value) {
    if (text.empty()) return false;
    uint64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (digit > limit || result > (limit - digit) / 10) return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

} // namespace pillar
