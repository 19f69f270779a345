#include "Launcher/flows/UpdateAndLaunchFlow.h"

#include <windows.h>

#include "Launcher/config/GamePathRule.h"
#include "Launcher/net/HttpDownloader.h"
#include "Launcher/patch/CheckRecord.h"
#include "Launcher/patch/FileListPatcher.h"
#include "Launcher/patch/HashListEntries.h"
#include "Launcher/trust/ExpectedHash.h"

namespace {

NoticeKind NoticeOfListFetch(const HttpDownloader& fetch) {
    return fetch.failure == FetchFailure::TimedOut ? NoticeKind::DownloadTimedOut : NoticeKind::NetworkFailed;
}

// The fetched bytes are the ones the signed configuration names.
bool Vouched(const HttpDownloader& fetch, const trust::ExpectedHash& expected) {
    return expected.AcceptsBytes(fetch.buffer, static_cast<size_t>(fetch.size));
}

JobProgress PercentOnly(int percent) {
    JobProgress progress;
    progress.percent = percent;
    return progress;
}

// Bytes per second over the last stretch of at least half a second, so the
// shown speed follows the disk or network without jumping at every file.
class SpeedMeter {
public:
    SpeedMeter() : sinceTick_(GetTickCount64()) {}

    int64_t Update(int64_t bytesDone) {
        const ULONGLONG now = GetTickCount64();
        const ULONGLONG elapsed = now - sinceTick_;
        if (elapsed >= 500) {
            const int64_t moved = bytesDone > sinceBytes_ ? bytesDone - sinceBytes_ : 0;
            speed_ = moved * 1000 / static_cast<int64_t>(elapsed);
            sinceTick_ = now;
            sinceBytes_ = bytesDone;
        }
        return speed_;
    }

private:
    ULONGLONG sinceTick_;
    int64_t sinceBytes_ = 0;
    int64_t speed_ = 0;
};

} // namespace

UpdateAndLaunchFlow::UpdateAndLaunchFlow(std::shared_ptr<LauncherReport> report, LauncherFolders folders, int card,
                                         GameCard values, GameStarter startGame)
    : report_(std::move(report)), folders_(std::move(folders)), card_(card), values_(std::move(values)),
      startGame_(std::move(startGame)) {}

NoticeKind UpdateAndLaunchFlow::NoticeOfCheck(int32_t result, FileListPatcher::FetchFailure why) {
    switch (result) {
    case FileListPatcher::DownloadFailed:
        if (why == FileListPatcher::FetchFailure::NotFound) return NoticeKind::FileMissingOnServer;
        if (why == FileListPatcher::FetchFailure::TimedOut) return NoticeKind::DownloadTimedOut;
        return NoticeKind::NetworkFailed;
    case FileListPatcher::DownloadMismatch:
        return NoticeKind::FileMismatch;
    case FileListPatcher::HashMissing:
        return NoticeKind::ListRefused;
    case FileListPatcher::WriteFailed:
    case FileListPatcher::WrittenMismatch:  // the disk did not keep what was written
        return NoticeKind::CannotWrite;
    default:
        return NoticeKind::NetworkFailed;
    }
}

void UpdateAndLaunchFlow::GiveBack(NoticeKind reason) {
    report_->Notice(card_, NoticeInfo{reason});
    report_->CardStateChanged(card_, CardState::Installed);
}

bool UpdateAndLaunchFlow::LoadHashList(FileListPatcher& patcher, NoticeKind& fault) const {
    const trust::ExpectedHash expected = trust::ReadExpectedHash(values_.filesB2);
    fault = NoticeKind::GameSettingsRefused;
    if (values_.filesB2Link.empty()) {
        // Only a build without keys starts a game that has no hash list, and
        // only when no hash for one is given either.
        return expected.demand == trust::HashDemand::None && !trust::SigningRequired();
    }
    if (expected.demand == trust::HashDemand::Refuse) return false;
    HttpDownloader hashList;
    hashList.stallLimitMs = stallLimitMs_;
    if (!hashList.Fetch(values_.filesB2Link)) {
        fault = NoticeOfListFetch(hashList);
        return false;
    }
    fault = NoticeKind::ListRefused;
    if (!Vouched(hashList, expected)) return false;
    if (!StrongHashesOf(trust::ParseB2sumList(hashList.GetContent()), patcher.strongHashes)) return false;
    patcher.useHashList = true;
    return true;
}

void UpdateAndLaunchFlow::Run() {
    // The window refuses such a card first; a path out of the Game folder is
    // never joined, whoever starts the flow.
    if (!HasSafeGamePaths(values_)) {
        report_->Notice(card_, NoticeKind::GameSettingsRefused);
        return report_->CardStateChanged(card_, CardState::NotInstalled);
    }
    const trust::ExpectedHash listHash = trust::ReadExpectedHash(values_.upgradeB2);
    if (listHash.demand == trust::HashDemand::Refuse) return GiveBack(NoticeKind::GameSettingsRefused);
    HttpDownloader list;
    list.stallLimitMs = stallLimitMs_;
    if (!list.Fetch(values_.upgradeLink)) return GiveBack(NoticeOfListFetch(list));
    // A list the release does not vouch for would make the check repair the
    // game into whatever it names.
    if (!Vouched(list, listHash)) return GiveBack(NoticeKind::ListRefused);

    FileListPatcher patcher;
    NoticeKind hashListFault = NoticeKind::ListRefused;
    if (!LoadHashList(patcher, hashListFault)) return GiveBack(hashListFault);
    SpeedMeter speed;
    patcher.byteProgress = [&](const FileListPatcher::ByteCount& count) {
        JobProgress progress;
        progress.percent = count.percent;
        progress.bytesDone = count.done;
        progress.bytesTotal = count.total;
        progress.bytesPerSecond = speed.Update(count.done);
        report_->Progress(card_, progress);
    };
    patcher.downloader.stallLimitMs = stallLimitMs_;
    // The record stays in the launcher's own folder, so the game folder holds
    // exactly what the operator published.
    patcher.recordPath = CheckRecord::PathFor(folders_.tmp, values_.folderName);
    patcher.fullCheck = values_.fullCheck;
    patcher.SetLocations(values_.upgradePath, folders_.game + values_.folderName + L"\\");
    const int32_t checked = patcher.Run(list.GetContent());
    if (checked != FileListPatcher::Ok) return GiveBack(NoticeOfCheck(checked, patcher.fetchFailure));

    report_->Progress(card_, PercentOnly(100));
    // A missing executable or a refused start ends the job as a start does;
    // the game is not the launcher's concern once it runs.
    startGame_(MakeGameLaunchPlan(folders_.game, values_.exePath, values_.parameters));
    report_->CardStateChanged(card_, CardState::Installed);
}
