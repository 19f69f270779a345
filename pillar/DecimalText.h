#pragma once
// Decimal text written by the launcher or sent by a server, read strictly:
// digits only, at least one, no sign or spaces, and no value past `limit`.
// Anything else is refused rather than read in part.
#include <cstdint>
#include <string_view>

namespace pillar {

bool ParseDecimal(std::string_view text, uint64_t limit, uint64_t& value);

} // namespace pillar
