#include "Launcher/trust/MinisignSignature.h"

#include <cstring>
#include <vector>

#include "Launcher/trust/Base64.h"

namespace trust {

namespace {

SignatureParse Refuse(SignatureFault fault, std::string error) {
    SignatureParse result;
    result.fault = fault;
    result.error = std::move(error);
    return result;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

} // namespace

SignatureParse ParseMinisignSignature(std::string_view text) {
    if (text.empty()) return Refuse(SignatureFault::Malformed, "the signature file is empty");
    if (text.size() > kMaxSignatureFileBytes)
        return Refuse(SignatureFault::Malformed, "the signature file is longer than " +
                                                     std::to_string(kMaxSignatureFileBytes) + " bytes");
    // Windows line ends or NULs are no part of minisign's output; taking them
    // quietly would let two spellings of one signature pass.
    if (text.find('\r') != std::string_view::npos)
        return Refuse(SignatureFault::Malformed, "the signature file has Windows line ends (CR); it was altered in transfer");
    if (text.find('\0') != std::string_view::npos)
        return Refuse(SignatureFault::Malformed, "the signature file holds a NUL byte");

    if (text.back() == '\n') text.remove_suffix(1);
    std::vector<std::string_view> lines;
    for (;;) {
        const size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    if (lines.size() < 4)
        return Refuse(SignatureFault::Malformed, "the signature file has " + std::to_string(lines.size()) +
                                                     " lines, not 4 (truncated?)");
    if (lines.size() > 4)
        return Refuse(SignatureFault::Malformed, "the signature file has more than 4 lines");

    static constexpr std::string_view kUntrusted = "untrusted comment: ";
    static constexpr std::string_view kTrusted = "trusted comment: ";
    if (!StartsWith(lines[0], kUntrusted))
        return Refuse(SignatureFault::Malformed, "line 1 of the signature file is not an untrusted comment");
    if (!StartsWith(lines[2], kTrusted))
        return Refuse(SignatureFault::Malformed, "line 3 of the signature file is not a trusted comment");

    SignatureParse result;
    uint8_t raw[2 + 8 + 64];
    if (!DecodeBase64Exact(lines[1], raw, sizeof raw))
        return Refuse(SignatureFault::Malformed, "line 2 of the signature file is not the base64 of a signature");
    if (raw[0] == 'E' && raw[1] == 'd')
        return Refuse(SignatureFault::LegacyAlgorithm,
                      "the signature uses minisign's legacy algorithm (Ed, not prehashed); sign again without -l");
    if (raw[0] != 'E' || raw[1] != 'D')
        return Refuse(SignatureFault::UnknownAlgorithm, "the signature algorithm is not minisign's ED");
    if (!DecodeBase64Exact(lines[3], result.signature.globalSignature.data(), 64))
        return Refuse(SignatureFault::Malformed, "line 4 of the signature file is not the base64 of a global signature");

    std::memcpy(result.signature.algorithm.data(), raw, 2);
    std::memcpy(result.signature.keyId.data(), raw + 2, 8);
    std::memcpy(result.signature.signature.data(), raw + 10, 64);
    result.signature.trustedComment = std::string(lines[2].substr(kTrusted.size()));
    result.ok = true;
    return result;
}

} // namespace trust
