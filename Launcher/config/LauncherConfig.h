#pragma once
// The parsed remote configuration (Config.ini): section "Launcher" and the
// six game sections. Filled once per run by the configuration worker, then
// only read.
#include "Launcher/config/IniDocument.h"

// The launcher's own version; any other "Launcher"/"Version" (absent = 0)
// makes the launcher replace itself.
constexpr int kLauncherVersion = 10001;

class LauncherConfig : public IniDocument {};
