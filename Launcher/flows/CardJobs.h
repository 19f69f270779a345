#pragma once
// What the card jobs share across tries: the two console tools (so the
// close button can end them). One job runs at a time (the window allows no
// second while one works).
#include "Launcher/console/Aria2Control.h"
#include "Launcher/console/SevenZipControl.h"
#include "Launcher/flows/LauncherReport.h"

struct CardJobTools {
    Aria2Control aria2;
    SevenZipControl sevenZip;
};
