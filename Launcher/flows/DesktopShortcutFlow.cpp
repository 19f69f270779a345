#include "Launcher/flows/DesktopShortcutFlow.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "Launcher/flows/DesktopShortcutFlag.h"
#include "pillar/ShellLink.h"

namespace {

bool SaveDesktopShortcut(const LauncherFolders& folders, const std::wstring& linkFileName) {
    if (FAILED(::CoInitialize(nullptr))) return false;
    wchar_t desktop[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return false;
    const std::wstring linkPath = pillar::LinkPathIn(desktop, linkFileName);
    if (linkPath.empty()) return false;
    // The folder ends in "\" already: a second separator made the link's
    // item list name the folder twice (<folder>\<folder>\Launcher.exe,
    // which does not exist).
    const std::wstring self = folders.base + folders.exeName;
    return pillar::SaveShellLink(linkPath, pillar::ShellLinkProperties{self, folders.base, std::wstring(), self});
}

} // namespace

bool MakeShortcutOnFirstStart(const LauncherFolders& folders, const std::wstring& linkName) {
    bool saved = false;
    MakeDesktopShortcutOnce(folders.settings, [&] { return saved = SaveDesktopShortcut(folders, linkName + L".lnk"); });
    return saved;
}
