#pragma once
// What the card jobs share across tries: the two console tools (so the
// close button can end them) and, per card, how many downloads in a row
// ended without completion. One job runs at a time (the window allows no
// second while one works), so the counts need no lock.
#include <array>

#include "Launcher/console/Aria2Control.h"
#include "Launcher/console/SevenZipControl.h"
#include "Launcher/flows/LauncherReport.h"

struct CardJobTools {
    Aria2Control aria2;
    SevenZipControl sevenZip;
    std::array<int, kCardCount> failedDownloads{};
};
