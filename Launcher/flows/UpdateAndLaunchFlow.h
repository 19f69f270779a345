#pragma once
// The start job of one card: fetch the update list and the game's hash list,
// check both against the hashes of the signed configuration, repair what
// differs, start the game. Runs on a worker; reports to the window only.
#include <windows.h>

#include <functional>
#include <memory>

#include "Launcher/config/GameCard.h"
#include "Launcher/flows/GameLaunchPlan.h"
#include "Launcher/flows/LauncherFolders.h"
#include "Launcher/flows/LauncherReport.h"
#include "Launcher/patch/FileListPatcher.h"

class UpdateAndLaunchFlow {
public:
    // Starts the game; StartGame unless a test watches the start.
    using GameStarter = std::function<bool(const GameLaunchPlan& plan)>;

    UpdateAndLaunchFlow(std::shared_ptr<LauncherReport> report, LauncherFolders folders, int card, GameCard values,
                        GameStarter startGame = StartGame);

    // Reports the check's progress (percent, bytes and speed), then 100,
    // then starts the game and gives the card back. A list that cannot be
    // fetched, or a file that cannot be repaired, is reported as a notice
    // and the card is given back without a start: a game is never started
    // with files that were not checked.
    void Run();

    // The player's reason for a failed check: a FileListPatcher result and,
    // for a failed download, why it failed.
    static NoticeKind NoticeOfCheck(int32_t result, FileListPatcher::FetchFailure why);

    // Longest silence of the server before a fetch counts as timed out.
    void SetStallLimit(DWORD ms) { stallLimitMs_ = ms; }

private:
    void GiveBack(NoticeKind reason);
    // Fetches, checks and hands the patcher the game's hash list; false with
    // the player's reason when the start must not go on.
    bool LoadHashList(FileListPatcher& patcher, NoticeKind& fault) const;

    std::shared_ptr<LauncherReport> report_;
    LauncherFolders folders_;
    int card_;
    GameCard values_;
    GameStarter startGame_;
    DWORD stallLimitMs_ = 30000;
};
