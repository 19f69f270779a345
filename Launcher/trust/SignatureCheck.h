#pragma once
// Checks a minisign signature file against the bytes it claims to sign:
// the key id must be one of `trustedKeys`, the Ed25519 signature must cover
// BLAKE2b-512 of the bytes, the global signature must cover the signature and
// the trusted comment, and the trusted comment must be minisign's default
// form. The caller then checks fileName (and, if it cares, the timestamp).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/trust/Blake2b.h"
#include "Launcher/trust/MinisignKey.h"
#include "Launcher/trust/SignatureFault.h"

namespace trust {

struct VerifiedSignature {
    bool ok = false;
    SignatureFault fault = SignatureFault::None;
    std::string error;
    // Set once the signature file parsed (so a message can name the key):
    MinisignKeyId keyId{};
    // Set only when ok:
    std::string trustedComment;
    uint64_t timestamp = 0;
    std::string fileName;
};

VerifiedSignature VerifySignedDigest(const Blake2bDigest& digest, std::string_view signatureFile,
                                     const std::vector<MinisignPublicKey>& trustedKeys);
VerifiedSignature VerifySignedBuffer(const void* bytes, size_t size, std::string_view signatureFile,
                                     const std::vector<MinisignPublicKey>& trustedKeys);
// Streams the file through BLAKE2b; a file that cannot be read is Unreadable.
VerifiedSignature VerifySignedFile(const std::wstring& path, std::string_view signatureFile,
                                   const std::vector<MinisignPublicKey>& trustedKeys);

} // namespace trust
