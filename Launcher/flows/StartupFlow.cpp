#include "Launcher/flows/StartupFlow.h"

#include "Launcher/config/CardContent.h"
#include "Launcher/config/LanguageSetting.h"
#include "Launcher/config/LauncherConfig.h"
#include "Launcher/flows/DesktopShortcutFlow.h"
#include "Launcher/flows/SelfUpdateFlow.h"
#include "Launcher/flows/SignedConfigFetch.h"
#include "Launcher/net/HttpDownloader.h"
#include "Launcher/net/HttpRequest.h"
#include "Launcher/trust/ExpectedHash.h"
#include "Launcher/trust/TrustedKeys.h"

StartupFlow::StartupFlow(std::shared_ptr<LauncherReport> report, LauncherFolders folders, std::string configUrl,
                         std::shared_ptr<StartupRetryGate> gate)
    : report_(std::move(report)), folders_(std::move(folders)), configUrl_(std::move(configUrl)),
      gate_(gate ? std::move(gate) : std::make_shared<StartupRetryGate>()) {}

bool StartupFlow::Run() {
    // One session for the configuration and every picture: its kept-alive
    // connections carry them all. Without WinINet each fetch fails alone.
    if (!session_) session_ = InternetSession::Open(imageStallLimitMs);
    LauncherConfig config;
    for (int failed = 1;; ++failed) {
        std::string body;
        if (FetchSignedConfig(configUrl_, folders_.settings, trust::BuiltInSigningKeys(), body, session_).ok) {
            config.Parse(body);
            break;
        }
        report_->Notice(kWholeWindow, NoticeKind::ConfigUnreachable);
        if (!gate_->Wait(retryPauseMs(failed))) return false;
    }
    if (NeedsSelfUpdate(config)) {
        RunSelfUpdate(folders_, config.GetString("Launcher", "UpgradeLink"),
                      trust::ReadExpectedHash(config.GetString("Launcher", "UpgradeB2")));
    }

    const LauncherContent launcher = ReadLauncherContent(config);
    report_->Title(launcher.title);
    std::vector<ImageJob> images{{launcher.logoUrl, L"Logo.png", WindowImage::Logo, kWholeWindow}};
    for (int card = 0; card < kCardCount; ++card) {
        GameCard values;
        const CardContent content = ReadCardContent(config, card, folders_.game, values);
        report_->CardFilled(card, values, content);
        if (!content.shown) continue;  // an unavailable card fetches nothing
        images.push_back({content.iconUrl, std::wstring(), WindowImage::CardIcon, card});
        images.push_back({content.backImageUrl, std::wstring(), WindowImage::CardBackground, card});
    }
    FetchImages(images);

    MakeShortcutOnFirstStart(folders_, launcher.linkName);
    report_->LanguageChosen(ReadStoredLanguage(folders_.settings));
    report_->StartupDone();
    return true;
}

void StartupFlow::FetchImages(const std::vector<ImageJob>& images) {
    if (!session_) return;  // no WinINet at all: the skin's pictures stay
    StartupImages fetcher(folders_.tmp, session_);
    fetcher.stallLimitMs = imageStallLimitMs;
    fetcher.FetchAll(images, [this](const ImageJob& job, const std::wstring& path) {
        report_->Image(job.which, job.card, path);
    });
}
