#include "Launcher/trust/SignatureCheck.h"

#include <sodium.h>

#include <cstring>

#include "Launcher/trust/MinisignSignature.h"
#include "Launcher/trust/Sodium.h"
#include "Launcher/trust/TrustedComment.h"

namespace trust {

namespace {

VerifiedSignature Refuse(VerifiedSignature result, SignatureFault fault, std::string error) {
    result.ok = false;
    result.fault = fault;
    result.error = std::move(error);
    return result;
}

} // namespace

VerifiedSignature VerifySignedDigest(const Blake2bDigest& digest, std::string_view signatureFile,
                                     const std::vector<MinisignPublicKey>& trustedKeys) {
    VerifiedSignature result;
    if (!EnsureSodium()) return Refuse(result, SignatureFault::BadSignature, "libsodium could not start");
    const SignatureParse parsed = ParseMinisignSignature(signatureFile);
    if (!parsed.ok) return Refuse(result, parsed.fault, parsed.error);
    const MinisignSignature& signature = parsed.signature;
    result.keyId = signature.keyId;

    if (trustedKeys.empty())
        return Refuse(result, SignatureFault::NoTrustedKey, "this program was built without a signing key");
    const MinisignPublicKey* key = nullptr;
    for (const MinisignPublicKey& candidate : trustedKeys) {
        if (candidate.keyId == signature.keyId) {
            key = &candidate;
            break;
        }
    }
    if (!key)
        return Refuse(result, SignatureFault::UnknownKey,
                      "signed by key " + KeyIdText(signature.keyId) + ", which this program does not trust");

    if (crypto_sign_verify_detached(signature.signature.data(), digest.data(), digest.size(), key->key.data()) != 0)
        return Refuse(result, SignatureFault::BadSignature, "the file does not match its signature");

    std::string global(signature.signature.begin(), signature.signature.end());
    global += signature.trustedComment;
    if (crypto_sign_verify_detached(signature.globalSignature.data(), reinterpret_cast<const uint8_t*>(global.data()),
                                    global.size(), key->key.data()) != 0)
        return Refuse(result, SignatureFault::BadTrustedComment, "the trusted comment does not match its signature");

    const TrustedCommentFields fields = ParseTrustedComment(signature.trustedComment);
    if (!fields.ok) return Refuse(result, SignatureFault::BadTrustedComment, fields.error);

    result.ok = true;
    result.trustedComment = signature.trustedComment;
    result.timestamp = fields.timestamp;
    result.fileName = fields.fileName;
    return result;
}

VerifiedSignature VerifySignedBuffer(const void* bytes, size_t size, std::string_view signatureFile,
                                     const std::vector<MinisignPublicKey>& trustedKeys) {
    return VerifySignedDigest(Blake2bOfBuffer(bytes, size), signatureFile, trustedKeys);
}

VerifiedSignature VerifySignedFile(const std::wstring& path, std::string_view signatureFile,
                                   const std::vector<MinisignPublicKey>& trustedKeys) {
    const FileDigest digest = Blake2bOfFile(path);
    if (!digest.ok) {
        VerifiedSignature result;
        result.fault = SignatureFault::Unreadable;
        result.error = digest.error;
        return result;
    }
    return VerifySignedDigest(digest.digest, signatureFile, trustedKeys);
}

} // namespace trust
