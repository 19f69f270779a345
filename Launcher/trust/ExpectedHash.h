#pragma once
// What a hash key of Config.ini asks of the file it vouches for. A build that
// trusts signing keys needs every such key: a missing or malformed hash
// refuses the file instead of letting it through unchecked. A build without
// keys checks a hash that is given and lets the rest pass, as before.
#include <cstddef>
#include <string>
#include <string_view>

namespace trust {

// True when the program was built with at least one signing key.
bool SigningRequired();

enum class HashDemand {
    None,    // no hash given and none required: the file is not checked
    Check,   // compare the file's BLAKE2b-512 with `hex`
    Refuse,  // required but missing, or not 128 lower-case hex digits
};

struct ExpectedHash {
    HashDemand demand = HashDemand::None;
    std::string hex;  // set when demand == Check

    // True when `actualHex` may be used: demand None, or Check and equal.
    bool Accepts(std::string_view actualHex) const;
    // The same for bytes in memory and for a file (one that cannot be read
    // is refused); with demand None nothing is hashed.
    bool AcceptsBytes(const void* bytes, size_t size) const;
    bool AcceptsFile(const std::wstring& path) const;
};

// `value` as Config.ini gives it; `required` is normally SigningRequired().
ExpectedHash ReadExpectedHash(std::string_view value, bool required);
inline ExpectedHash ReadExpectedHash(std::string_view value) { return ReadExpectedHash(value, SigningRequired()); }

// 128 lower-case hex digits.
bool IsBlake2bHex(std::string_view text);

} // namespace trust
