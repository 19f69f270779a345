#include "Launcher/flows/ArchiveInstall.h"

#include "Launcher/flows/DownloadResume.h"
#include "Launcher/net/ArchiveProbe.h"
#include "pillar/DiskSpace.h"
#include "pillar/PlainFileName.h"

namespace {

// The final display of a tool that succeeded.
void ShowDone(const ArchiveInstall::ShowProgress& show, ToolProgress last) {
    last.percent = 100;
    if (last.bytesTotal > 0) last.bytesDone = last.bytesTotal;
    last.secondsLeft = 0;
    show(last);
}

ToolOutcome RunToCompletion(ConsoleToolRunner& tool, const ArchiveInstall::ShowProgress& show) {
    ToolOutcome outcome = tool.WaitForEnd(ArchiveInstall::kToolSilenceLimitMs);
    tool.SetProgressHandler(nullptr);
    if (outcome.end == ToolEnd::Completed && show) ShowDone(show, tool.Progress());
    return outcome;
}

NoticeInfo NoRoom(int64_t bytesNeeded, const std::wstring& drive) {
    if (bytesNeeded <= 0) return NoticeInfo(NoticeKind::DiskFull);
    return NoticeInfo(NoticeKind::NotEnoughSpace, bytesNeeded, drive);
}

} // namespace

NoticeInfo ArchiveInstall::NoticeForDownloadExit(DWORD exitCode, int64_t bytesNeeded, const std::wstring& drive) {
    switch (exitCode) {
    case Aria2Control::kExitDiskFull:
        return NoRoom(bytesNeeded, drive);
    case Aria2Control::kExitNotFound:
        return NoticeKind::DownloadNotFound;
    case Aria2Control::kExitTimedOut:
    case Aria2Control::kExitTooSlow:
        return NoticeKind::DownloadTimedOut;
    default:
        return NoticeKind::DownloadFailed;
    }
}

ArchiveInstall::Result ArchiveInstall::Fail(Result result, NoticeInfo notice) {
    failure_ = std::move(notice);
    return result;
}

ArchiveInstall::Result ArchiveInstall::Run(const std::wstring& tmpFolder, const std::string& url,
                                           const trust::ExpectedHash& archiveHash, const std::wstring& gameFolder,
                                           const ShowProgress& show) {
    failure_ = NoticeInfo();
    resumed_ = false;
    archivePath_.clear();
    if (archiveHash.demand == trust::HashDemand::Refuse) return Fail(Result::Refused, NoticeKind::GameSettingsRefused);
    const std::wstring name = Aria2Control::FileNameOfUrl(url);
    // A name with "\" or ".." would make the tool write, and the clean-up
    // delete, a file outside the tmp folder.
    archivePath_ = pillar::IsPlainFileName(name) ? tmpFolder + name : std::wstring();
    if (archivePath_.empty()) return Fail(Result::DownloadFailed, NoticeKind::DownloadFailed);

    const ProbeAnswer probe = ProbeArchive(url, kProbeTimeoutMs);
    // No answer at all: whatever is on disk may still be continued later.
    if (probe.result == ProbeResult::TimedOut) return Fail(Result::DownloadFailed, NoticeKind::DownloadTimedOut);
    if (probe.result == ProbeResult::Unreachable) return Fail(Result::DownloadFailed, NoticeKind::DownloadFailed);

    const PartialOnDisk disk = LookAtPartial(archivePath_);
    // A server error is mostly passing (maintenance, overload): keep what is
    // there for a later try rather than throw gigabytes away.
    if (probe.result == ProbeResult::Refused && probe.status >= 500 && disk.controlFile)
        return Fail(Result::DownloadFailed, NoticeKind::DownloadFailed);
    const ResumeDecision decision = DecideResume(disk, probe);
    const int64_t size = probe.result == ProbeResult::Answered ? probe.facts.size : -1;
    if (decision == ResumeDecision::StartOver && !RemovePartial(archivePath_))
        return Fail(Result::DownloadFailed, NoticeKind::CannotWrite);

    if (decision != ResumeDecision::UseComplete) {
        resumed_ = decision == ResumeDecision::Resume;
        // aria2c sizes the file at its start: a continued file holds its room.
        const int64_t there = resumed_ ? disk.archiveBytes : 0;
        const pillar::DriveRoom room = pillar::RoomOnDriveOf(tmpFolder);
        if (size > 0 && room.freeBytes >= 0 && room.freeBytes < size - there)
            return Fail(Result::DownloadFailed, NoRoom(size - there, room.drive));

        StoredFacts facts;
        facts.facts = probe.facts;
        // Only an answer with validators can prove a later try the same file.
        const bool keepFacts = size > 0 && probe.result == ProbeResult::Answered;
        if (keepFacts && !resumed_) WriteFacts(archivePath_, facts);

        ToolOutcome outcome = Download(tmpFolder, url, resumed_, show);
        if (outcome.end == ToolEnd::Failed && outcome.exitCode == Aria2Control::kExitBadRange) {
            // The server stopped answering ranges after the check: once more
            // from the start, which needs no range.
            resumed_ = false;
            if (!RemovePartial(archivePath_)) return Fail(Result::DownloadFailed, NoticeKind::CannotWrite);
            if (keepFacts) WriteFacts(archivePath_, facts);
            outcome = Download(tmpFolder, url, false, show);
        }
        if (outcome.end == ToolEnd::Silent) return Fail(Result::DownloadFailed, NoticeKind::DownloadTimedOut);
        if (outcome.end != ToolEnd::Completed) {
            const pillar::DriveRoom now = pillar::RoomOnDriveOf(tmpFolder);
            return Fail(Result::DownloadFailed, NoticeForDownloadExit(outcome.exitCode, size, now.drive));
        }
        facts.complete = true;
        if (keepFacts) WriteFacts(archivePath_, facts);
    } else if (show) {
        ToolProgress whole;
        whole.bytesDone = whole.bytesTotal = disk.archiveBytes;
        ShowDone(show, whole);
    }
    // A whole archive kept from an earlier try is checked as well: it may
    // have been changed on disk since, or the release changed under it.
    if (!archiveHash.AcceptsFile(archivePath_)) {
        RemovePartial(archivePath_);
        return Fail(Result::Refused, NoticeKind::DownloadRefused);
    }
    return Unpack(gameFolder, show);
}

ToolOutcome ArchiveInstall::Download(const std::wstring& tmpFolder, const std::string& url, bool resume,
                                     const ShowProgress& show) {
    aria2_.SetProgressHandler(show);
    if (!aria2_.Start(tmpFolder, url, resume)) {
        aria2_.SetProgressHandler(nullptr);
        return ToolOutcome{ToolEnd::NotStarted, 0};
    }
    return RunToCompletion(aria2_, show);
}

ArchiveInstall::Result ArchiveInstall::Unpack(const std::wstring& gameFolder, const ShowProgress& show) {
    // The room the unpacked files need, from the archive's own listing.
    int64_t unpacked = -1;
    if (sevenZip_.List(archivePath_) && RunToCompletion(sevenZip_, nullptr).end == ToolEnd::Completed)
        unpacked = sevenZip_.ListedTotal();
    const pillar::DriveRoom room = pillar::RoomOnDriveOf(gameFolder);
    if (unpacked > 0 && room.freeBytes >= 0 && room.freeBytes < unpacked)
        return Fail(Result::UnpackFailed, NoRoom(unpacked, room.drive));

    sevenZip_.SetProgressHandler(show);
    if (!sevenZip_.Extract(archivePath_, gameFolder)) {
        sevenZip_.SetProgressHandler(nullptr);
        return Fail(Result::UnpackFailed, NoticeKind::UnpackFailed);
    }
    if (RunToCompletion(sevenZip_, show).end == ToolEnd::Completed) return Result::Installed;
    // A full disk keeps the whole archive: freeing room and trying again
    // costs no download.
    if (sevenZip_.SawDiskFull()) return Fail(Result::UnpackFailed, NoRoom(unpacked, room.drive));
    // The archive itself may be what is broken; the next try fetches it anew.
    RemovePartial(archivePath_);
    return Fail(Result::UnpackFailed, NoticeKind::UnpackFailed);
}
