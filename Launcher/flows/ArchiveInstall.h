#pragma once
// One try at installing a card's game: the download tool fetches the archive
// into the tmp folder, then the archiver unpacks it into the game folder.
// Percentages go to a display callback every poll. A tool that ends without
// reporting completion fails the try instead of being waited for forever.
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

    // How often the tools' progress is read and shown.
    static constexpr DWORD kPollMs = 100;
    // Downloads in a row that may fail before the archive and its control
    // file are thrown away, so the next try starts clean.
    static constexpr int kFailuresBeforeCleanup = 2;

    using ShowPercent = std::function<void(int percent)>;

    ArchiveInstall(Aria2Control& aria2, SevenZipControl& sevenZip) : aria2_(aria2), sevenZip_(sevenZip) {}

    // Downloads `url` into `tmpFolder` and unpacks it into `gameFolder` (both
    // in the system code page, ending in "\"). `failedDownloads` is the
    // card's count of downloads in a row that failed: a failed download adds
    // one, a completed one resets it. An archive name that is not a plain
    // file name starts no tool and fails like a download. After a failed
    // unpack, or the second failed download in a row, the archive and its
    // control file are deleted; after a single failed download they stay.
    Result Run(const std::string& tmpFolder, const std::string& url, const std::string& gameFolder,
               int& failedDownloads, const ShowPercent& show);

    // tmpFolder + the archive's name, once Run has taken it from the URL;
    // empty when the name was refused.
    const std::string& ArchivePath() const { return archivePath_; }

private:
    bool Download(const std::string& tmpFolder, const std::string& url, const ShowPercent& show);
    bool Unpack(const std::string& gameFolder, const ShowPercent& show);

    Aria2Control& aria2_;
    SevenZipControl& sevenZip_;
    std::string archivePath_;
};
