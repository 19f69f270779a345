#pragma once
// A minisign public key: the base64 line of a .pub file, which holds the
// algorithm "Ed", an 8-byte key id and the 32-byte Ed25519 public key.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace trust {

using MinisignKeyId = std::array<uint8_t, 8>;

struct MinisignPublicKey {
    MinisignKeyId keyId{};
    std::array<uint8_t, 32> key{};
};

struct PublicKeyParse {
    bool ok = false;
    MinisignPublicKey key;
    std::string error;
};

// Exactly the base64 line: no comment line, no whitespace around it.
PublicKeyParse ParseMinisignPublicKey(std::string_view base64Line);

// The key id as minisign prints it ("untrusted comment: minisign public key
// 79081E2B2D7047C8"), so an operator can tell which key a message means.
std::string KeyIdText(const MinisignKeyId& keyId);

} // namespace trust
