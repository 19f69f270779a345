#pragma once
// The configuration values of one game card (index 0..5), copied from the
// section "Game<index>" of the remote configuration. Text that names a file,
// a program or a page the shell opens is decoded from UTF-8 here, once;
// URLs that the launcher fetches itself stay UTF-8 text.
#include <cstdint>
#include <string>

class IniDocument;

struct GameCard {
    int32_t available = 0;      // "Available": 1 shows the card
    std::wstring name;          // "Name"
    std::string downloadLink;   // "DownloadLink": the game archive
    std::wstring link1;         // "Link1": the card's "Website" link (ShellExecuteW)
    std::wstring link2;         // "Link2": the card's "Register" link (ShellExecuteW)
    std::string upgradeLink;    // "UpGradeLink": the update list
    std::string upgradePath;    // "UpgradePath": base URL of the listed files
    std::wstring folderName;    // "FolderName": the game's folder below the Game folder
    std::wstring exePath;       // "ExePath": the executable below the Game folder
    std::wstring parameters;    // "Paramete": the game's command-line parameters
    bool fullCheck = false;     // "FullCheck": 1 reads every listed file before each start
    // BLAKE2b-512 (128 lower-case hex digits) of what the links name; the
    // signed Config.ini vouches for every file through them.
    std::string downloadB2;     // "DownloadB2": the archive
    std::string upgradeB2;      // "UpGradeB2": the update list
    std::string filesB2Link;    // "FilesB2Link": the game's b2sum hash list
    std::string filesB2;        // "FilesB2": the hash list itself
};

// Section name of card `index`: "Game0" ... "Game5".
std::string GameSectionName(int index);

// Fills `slot` from the card's section. An unavailable card (Available not 1)
// gets available = 0 and empty strings. Returns slot.available == 1.
bool ReadGameCard(const IniDocument& config, int index, GameCard& slot);
