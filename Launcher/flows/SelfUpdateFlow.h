#pragma once
// Replaces the running launcher with the program the configuration names:
// the new program is saved beside it and a batch file swaps the two once
// this process has ended. Every way out ends the process at once; a failure
// shows the self-update error box first.
#include <string>

#include "Launcher/flows/LauncherFolders.h"

[[noreturn]] void RunSelfUpdate(const LauncherFolders& folders, const std::string& upgradeUrl);
