#pragma once
// What the workflows tell the window, and nothing else: a card's progress,
// a notice, a card's new state, and what start-up puts on the window.
// Workflows call it on their worker threads. The window's implementation
// posts every call to the UI thread in the order it was made, so no workflow
// touches a control, and each can be tested with a recording stand-in.
#include <cstdint>
#include <string>
#include <utility>

#include "Launcher/config/CardContent.h"
#include "Launcher/config/GameCard.h"
#include "Launcher/config/LanguageSetting.h"

constexpr int kCardCount = 6;

// The card number of a report about the whole window.
constexpr int kWholeWindow = -1;

struct JobProgress {
    int percent = 0;  // 0 ... 100
    int64_t bytesDone = 0;
    int64_t bytesTotal = 0;      // 0 when unknown
    int64_t bytesPerSecond = 0;  // 0 when unknown
    int64_t secondsLeft = 0;     // 0 when unknown
};

enum class CardState {
    NotInstalled,  // the card's menu, no start button
    Installed,     // the start button
    Working,       // the progress box; every card button waits for the job
};

// Why a job or start-up did not get through, in the player's terms.
enum class NoticeKind {
    DownloadFailed,      // any other download failure
    UnpackFailed,        // the archive is damaged (it is deleted)
    DownloadTimedOut,    // the server stalled or answered too slowly
    DownloadNotFound,    // the server has no such file
    DiskFull,            // the disk filled while writing
    NotEnoughSpace,      // checked before writing: see `bytesNeeded`, `drive`
    NetworkFailed,       // a fetch before start failed on the network
    FileMissingOnServer, // a listed file answered "not found"
    FileMismatch,        // a downloaded file does not match its list value
    CannotWrite,         // a game file could not be written
    ConfigUnreachable,   // start-up could not fetch the configuration
    DownloadRefused,     // the archive's hash is not the release's (it is deleted)
    ListRefused,         // an update list or hash list is not the release's
    GameSettingsRefused, // the card's folder, program or hash keys are unsafe or missing
    LinkRefused,         // a link is not an http:// or https:// address
};

struct NoticeInfo {
    NoticeInfo() = default;
    // Most notices are their kind alone.
    NoticeInfo(NoticeKind kind) : kind(kind) {}  // NOLINT(google-explicit-constructor)
    NoticeInfo(NoticeKind kind, int64_t bytesNeeded, std::wstring drive)
        : kind(kind), bytesNeeded(bytesNeeded), drive(std::move(drive)) {}

    NoticeKind kind = NoticeKind::DownloadFailed;
    int64_t bytesNeeded = 0;  // NotEnoughSpace: the room the job needs
    std::wstring drive;       // NotEnoughSpace: "C:\"
};

enum class WindowImage { Logo, CardIcon, CardBackground };

class LauncherReport {
public:
    virtual ~LauncherReport() = default;

    // --- a card's job ---
    virtual void Progress(int card, const JobProgress& progress) = 0;
    // Something went wrong; the card's next state follows as its own report.
    virtual void Notice(int card, const NoticeInfo& notice) = 0;
    virtual void CardStateChanged(int card, CardState state) = 0;

    // --- start-up ---
    virtual void Title(const std::wstring& title) = 0;
    // A card's configuration values and what it shows; `content.shown` false
    // hides the card.
    virtual void CardFilled(int card, const GameCard& values, const CardContent& content) = 0;
    // A picture saved at `path` for the logo (card kWholeWindow) or a card.
    virtual void Image(WindowImage which, int card, const std::wstring& path) = 0;
    virtual void LanguageChosen(LauncherLanguage language) = 0;
    // The cards replace the loading picture.
    virtual void StartupDone() = 0;
};
