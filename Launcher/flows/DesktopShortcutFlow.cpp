#include "Launcher/app/LauncherWindow.h"

#include <objbase.h>
#include <shlobj.h>

#include "pillar/ShellLink.h"

bool LauncherWindow::CreateDesktopShortcut(const std::wstring& targetPath, const std::wstring& workingFolder,
                                      const std::wstring& arguments, const std::wstring& linkFileName,
                                      const std::wstring& iconPath) {
    // The calling worker stays in its apartment until the process ends.
    if (FAILED(::CoInitialize(nullptr))) return false;
    wchar_t desktop[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return false;
    const std::wstring linkPath = pillar::LinkPathIn(desktop, linkFileName);
    if (linkPath.empty()) return false;
    return pillar::SaveShellLink(linkPath, pillar::ShellLinkProperties{targetPath, workingFolder, arguments, iconPath});
}
