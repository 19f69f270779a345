#include "Launcher/flows/UpdateAndLaunchFlow.h"

#include "Launcher/net/HttpDownloader.h"
#include "Launcher/patch/FileListPatcher.h"
#include "pillar/EndProcessAtOnce.h"

namespace {

JobProgress PercentOnly(int percent) {
    JobProgress progress;
    progress.percent = percent;
    return progress;
}

} // namespace

UpdateAndLaunchFlow::UpdateAndLaunchFlow(std::shared_ptr<LauncherReport> report, LauncherFolders folders, int card,
                                         GameCard values, GameStarter startGame)
    : report_(std::move(report)), folders_(std::move(folders)), card_(card), values_(std::move(values)),
      startGame_(std::move(startGame)) {}

void UpdateAndLaunchFlow::Run() {
    HttpDownloader list;
    if (!list.Fetch(values_.upgradeLink)) pillar::EndProcessAtOnce();

    FileListPatcher patcher;
    patcher.progress = [this](int percent) { report_->Progress(card_, PercentOnly(percent)); };
    patcher.SetLocations(values_.upgradePath, folders_.game + values_.folderName + L"\\");
    if (patcher.Run(list.GetContent()) != FileListPatcher::Ok) pillar::EndProcessAtOnce();

    report_->Progress(card_, PercentOnly(100));
    // A missing executable or a refused start ends the job as a start does;
    // the game is not the launcher's concern once it runs.
    startGame_(MakeGameLaunchPlan(folders_.game, values_.exePath, values_.parameters));
    report_->CardStateChanged(card_, CardState::Installed);
}
