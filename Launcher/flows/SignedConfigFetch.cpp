#include "Launcher/flows/SignedConfigFetch.h"

#include <thread>

#include "Launcher/config/LocalSettings.h"
#include "Launcher/net/HttpDownloader.h"
#include "Launcher/trust/SignatureCheck.h"

const wchar_t kTrustSection[] = L"Trust";
const wchar_t kConfigTimestampKey[] = L"ConfigTimestamp";

namespace {

constexpr char kSignedFileName[] = "Config.ini";

ConfigAcceptance Refused(std::string error) {
    ConfigAcceptance refusal;
    refusal.error = std::move(error);
    return refusal;
}

} // namespace

ConfigAcceptance CheckSignedConfig(std::string_view config, std::string_view signatureFile,
                                   const std::vector<trust::MinisignPublicKey>& trustedKeys, uint64_t lastAccepted) {
    const trust::VerifiedSignature verified =
        trust::VerifySignedBuffer(config.data(), config.size(), signatureFile, trustedKeys);
    if (!verified.ok) return Refused("Config.ini signature: " + verified.error);
    // A signature of another signed file of the same operator is no
    // signature of the configuration.
    if (verified.fileName != kSignedFileName)
        return Refused("Config.ini signature names the file '" + verified.fileName + "'");
    if (verified.timestamp < lastAccepted)
        return Refused("Config.ini was signed at " + std::to_string(verified.timestamp) +
                       ", before the configuration accepted last (" + std::to_string(lastAccepted) + ")");
    ConfigAcceptance accepted;
    accepted.ok = true;
    accepted.timestamp = verified.timestamp;
    return accepted;
}

ConfigAcceptance FetchSignedConfig(const std::string& url, const std::wstring& settingsPath,
                                   const std::vector<trust::MinisignPublicKey>& trustedKeys, std::string& config,
                                   std::shared_ptr<InternetSession> session) {
    HttpDownloader configDownload;
    configDownload.session = session;
    HttpDownloader signatureDownload;
    signatureDownload.session = session;
    bool signatureFetched = false;
    std::thread signatureFetch;
    if (!trustedKeys.empty())
        signatureFetch = std::thread([&] { signatureFetched = signatureDownload.Fetch(url + ".minisig"); });
    const bool configFetched = configDownload.Fetch(url);
    if (signatureFetch.joinable()) signatureFetch.join();

    if (!configFetched) return Refused("Config.ini could not be fetched");
    if (trustedKeys.empty()) {
        config = configDownload.GetContent();
        ConfigAcceptance unchecked;
        unchecked.ok = true;
        return unchecked;
    }
    if (!signatureFetched) return Refused("Config.ini.minisig could not be fetched");

    const std::string body = configDownload.GetContent();
    const uint64_t lastAccepted = ReadSettingUint64(kTrustSection, kConfigTimestampKey, settingsPath);
    ConfigAcceptance decision = CheckSignedConfig(body, signatureDownload.GetContent(), trustedKeys, lastAccepted);
    if (!decision.ok) return decision;
    if (decision.timestamp != lastAccepted)
        WriteSetting(kTrustSection, kConfigTimestampKey, settingsPath, std::to_wstring(decision.timestamp));
    config = body;
    return decision;
}
