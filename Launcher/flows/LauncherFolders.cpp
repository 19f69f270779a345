#include "Launcher/flows/LauncherFolders.h"

#include "pillar/FileSystem.h"

LauncherFolders LauncherFolders::Below(const std::wstring& base, const std::wstring& exeName) {
    LauncherFolders folders;
    folders.base = base;
    folders.game = base + L"Game\\";
    folders.tmp = base + L"tmp\\";
    folders.soft = base + L"soft\\";
    folders.settings = base + L"GameSetting.INI";
    folders.exeName = exeName;
    return folders;
}

void LauncherFolders::Make() const {
    // A path ending in "\" names the folder's own (empty) file name, so its
    // parent folders are the folder itself and everything above it.
    for (const std::wstring* folder : {&game, &tmp, &soft}) pillar::MakeParentFolders(*folder);
}
