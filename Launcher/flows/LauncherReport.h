#pragma once
// What the workflows tell the window, and nothing else: a card's progress,
// a notice, a card's new state, and what start-up puts on the window.
// Workflows call it on their worker threads. The window's implementation
// posts every call to the UI thread in the order it was made, so no workflow
// touches a control, and each can be tested with a recording stand-in.
#include <cstdint>
#include <string>

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

enum class NoticeKind {
    DownloadFailed,
    UnpackFailed,
};

enum class WindowImage { Logo, CardIcon, CardBackground };

class LauncherReport {
public:
    virtual ~LauncherReport() = default;

    // --- a card's job ---
    virtual void Progress(int card, const JobProgress& progress) = 0;
    // Something went wrong; the card's next state follows as its own report.
    virtual void Notice(int card, NoticeKind notice) = 0;
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
