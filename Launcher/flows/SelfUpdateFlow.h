#pragma once
// Replaces the running launcher with the program the configuration names:
// the new program is saved beside it and a batch file swaps the two once
// this process has ended. Every way out ends the process at once; a failure
// shows the self-update error box first.
//
// The new program must hash to the BLAKE2b-512 the signed configuration
// names ("UpgradeB2"): whoever can change what the server sends must not get
// to replace a launcher that runs with administrator rights.
#include <string>

#include "Launcher/flows/LauncherFolders.h"
#include "Launcher/trust/ExpectedHash.h"

// Downloads and checks the new program, saves it and writes the batch file.
// 0 when both are in place; otherwise the error code for UpdateErrorText,
// and neither file is left behind.
int PrepareSelfUpdate(const LauncherFolders& folders, const std::string& upgradeUrl,
                      const trust::ExpectedHash& programHash);

[[noreturn]] void RunSelfUpdate(const LauncherFolders& folders, const std::string& upgradeUrl,
                                const trust::ExpectedHash& programHash);
