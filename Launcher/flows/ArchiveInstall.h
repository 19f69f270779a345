#pragma once
// One try at installing a card's game: the download tool fetches the archive
// into the tmp folder, then the archiver unpacks it into the game folder.
// Each tool's progress is handed on as its output arrives. A tool that ends
// without reporting completion fails the try instead of being waited for
// forever, and so does one that prints nothing for kToolSilenceLimitMs.
#include <windows.h>

#include <functional>
#include <string>

#include "Launcher/console/Aria2Control.h"
#include "Launcher/console/SevenZipControl.h"

class ArchiveInstall {
public:
    enum class Result {
        Installed,       // downloaded and unpacked
        DownloadFailed,  // the download tool did not start or ended without completion
        UnpackFailed,    // the archiver did not start or ended without success
    };

    // Downloads in a row that may fail before the archive and its control
    // file are thrown away, so the next try starts clean.
    static constexpr int kFailuresBeforeCleanup = 2;
    // aria2c prints a summary every 5 s and 7-Zip a line per percent; a tool
    // silent for this long is hung and is ended.
    static constexpr DWORD kToolSilenceLimitMs = 120000;

    // Called on the tools' reader threads: the download's progress, then the
    // unpack's (a new percent from 0), each ending on 100 when it succeeded.
    using ShowProgress = std::function<void(const ToolProgress& progress)>;

    ArchiveInstall(Aria2Control& aria2, SevenZipControl& sevenZip) : aria2_(aria2), sevenZip_(sevenZip) {}

    // Downloads `url` into `tmpFolder` and unpacks it into `gameFolder` (both
    // ending in "\"). `failedDownloads` is the card's count of downloads in a
    // row that failed: a failed download adds one, a completed one resets it.
    // An archive name that is not a plain file name starts no tool and fails
    // like a download. After a failed unpack, or the second failed download
    // in a row, the archive and its control file are deleted; after a single
    // failed download they stay.
    Result Run(const std::wstring& tmpFolder, const std::string& url, const std::wstring& gameFolder,
               int& failedDownloads, const ShowProgress& show);

    // tmpFolder + the archive's name, once Run has taken it from the URL;
    // empty when the name was refused.
    const std::wstring& ArchivePath() const { return archivePath_; }

private:
    bool Download(const std::wstring& tmpFolder, const std::string& url, const ShowProgress& show);
    bool Unpack(const std::wstring& gameFolder, const ShowProgress& show);

    Aria2Control& aria2_;
    SevenZipControl& sevenZip_;
    std::wstring archivePath_;
};
