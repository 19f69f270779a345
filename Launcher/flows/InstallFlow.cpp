#include "Launcher/flows/InstallFlow.h"

#include <windows.h>

#include "Launcher/config/CardContent.h"
#include "Launcher/config/GamePathRule.h"
#include "Launcher/flows/ArchiveInstall.h"
#include "Launcher/flows/DownloadResume.h"
#include "Launcher/trust/ExpectedHash.h"

namespace {

constexpr DWORD kArchiveDeleteDelayMs = 1000;

} // namespace

JobProgress JobProgressOf(const ToolProgress& progress) {
    JobProgress job;
    job.percent = progress.percent;
    job.bytesDone = progress.bytesDone;
    job.bytesTotal = progress.bytesTotal;
    job.bytesPerSecond = progress.bytesPerSecond;
    job.secondsLeft = progress.secondsLeft;
    return job;
}

InstallFlow::InstallFlow(std::shared_ptr<LauncherReport> report, std::shared_ptr<CardJobTools> tools,
                         LauncherFolders folders, int card, GameCard values)
    : report_(std::move(report)), tools_(std::move(tools)), folders_(std::move(folders)), card_(card),
      values_(std::move(values)) {}

void InstallFlow::Run() {
    // As in UpdateAndLaunchFlow: nothing is written for a card whose paths
    // could leave the Game folder.
    if (!HasSafeGamePaths(values_)) {
        report_->Notice(card_, NoticeKind::GameSettingsRefused);
        return report_->CardStateChanged(card_, CardState::NotInstalled);
    }
    ArchiveInstall install(tools_->aria2, tools_->sevenZip);
    const auto show = [this](const ToolProgress& progress) { report_->Progress(card_, JobProgressOf(progress)); };
    const ArchiveInstall::Result result = install.Run(folders_.tmp, values_.downloadLink,
                                                      trust::ReadExpectedHash(values_.downloadB2), folders_.game, show);

    if (result == ArchiveInstall::Result::Installed) {
        report_->CardStateChanged(card_, CardState::Installed);
        // The start button shows a moment before the archive goes; the job,
        // and so the window's wait for it, ends only once it has gone.
        ::Sleep(kArchiveDeleteDelayMs);
        RemovePartial(install.ArchivePath());
        return;
    }
    report_->Notice(card_, install.Failure());
    // The start button only for a game that is there.
    const bool installed = IsGameInstalled(folders_.game, values_.exePath);
    report_->CardStateChanged(card_, installed ? CardState::Installed : CardState::NotInstalled);
}
