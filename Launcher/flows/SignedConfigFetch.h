#pragma once
// Config.ini is used only once its minisign signature (Config.ini.minisig,
// fetched from beside it) verifies with a key built into the program, names
// the file Config.ini, and is not older than the last configuration this
// launcher accepted: an old signed configuration replayed by whoever answers
// for the address could otherwise bring back links and hashes since
// replaced. A build without keys takes the configuration as fetched.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/trust/MinisignKey.h"

class InternetSession;

// Where the accepted configuration's signing time is kept in GameSetting.INI.
extern const wchar_t kTrustSection[];
extern const wchar_t kConfigTimestampKey[];

struct ConfigAcceptance {
    bool ok = false;
    std::string error;       // why it was refused, when !ok
    uint64_t timestamp = 0;  // the signature's time, when ok
};

// The decision alone, on bytes already fetched. `lastAccepted` is the time of
// the last accepted configuration (0 for none); the same time again passes,
// so the same release can be fetched on every start.
ConfigAcceptance CheckSignedConfig(std::string_view config, std::string_view signatureFile,
                                   const std::vector<trust::MinisignPublicKey>& trustedKeys, uint64_t lastAccepted);

// Fetches `url`, and with trusted keys `url` + ".minisig" at the same time
// (one round trip, not two, on a slow link), and decides. Both requests go
// out on `session` when given. On acceptance the body goes to `config` and
// the signature's time is stored in `settingsPath`; a refusal stores nothing
// and is reported like a failed fetch, so the caller retries.
ConfigAcceptance FetchSignedConfig(const std::string& url, const std::wstring& settingsPath,
                                   const std::vector<trust::MinisignPublicKey>& trustedKeys, std::string& config,
                                   std::shared_ptr<InternetSession> session = nullptr);
