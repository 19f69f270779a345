#include "Launcher/flows/DesktopShortcutFlag.h"

#include "Launcher/config/LocalSettings.h"

bool MakeDesktopShortcutOnce(const std::wstring& settingsPath, const std::function<bool()>& makeShortcut) {
    if (ReadSettingInt(L"LAUNCHER", L"LinkFlag", settingsPath) != 0) return false;
    makeShortcut();
    WriteSetting(L"LAUNCHER", L"LinkFlag", settingsPath, L"1");
    return true;
}
