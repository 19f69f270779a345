#include "Launcher/config/GameCard.h"

#include "Launcher/config/IniDocument.h"

std::string GameSectionName(int index) { return "Game" + std::to_string(index); }

bool ReadGameCard(const IniDocument& config, int index, GameCard& slot) {
    const std::string section = GameSectionName(index);
    slot = GameCard{};
    if (config.GetInt(section, "Available") != 1) return false;
    slot.available = 1;
    slot.name = config.GetWString(section, "Name");
    slot.downloadLink = config.GetString(section, "DownloadLink");
    slot.link1 = config.GetWString(section, "Link1");
    slot.link2 = config.GetWString(section, "Link2");
    slot.upgradeLink = config.GetString(section, "UpGradeLink");
    slot.upgradePath = config.GetString(section, "UpgradePath");
    slot.folderName = config.GetWString(section, "FolderName");
    slot.exePath = config.GetWString(section, "ExePath");
    slot.parameters = config.GetWString(section, "Paramete");
    slot.fullCheck = config.GetInt(section, "FullCheck") == 1;
    slot.downloadB2 = config.GetString(section, "DownloadB2");
    slot.upgradeB2 = config.GetString(section, "UpGradeB2");
    slot.filesB2Link = config.GetString(section, "FilesB2Link");
    slot.filesB2 = config.GetString(section, "FilesB2");
    return true;
}
