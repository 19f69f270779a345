#include "Launcher/flows/ArchiveInstall.h"

#include "pillar/PlainFileName.h"

namespace {

// The final display of a tool that succeeded.
void ShowDone(const ArchiveInstall::ShowProgress& show, ToolProgress last) {
    last.percent = 100;
    if (last.bytesTotal > 0) last.bytesDone = last.bytesTotal;
    last.secondsLeft = 0;
    show(last);
}

bool RunToCompletion(ConsoleToolRunner& tool, const ArchiveInstall::ShowProgress& show) {
    const ToolOutcome outcome = tool.WaitForEnd(ArchiveInstall::kToolSilenceLimitMs);
    tool.SetProgressHandler(nullptr);
    if (outcome.end != ToolEnd::Completed) return false;
    ShowDone(show, tool.Progress());
    return true;
}

} // namespace

ArchiveInstall::Result ArchiveInstall::Run(const std::wstring& tmpFolder, const std::string& url,
                                           const std::wstring& gameFolder, int& failedDownloads,
                                           const ShowProgress& show) {
    const std::wstring name = Aria2Control::FileNameOfUrl(url);
    // A name with "\" or ".." would make the tool write, and the clean-up
    // delete, a file outside the tmp folder.
    archivePath_ = pillar::IsPlainFileName(name) ? tmpFolder + name : std::wstring();

    if (archivePath_.empty() || !Download(tmpFolder, url, show)) {
        if (++failedDownloads >= kFailuresBeforeCleanup) {
            if (!archivePath_.empty()) Aria2Control::RemoveLeftovers(tmpFolder, name);
            failedDownloads = 0;
        }
        return Result::DownloadFailed;
    }
    failedDownloads = 0;

    if (!Unpack(gameFolder, show)) {
        // The archive itself may be what is broken; the next try fetches it anew.
        Aria2Control::RemoveLeftovers(tmpFolder, name);
        return Result::UnpackFailed;
    }
    return Result::Installed;
}

bool ArchiveInstall::Download(const std::wstring& tmpFolder, const std::string& url, const ShowProgress& show) {
    aria2_.SetProgressHandler(show);
    if (!aria2_.Start(tmpFolder, url)) {
        aria2_.SetProgressHandler(nullptr);
        return false;
    }
    return RunToCompletion(aria2_, show);
}

bool ArchiveInstall::Unpack(const std::wstring& gameFolder, const ShowProgress& show) {
    sevenZip_.SetProgressHandler(show);
    if (!sevenZip_.Extract(archivePath_, gameFolder)) {
        sevenZip_.SetProgressHandler(nullptr);
        return false;
    }
    return RunToCompletion(sevenZip_, show);
}
