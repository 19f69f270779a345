// minisign signatures made by the minisign tool at build time, checked as
// the launcher will check Config.ini: the good one, and each way a
// signature or the signed file can be wrong.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "Launcher/trust/MinisignSignature.h"
#include "Launcher/trust/SignatureCheck.h"
#include "Launcher/trust/TrustedComment.h"
#include "Launcher/trust/TrustedKeys.h"
#include "trust/TrustTestSupport.h"

using namespace trust;
using trust_test::Fixture;
using trust_test::KeyOf;
using trust_test::ReadFixture;
using trust_test::TrustedKeys;

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The global signature line with its last data character changed in a bit
// that base64 carries past the 64 bytes: the same bytes, spelt another way.
std::string WithStrayBitSet(std::string signature) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const size_t padding = signature.rfind("==\n");
    char& last = signature[padding - 1];
    last = alphabet[alphabet.find(last) ^ 1];
    return signature;
}

std::string WithWindowsLineEnds(const std::string& text) {
    std::string converted;
    for (const char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

VerifiedSignature CheckConfig(const std::string& config, const std::string& signature) {
    return VerifySignedBuffer(config.data(), config.size(), signature, TrustedKeys());
}

} // namespace

TEST(MinisignKey, ParsesThePublicKeyLineOnly) {
    const PublicKeyParse key = ParseMinisignPublicKey(TRUST_TRUSTED_KEY);
    ASSERT_TRUE(key.ok) << key.error;
    // The key id reads as minisign prints it in the .pub file's comment.
    const std::string pub = ReadFixture("keys/trusted.pub");
    EXPECT_EQ(pub.substr(0, pub.find('\n')), "untrusted comment: minisign public key " + KeyIdText(key.key.keyId));
    // minisign prints the number without leading zeros (a key made at build
    // time drew one in sixteen times).
    EXPECT_EQ(KeyIdText({0x48, 0x77, 0x82, 0x35, 0x73, 0x06, 0xA1, 0x03}), "3A1067335827748");
    EXPECT_EQ(KeyIdText({0x48, 0x77, 0x82, 0x35, 0x73, 0x06, 0xA1, 0xF3}), "F3A1067335827748");

    const std::string line = TRUST_TRUSTED_KEY;
    EXPECT_FALSE(ParseMinisignPublicKey(line.substr(0, 55)).ok);
    EXPECT_FALSE(ParseMinisignPublicKey(line + "\n").ok);
    EXPECT_FALSE(ParseMinisignPublicKey(" " + line).ok);
    EXPECT_FALSE(ParseMinisignPublicKey(pub).ok);
    // "RU" is the signature algorithm ED, not a key's Ed.
    EXPECT_FALSE(ParseMinisignPublicKey("RU" + line.substr(2)).ok);
}

TEST(Signature, AcceptsWhatMinisignSignedAndNamesTheFile) {
    const std::string signature = ReadFixture("Config.ini.minisig");
    ASSERT_FALSE(signature.empty());
    const VerifiedSignature file = VerifySignedFile(Fixture("Config.ini"), signature, TrustedKeys());
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_EQ(file.fileName, "Config.ini");
    // Signed during this build.
    const uint64_t now = static_cast<uint64_t>(std::time(nullptr));
    EXPECT_LE(file.timestamp, now + 60);
    EXPECT_GT(file.timestamp, now - 7 * 24 * 3600);
    EXPECT_EQ(file.trustedComment, "timestamp:" + std::to_string(file.timestamp) + "\tfile:Config.ini\thashed");

    // Another trusted key in the list changes nothing; the untrusted comment
    // is not signed, by minisign's design.
    std::vector<MinisignPublicKey> two = {KeyOf(TRUST_OTHER_KEY), KeyOf(TRUST_TRUSTED_KEY)};
    const std::string config = ReadFixture("Config.ini");
    EXPECT_TRUE(VerifySignedBuffer(config.data(), config.size(), signature, two).ok);
    EXPECT_TRUE(CheckConfig(config, Replaced(signature, "signature from", "anything at all")).ok);
    // Without the final newline too.
    EXPECT_TRUE(CheckConfig(config, signature.substr(0, signature.size() - 1)).ok);

    // A signature of another file with the same bytes is genuine, and says so:
    // the caller compares the name.
    const VerifiedSignature other = CheckConfig(config, ReadFixture("Other.ini.minisig"));
    ASSERT_TRUE(other.ok) << other.error;
    EXPECT_EQ(other.fileName, "Other.ini");
}

TEST(Signature, RefusesEachWayTheSignatureOrTheFileIsWrong) {
    const std::string config = ReadFixture("Config.ini");
    const std::string signature = ReadFixture("Config.ini.minisig");
    ASSERT_FALSE(config.empty());
    ASSERT_FALSE(signature.empty());
    const size_t lastLine = signature.rfind('\n', signature.size() - 2) + 1;

    std::string tamperedFile = config;
    tamperedFile[config.find("Version=3") + 8] = '4';
    const std::string commentLine = "\tfile:Config.ini\t";

    struct Case {
        const char* what;
        std::string config;
        std::string signature;
        SignatureFault fault;
        const char* says;
    };
    const Case cases[] = {
        {"no signature", config, "", SignatureFault::Malformed, "empty"},
        {"unknown key", config, ReadFixture("other-key.minisig"), SignatureFault::UnknownKey, "does not trust"},
        {"a byte of the file changed", tamperedFile, signature, SignatureFault::BadSignature, "does not match"},
        {"the trusted comment changed", config, Replaced(signature, commentLine, "\tfile:Config.in_\t"),
         SignatureFault::BadTrustedComment, "does not match"},
        {"the last line cut", config, signature.substr(0, lastLine), SignatureFault::Malformed, "not 4"},
        {"half of the last line cut", config, signature.substr(0, lastLine + 44), SignatureFault::Malformed,
         "line 4"},
        {"a fifth line", config, signature + "more\n", SignatureFault::Malformed, "more than 4"},
        {"a blank fifth line", config, signature + "\n", SignatureFault::Malformed, "more than 4"},
        {"padded past the size limit", config, signature + std::string(20000, 'A'), SignatureFault::Malformed,
         "longer than"},
        {"another spelling of the global signature", config, WithStrayBitSet(signature),
         SignatureFault::Malformed, "line 4"},
        {"Windows line ends", config, WithWindowsLineEnds(signature),
         SignatureFault::Malformed, "CR"},
        {"legacy algorithm", config, ReadFixture("legacy.minisig"), SignatureFault::LegacyAlgorithm, "legacy"},
        {"a trusted comment of another form", config, ReadFixture("custom-comment.minisig"),
         SignatureFault::BadTrustedComment, "timestamp:N"},
        {"line 1 not an untrusted comment", config,
         Replaced(signature, "untrusted comment:", "trusted comment:"), SignatureFault::Malformed, "line 1"},
    };
    for (const Case& item : cases) {
        const VerifiedSignature result = CheckConfig(item.config, item.signature);
        EXPECT_FALSE(result.ok) << item.what;
        EXPECT_EQ(result.fault, item.fault) << item.what << ": " << result.error;
        EXPECT_NE(result.error.find(item.says), std::string::npos) << item.what << ": " << result.error;
        EXPECT_TRUE(result.fileName.empty()) << item.what;
    }

    // The unknown key is named as minisign names it.
    const VerifiedSignature unknown = CheckConfig(config, ReadFixture("other-key.minisig"));
    EXPECT_NE(unknown.error.find(KeyIdText(KeyOf(TRUST_OTHER_KEY).keyId)), std::string::npos) << unknown.error;
    EXPECT_EQ(VerifySignedBuffer(config.data(), config.size(), signature, {}).fault, SignatureFault::NoTrustedKey);
    EXPECT_EQ(VerifySignedFile(Fixture("no-such-file"), signature, TrustedKeys()).fault, SignatureFault::Unreadable);
}

TEST(TrustedComment, ReadsMinisignsFieldsOnly) {
    const TrustedCommentFields good = ParseTrustedComment("timestamp:1796758404\tfile:Config.ini\thashed");
    ASSERT_TRUE(good.ok) << good.error;
    EXPECT_EQ(good.timestamp, 1796758404u);
    EXPECT_EQ(good.fileName, "Config.ini");
    EXPECT_EQ(ParseTrustedComment("timestamp:18446744073709551615\tfile:a b\thashed").timestamp,
              18446744073709551615ull);

    for (const char* bad : {"timestamp:18446744073709551616\tfile:a\thashed", "timestamp:\tfile:a\thashed",
                            "timestamp:-1\tfile:a\thashed", "timestamp:1\tfile:a", "timestamp:1\tfile:\thashed",
                            "timestamp:1\tfile:a\tb\thashed", "timestamp:1 file:a hashed", "file:a\thashed", ""}) {
        EXPECT_FALSE(ParseTrustedComment(bad).ok) << bad;
    }
}

TEST(BuiltInSigningKeys, TheDefaultBuildTrustsItsDemoKey) {
#ifdef TRUST_DEMO_SIGNATURE
    const std::string config = ReadFixture("Config.ini");
    std::string signature;
    ASSERT_TRUE(pillar::ReadWholeFile(trust_test::WindowsPathOf(TRUST_DEMO_SIGNATURE), signature));
    ASSERT_FALSE(BuiltInSigningKeys().empty());
    const VerifiedSignature result = VerifySignedBuffer(config.data(), config.size(), signature, BuiltInSigningKeys());
    EXPECT_TRUE(result.ok) << result.error;
    // The test key is not among them.
    EXPECT_EQ(VerifySignedBuffer(config.data(), config.size(), ReadFixture("Config.ini.minisig"), BuiltInSigningKeys())
                  .fault,
              SignatureFault::UnknownKey);
#else
    GTEST_SKIP() << "LAUNCHER_SIGNING_KEYS does not hold the demo key in this build";
#endif
}
