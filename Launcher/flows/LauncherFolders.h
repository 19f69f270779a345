#pragma once
// The launcher's working folders, all below the folder it was started in.
// Wide paths ending in "\": a folder name the system code page cannot hold
// (a Chinese user name on an English Windows) must still work.
#include <string>

struct LauncherFolders {
    std::wstring base;      // the current folder at start
    std::wstring game;      // base + "Game\"
    std::wstring tmp;       // base + "tmp\"
    std::wstring soft;      // base + "soft\": aria2c.exe and 7z.exe
    std::wstring settings;  // base + "GameSetting.INI"
    std::wstring exeName;   // the running program's file name

    // The folders below `base` (which ends in "\").
    static LauncherFolders Below(const std::wstring& base, const std::wstring& exeName);
    // Creates game, tmp and soft where missing.
    void Make() const;
};
