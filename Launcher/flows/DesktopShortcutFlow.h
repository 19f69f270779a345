#pragma once
// The desktop shortcut to the launcher, made on the first start only.
#include <string>

#include "Launcher/flows/LauncherFolders.h"

// Saves "<linkName>.lnk" on the desktop, pointing at the running launcher,
// unless the settings file says it was tried before; then records the try.
// True when a link was saved now. Joins the calling thread to a COM
// apartment for the rest of its life.
bool MakeShortcutOnFirstStart(const LauncherFolders& folders, const std::wstring& linkName);
