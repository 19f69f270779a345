#pragma once
// Why a signature was not accepted, for callers that word their own notice.
namespace trust {

enum class SignatureFault {
    None,
    Malformed,          // not a minisign signature file (lines, lengths, base64, size)
    LegacyAlgorithm,    // "Ed": signed without prehashing; only "ED" is accepted
    UnknownAlgorithm,   // neither "ED" nor "Ed"
    UnknownKey,         // signed by a key that is not trusted
    NoTrustedKey,       // the program trusts no key at all
    BadSignature,       // the file's bytes are not the ones signed
    BadTrustedComment,  // the trusted comment was altered, or is not minisign's default form
    Unreadable,         // the signed file could not be read
};

} // namespace trust
