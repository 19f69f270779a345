#include "Launcher/flows/ArchiveInstall.h"

#include <atomic>

#include "pillar/PlainFileName.h"

namespace {

// Shows the tool's percent every poll until `done` is set. False when the
// tool ended (or was never started) without setting it.
bool FollowTool(const ConsoleToolRunner& tool, const std::atomic<int32_t>& done,
                const std::atomic<int32_t>& percent, const ArchiveInstall::ShowPercent& show) {
    for (;;) {
        if (done.load() != 0) return true;
        // Ended means the reader has parsed the last output and, for an exit
        // code of 0, already set `done`: a second look decides.
        if (tool.GetToolStatus() != ToolStatus::Running) return done.load() != 0;
        show(percent.load());
        Sleep(ArchiveInstall::kPollMs);
    }
}

} // namespace

ArchiveInstall::Result ArchiveInstall::Run(const std::string& tmpFolder, const std::string& url,
                                           const std::string& gameFolder, int& failedDownloads,
                                           const ShowPercent& show) {
    const std::string name = Aria2Control::FileNameOfUrl(url);
    // A name with "\" or ".." would make the tool write, and the clean-up
    // delete, a file outside the tmp folder.
    archivePath_ = pillar::IsPlainFileName(name) ? tmpFolder + name : std::string();

    if (archivePath_.empty() || !Download(tmpFolder, url, show)) {
        if (++failedDownloads >= kFailuresBeforeCleanup) {
            if (!archivePath_.empty()) Aria2Control::RemoveLeftovers(tmpFolder, name);
            failedDownloads = 0;
        }
        return Result::DownloadFailed;
    }
    failedDownloads = 0;
    show(100);

    if (!Unpack(gameFolder, show)) {
        // The archive itself may be what is broken; the next try fetches it anew.
        Aria2Control::RemoveLeftovers(tmpFolder, name);
        return Result::UnpackFailed;
    }
    show(100);
    return Result::Installed;
}

bool ArchiveInstall::Download(const std::string& tmpFolder, const std::string& url, const ShowPercent& show) {
    if (!aria2_.Start(tmpFolder, url)) return false;
    return FollowTool(aria2_, aria2_.progress.completed, aria2_.progress.percent, show);
}

bool ArchiveInstall::Unpack(const std::string& gameFolder, const ShowPercent& show) {
    if (!sevenZip_.Extract(archivePath_, gameFolder)) return false;
    return FollowTool(sevenZip_, sevenZip_.finished, sevenZip_.percent, show);
}
