#include "Launcher/trust/MinisignKey.h"

#include <cstring>

#include "Launcher/trust/Base64.h"

namespace trust {

PublicKeyParse ParseMinisignPublicKey(std::string_view base64Line) {
    PublicKeyParse result;
    uint8_t raw[2 + 8 + 32];
    if (!DecodeBase64Exact(base64Line, raw, sizeof raw)) {
        result.error = "the public key is not the base64 line of a minisign .pub file (56 characters)";
        return result;
    }
    if (raw[0] != 'E' || raw[1] != 'd') {
        result.error = "the public key is not an Ed25519 minisign key";
        return result;
    }
    std::memcpy(result.key.keyId.data(), raw + 2, 8);
    std::memcpy(result.key.key.data(), raw + 10, 32);
    result.ok = true;
    return result;
}

std::string KeyIdText(const MinisignKeyId& keyId) {
    // minisign stores the id little-endian and prints it as one number,
    // without leading zeros; the same text lets an operator match the ids.
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = keyId.size(); i-- > 0;) {
        text += digits[keyId[i] >> 4];
        text += digits[keyId[i] & 15];
    }
    const size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

} // namespace trust
