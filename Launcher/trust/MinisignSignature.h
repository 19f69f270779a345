#pragma once
// A minisign signature file (.minisig), parsed strictly:
//   untrusted comment: <text>
//   <base64 of algorithm (2) + key id (8) + Ed25519 signature (64)>
//   trusted comment: <text>
//   <base64 of the global signature (64) over signature || trusted comment>
// with one optional newline after the last line and nothing else.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Launcher/trust/MinisignKey.h"
#include "Launcher/trust/SignatureFault.h"

namespace trust {

// Longest signature file taken: minisign's own comment limits with room to spare.
constexpr size_t kMaxSignatureFileBytes = 16 * 1024;

struct MinisignSignature {
    std::array<uint8_t, 2> algorithm{};
    MinisignKeyId keyId{};
    std::array<uint8_t, 64> signature{};
    std::string trustedComment;  // the text after "trusted comment: "
    std::array<uint8_t, 64> globalSignature{};
};

struct SignatureParse {
    bool ok = false;
    MinisignSignature signature;
    SignatureFault fault = SignatureFault::None;
    std::string error;
};

// Refuses the legacy algorithm "Ed" (the file signed without prehashing).
SignatureParse ParseMinisignSignature(std::string_view fileText);

} // namespace trust
