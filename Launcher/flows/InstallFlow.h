#pragma once
// The install job of one card: download the archive, unpack it into the game
// folder, delete the archive. Runs on a worker; reports to the window only.
#include <memory>

#include "Launcher/config/GameCard.h"
#include "Launcher/flows/CardJobs.h"
#include "Launcher/flows/LauncherFolders.h"
#include "Launcher/flows/LauncherReport.h"

class InstallFlow {
public:
    InstallFlow(std::shared_ptr<LauncherReport> report, std::shared_ptr<CardJobTools> tools, LauncherFolders folders,
                int card, GameCard values);

    // Reports the progress of both tools; then, on success, the card
    // Installed and, a second later, deletes the archive; on failure a
    // notice and the card as it is on disk.
    void Run();

private:
    std::shared_ptr<LauncherReport> report_;
    std::shared_ptr<CardJobTools> tools_;
    LauncherFolders folders_;
    int card_;
    GameCard values_;
};

// A tool's progress as the window shows it.
JobProgress JobProgressOf(const ToolProgress& progress);
