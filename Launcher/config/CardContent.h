#pragma once
// What the remote configuration puts on the window: the launcher section's
// title, logo and shortcut name, and per card the labels, images and whether
// its game is installed. Read on the configuration worker, shown by the UI
// thread.
#include <string>

#include "Launcher/config/GameCard.h"

class IniDocument;

struct CardContent {
    bool shown = false;      // "Available" is 1
    bool installed = false;  // the game's executable exists below the Game folder
    // FolderName or ExePath could leave the Game folder (IsSafeGamePath): the
    // card shows, but nothing installs or starts, and installed stays false.
    bool pathsRefused = false;
    std::wstring name;       // "Name", for the "gamename" label
    std::wstring type;       // "Type", for "gamever"
    std::wstring text;       // "Text", for "gametext"
    std::string iconUrl;     // "Icon"
    std::string backImageUrl;  // "BackImage"
};

struct LauncherContent {
    std::wstring title;     // "Title": the window title
    std::string logoUrl;    // "Logo"
    std::wstring linkName;  // "LinkName": the desktop shortcut, without ".lnk"
};

// True when the configuration's "Launcher"/"Version" (absent = 0) is not
// this program's own version.
bool NeedsSelfUpdate(const IniDocument& config);

LauncherContent ReadLauncherContent(const IniDocument& config);

// Fills `slot` from section "Game<index>" and returns what the card shows.
// `gameFolder` ends in "\".
CardContent ReadCardContent(const IniDocument& config, int index, const std::wstring& gameFolder, GameCard& slot);

// The installed test: gameFolder joined with the configuration's ExePath
// names a file that opens for reading.
bool IsGameInstalled(const std::wstring& gameFolder, const std::wstring& exePath);

// Where an image fetched for the window is saved: `tmpFolder` + `fileName`
// (the last "/"-segment of its URL). Empty when the name is not a plain
// file name, which could otherwise write anywhere the launcher may.
std::wstring DownloadedImagePath(const std::wstring& tmpFolder, const std::wstring& fileName);
