#include "Launcher/BasicForm.h"

#include <objbase.h>
#include <shlobj.h>

#include "Launcher/ShellLink.h"

bool BasicForm::CreateDesktopShortcut(const std::wstring& targetPath, const std::wstring& workingFolder,
                                      const std::wstring& arguments, const std::wstring& linkFileName,
                                      const std::wstring& iconPath) {
    // The calling worker stays in its apartment until the process ends.
    if (FAILED(::CoInitialize(nullptr))) return false;
    wchar_t desktop[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return false;
    const std::wstring linkPath = LinkPathIn(desktop, linkFileName);
    if (linkPath.empty()) return false;
    return SaveShellLink(linkPath, ShellLinkProperties{targetPath, workingFolder, arguments, iconPath});
}
