// The configuration at start-up is taken only with a good signature: each
// way a signature or the signed bytes can be wrong is refused, by bytes and
// over HTTP, and the time of the accepted configuration is kept against a
// replayed older one. The signatures were made by minisign at build time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Launcher/config/LocalSettings.h"
#include "Launcher/flows/SignedConfigFetch.h"
#include "Launcher/net/HttpRequest.h"
#include "flows/FlowTestSupport.h"

using flows_test::LauncherFolderFixture;
using flows_test::ReadFileText;
using flows_test::WindowsPathOf;
using flows_test::WriteFileText;

namespace {

std::string Fixture(const std::string& name) {
    return ReadFileText(WindowsPathOf((std::string(TRUST_FIXTURES) + "/" + name).c_str()));
}

// The second line of the test key's .pub file.
std::vector<trust::MinisignPublicKey> TrustedKeys() {
    const std::string pub = Fixture("keys/trusted.pub");
    const size_t start = pub.find('\n') + 1;
    const trust::PublicKeyParse key = trust::ParseMinisignPublicKey(pub.substr(start, pub.find('\n', start) - start));
    return key.ok ? std::vector<trust::MinisignPublicKey>{key.key} : std::vector<trust::MinisignPublicKey>{};
}

std::string LineOf(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

bool StoredRequest(const std::vector<std::string>& requests, const std::string& path) {
    for (const std::string& request : requests)
        if (request.find(path) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(SignedConfig, OnlyAGoodSignatureOfConfigIniNoOlderThanTheLastOneIsTaken) {
    const std::vector<trust::MinisignPublicKey> keys = TrustedKeys();
    ASSERT_EQ(1u, keys.size());
    const std::string config = Fixture("Config.ini");
    const std::string signature = Fixture("Config.ini.minisig");
    ASSERT_FALSE(config.empty());
    ASSERT_FALSE(signature.empty());

    const ConfigAcceptance good = CheckSignedConfig(config, signature, keys, 0);
    ASSERT_TRUE(good.ok) << good.error;
    ASSERT_GT(good.timestamp, 1700000000u);
    // The same release again, on the next start, passes.
    EXPECT_TRUE(CheckSignedConfig(config, signature, keys, good.timestamp).ok);

    std::string tamperedConfig = config;
    tamperedConfig[tamperedConfig.size() / 2] ^= 0x01;
    const std::string comment = LineOf(signature, 2);
    ASSERT_EQ(0u, comment.find("trusted comment: timestamp:"));
    // A later time in the comment would pass the replay check if it were believed.
    const std::string laterComment = Replaced(signature, "timestamp:" + std::to_string(good.timestamp),
                                              "timestamp:" + std::to_string(good.timestamp + 1));
    const std::string renamedComment = Replaced(signature, "file:Config.ini", "file:Config.ini ");
    const struct {
        const char* what;
        std::string config;
        std::string signature;
        uint64_t lastAccepted;
    } refused[] = {
        {"no signature", config, "", 0},
        {"an unknown key", config, Fixture("other-key.minisig"), 0},
        {"a tampered byte of Config.ini", tamperedConfig, signature, 0},
        {"a tampered time in the trusted comment", config, laterComment, 0},
        {"a tampered file name in the trusted comment", config, renamedComment, 0},
        {"a truncated signature", config, signature.substr(0, signature.size() - 20), 0},
        {"a signature without its trusted comment", config, signature.substr(0, signature.find("trusted comment")), 0},
        {"an overlong signature", config, signature + "untrusted comment: more\n", 0},
        {"a signature padded past the size limit", config, signature + std::string(20000, '\n'), 0},
        {"the legacy algorithm", config, Fixture("legacy.minisig"), 0},
        {"a comment naming another file", config, Fixture("Other.ini.minisig"), 0},
        {"a comment of the operator's own", config, Fixture("custom-comment.minisig"), 0},
        {"an older configuration (replay)", config, signature, good.timestamp + 1},
        {"a configuration older than one past 2038", config, signature, 4102444800u},
    };
    for (const auto& input : refused) {
        const ConfigAcceptance decision = CheckSignedConfig(input.config, input.signature, keys, input.lastAccepted);
        EXPECT_FALSE(decision.ok) << input.what;
        EXPECT_FALSE(decision.error.empty()) << input.what;
    }
    EXPECT_FALSE(CheckSignedConfig(config, signature, {}, 0).ok) << "no trusted key verifies nothing";
}

TEST(SignedConfig, FetchKeepsTheAcceptedTimeAndTakesNothingUnsigned) {
    LauncherFolderFixture folder;
    const std::wstring& settings = folder.Folders().settings;
    testsupport::TestHttpServer server(folder.Site());
    ASSERT_TRUE(server.Start());
    const std::string url = server.Url("Config.ini");
    const std::string config = Fixture("Config.ini");
    ASSERT_TRUE(WriteFileText(folder.Site() + L"Config.ini", config));
    const std::vector<trust::MinisignPublicKey> keys = TrustedKeys();

    // No signature beside it: refused, nothing stored, nothing handed on.
    std::string body = "left alone";
    EXPECT_FALSE(FetchSignedConfig(url, settings, keys, body).ok);
    EXPECT_EQ("left alone", body);
    EXPECT_TRUE(StoredRequest(server.Requests(), "Config.ini.minisig"));
    EXPECT_EQ(0u, ReadSettingUint64(kTrustSection, kConfigTimestampKey, settings));

    // Both requests go out on start-up's session.
    ASSERT_TRUE(WriteFileText(folder.Site() + L"Config.ini.minisig", Fixture("Config.ini.minisig")));
    const std::shared_ptr<InternetSession> session = InternetSession::Open(5000);
    ASSERT_NE(session, nullptr);
    const long sessionsBefore = InternetSession::OpenedCount();
    const ConfigAcceptance accepted = FetchSignedConfig(url, settings, keys, body, session);
    ASSERT_TRUE(accepted.ok) << accepted.error;
    EXPECT_EQ(sessionsBefore, InternetSession::OpenedCount());
    EXPECT_EQ(config, body);
    EXPECT_EQ(accepted.timestamp, ReadSettingUint64(kTrustSection, kConfigTimestampKey, settings));

    // A newer configuration was accepted since (time past 2038, past int32):
    // this one is now a replay, and the stored time stays.
    WriteSetting(kTrustSection, kConfigTimestampKey, settings, L"4102444800");
    body.clear();
    EXPECT_FALSE(FetchSignedConfig(url, settings, keys, body).ok);
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(4102444800u, ReadSettingUint64(kTrustSection, kConfigTimestampKey, settings));

    // A Config.ini changed after signing is refused over the wire too.
    ASSERT_TRUE(WriteFileText(folder.Site() + L"Config.ini", Replaced(config, "=", "= ")));
    WriteSetting(kTrustSection, kConfigTimestampKey, settings, L"0");
    EXPECT_FALSE(FetchSignedConfig(url, settings, keys, body).ok);

    // A build without keys takes the body as it comes and asks for no signature.
    server.ClearRequests();
    ASSERT_TRUE(FetchSignedConfig(url, settings, {}, body).ok);
    EXPECT_EQ(Replaced(config, "=", "= "), body);
    EXPECT_FALSE(StoredRequest(server.Requests(), ".minisig"));
}

TEST(SignedConfig, StoredTimeReadsAsSixtyFourBitsOrZero) {
    LauncherFolderFixture folder;
    const std::wstring& settings = folder.Folders().settings;
    const struct {
        const wchar_t* stored;
        uint64_t read;
    } cases[] = {
        {L"18446744073709551615", UINT64_MAX}, {L"18446744073709551616", 0}, {L"4102444800", 4102444800u},
        {L"-5", 0}, {L"12abc", 0}, {L"", 0},
    };
    for (const auto& c : cases) {
        WriteSetting(kTrustSection, kConfigTimestampKey, settings, c.stored);
        EXPECT_EQ(c.read, ReadSettingUint64(kTrustSection, kConfigTimestampKey, settings)) << c.stored;
    }
}
