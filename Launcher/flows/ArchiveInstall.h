#pragma once
// One try at installing a card's game: the download tool fetches the archive
// into the tmp folder, then the archiver unpacks it into the game folder.
// Each tool's progress is handed on as its output arrives. A tool that ends
// without reporting completion fails the try instead of being waited for
// forever, and so does one that prints nothing for kToolSilenceLimitMs.
//
// A partial archive left by an earlier try is continued only when the server
// still holds the same file (DownloadResume.h); a whole archive whose unpack
// could not finish for lack of room is unpacked again without a download.
//
// Nothing is unpacked before the archive's BLAKE2b-512 matches the one the
// signed configuration names; an archive that does not is deleted.
#include <windows.h>

#include <functional>
#include <string>

#include "Launcher/console/Aria2Control.h"
#include "Launcher/console/SevenZipControl.h"
#include "Launcher/flows/LauncherReport.h"
#include "Launcher/trust/ExpectedHash.h"

class ArchiveInstall {
public:
    enum class Result {
        Installed,       // downloaded and unpacked
        DownloadFailed,  // no download, or the download tool ended without completion
        UnpackFailed,    // the archiver did not start or ended without success
        Refused,         // the archive's hash is not the release's, or none may be checked
    };

    // aria2c prints a summary every 5 s and 7-Zip a line per percent; a tool
    // silent for this long is hung and is ended.
    static constexpr DWORD kToolSilenceLimitMs = 60000;
    // Each wait of the server check before a download.
    static constexpr DWORD kProbeTimeoutMs = 15000;

    // Called on the tools' reader threads: the download's progress, then the
    // unpack's (a new percent from 0), each ending on 100 when it succeeded.
    using ShowProgress = std::function<void(const ToolProgress& progress)>;

    ArchiveInstall(Aria2Control& aria2, SevenZipControl& sevenZip) : aria2_(aria2), sevenZip_(sevenZip) {}

    // Downloads `url` into `tmpFolder` and unpacks it into `gameFolder` (both
    // ending in "\"). An archive name that is not a plain file name starts no
    // tool and fails like a download. A failed or stalled download keeps its
    // files for the next try; so does a lack of room. A failed unpack deletes
    // the archive (it may be what is damaged) unless the disk was full.
    // `archiveHash` is what the archive must hash to; a Refuse demand starts
    // no tool.
    Result Run(const std::wstring& tmpFolder, const std::string& url, const trust::ExpectedHash& archiveHash,
               const std::wstring& gameFolder, const ShowProgress& show);

    // tmpFolder + the archive's name, once Run has taken it from the URL;
    // empty when the name was refused.
    const std::wstring& ArchivePath() const { return archivePath_; }
    // Why the last Run failed, in the player's terms.
    const NoticeInfo& Failure() const { return failure_; }
    // The last Run continued a partial download.
    bool Resumed() const { return resumed_; }

    // The notice for aria2c's exit code; `bytesNeeded` and `drive` go into the
    // notice of a full disk when the size is known.
    static NoticeInfo NoticeForDownloadExit(DWORD exitCode, int64_t bytesNeeded, const std::wstring& drive);

private:
    ToolOutcome Download(const std::wstring& tmpFolder, const std::string& url, bool resume, const ShowProgress& show);
    Result Unpack(const std::wstring& gameFolder, const ShowProgress& show);
    Result Fail(Result result, NoticeInfo notice);

    Aria2Control& aria2_;
    SevenZipControl& sevenZip_;
    std::wstring archivePath_;
    NoticeInfo failure_;
    bool resumed_ = false;
};
