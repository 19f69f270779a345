// Mutations of a real signature file: random byte changes, cuts and
// insertions. The parser must never crash, and a mutated file may pass only
// when what it signs (algorithm, key id, signature, trusted comment, global
// signature) is byte for byte the original's; only the untrusted comment may
// differ.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Launcher/trust/MinisignSignature.h"
#include "Launcher/trust/SignatureCheck.h"
#include "trust/TrustTestSupport.h"

using namespace trust;

namespace {

std::string Mutated(const std::string& original, std::mt19937& random) {
    std::string text = original;
    const int changes = 1 + static_cast<int>(random() % 3);
    // Printable characters and the separators minisign uses, with now and
    // then any byte, so most mutations get past the first checks.
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=: \t\n";
    auto someByte = [&]() -> char {
        return random() % 8 == 0 ? static_cast<char>(random() & 0xFF) : alphabet[random() % alphabet.size()];
    };
    for (int i = 0; i < changes; ++i) {
        const size_t at = text.empty() ? 0 : random() % text.size();
        switch (random() % 4) {
        case 0:  // flip one bit
            if (!text.empty()) text[at] = static_cast<char>(text[at] ^ (1 << (random() % 8)));
            break;
        case 1:  // replace a byte
            if (!text.empty()) text[at] = someByte();
            break;
        case 2:  // cut: the tail, or a piece in the middle
            if (random() % 2)
                text.resize(at);
            else
                text.erase(at, 1 + random() % 8);
            break;
        default:  // insert one to four bytes
            text.insert(at, std::string(1 + random() % 4, someByte()));
            break;
        }
    }
    return text;
}

bool SameSignedParts(const MinisignSignature& a, const MinisignSignature& b) {
    return a.algorithm == b.algorithm && a.keyId == b.keyId && a.signature == b.signature &&
           a.trustedComment == b.trustedComment && a.globalSignature == b.globalSignature;
}

} // namespace

TEST(SignatureFuzz, NoMutationOfTheSignedPartsPasses) {
    const std::string config = trust_test::ReadFixture("Config.ini");
    const std::string signature = trust_test::ReadFixture("Config.ini.minisig");
    ASSERT_FALSE(signature.empty());
    const SignatureParse original = ParseMinisignSignature(signature);
    ASSERT_TRUE(original.ok) << original.error;
    const Blake2bDigest digest = Blake2bOfBuffer(config.data(), config.size());
    const std::vector<MinisignPublicKey> keys = trust_test::TrustedKeys();
    ASSERT_TRUE(VerifySignedDigest(digest, signature, keys).ok);

    std::mt19937 random(20261208);
    const int rounds = 12000;
    int accepted = 0, changedSigned = 0;
    for (int i = 0; i < rounds; ++i) {
        const std::string text = Mutated(signature, random);
        const VerifiedSignature result = VerifySignedDigest(digest, text, keys);
        const SignatureParse parsed = ParseMinisignSignature(text);
        if (parsed.ok && !SameSignedParts(parsed.signature, original.signature)) ++changedSigned;
        if (!result.ok) {
            EXPECT_NE(result.fault, SignatureFault::None);
            EXPECT_FALSE(result.error.empty());
            continue;
        }
        ++accepted;
        ASSERT_TRUE(parsed.ok) << "accepted, yet it does not parse: " << testing::PrintToString(text);
        ASSERT_TRUE(SameSignedParts(parsed.signature, original.signature))
            << "a change to the signed parts passed: " << testing::PrintToString(text);
    }
    // The mutations reached the checks after parsing, not only the parser.
    EXPECT_GT(changedSigned, 100);
    std::printf("%d mutations: %d accepted (untrusted comment or final newline only), %d parsed with signed parts changed\n",
                rounds, accepted, changedSigned);
}
