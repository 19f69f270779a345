#pragma once
// The desktop shortcut is made once: "LAUNCHER"/"LinkFlag" in the local
// settings file records that it was tried.
#include <functional>
#include <string>

// Runs `makeShortcut` when the flag is 0 or absent, then sets the flag to 1
// whatever the result, so a failed attempt is not repeated at every start
// (clearing the flag asks for another). Returns whether it ran.
bool MakeDesktopShortcutOnce(const std::wstring& settingsPath, const std::function<bool()>& makeShortcut);
