#include "Launcher/trust/ExpectedHash.h"

#include "Launcher/trust/Blake2b.h"
#include "Launcher/trust/TrustedKeys.h"

namespace trust {

bool SigningRequired() { return !BuiltInSigningKeys().empty(); }

bool IsBlake2bHex(std::string_view text) {
    if (text.size() != 128) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool ExpectedHash::Accepts(std::string_view actualHex) const {
    if (demand == HashDemand::None) return true;
    return demand == HashDemand::Check && actualHex == hex;
}

bool ExpectedHash::AcceptsBytes(const void* bytes, size_t size) const {
    if (demand == HashDemand::None) return true;
    return demand == HashDemand::Check && Accepts(Blake2bHexOfBuffer(bytes, size));
}

bool ExpectedHash::AcceptsFile(const std::wstring& path) const {
    if (demand == HashDemand::None) return true;
    if (demand != HashDemand::Check) return false;
    const FileDigest digest = Blake2bOfFile(path);
    return digest.ok && Accepts(DigestHex(digest.digest));
}

ExpectedHash ReadExpectedHash(std::string_view value, bool required) {
    ExpectedHash expected;
    if (value.empty()) {
        expected.demand = required ? HashDemand::Refuse : HashDemand::None;
    } else if (IsBlake2bHex(value)) {
        expected.demand = HashDemand::Check;
        expected.hex = std::string(value);
    } else {
        // A malformed hash is a fault of the release, not a reason to skip
        // the check, even in a build without keys.
        expected.demand = HashDemand::Refuse;
    }
    return expected;
}

} // namespace trust
