#include "Launcher/config/CardContent.h"

#include <windows.h>

#include "Launcher/config/GamePathRule.h"
#include "Launcher/config/IniDocument.h"
#include "pillar/PlainFileName.h"
#include "Launcher/config/LauncherConfig.h"
#include "pillar/ScopedHandle.h"

namespace {
const char kLauncherSection[] = "Launcher";
}

bool NeedsSelfUpdate(const IniDocument& config) {
    return config.GetInt(kLauncherSection, "Version") != kLauncherVersion;
}

LauncherContent ReadLauncherContent(const IniDocument& config) {
    LauncherContent content;
    content.title = config.GetWString(kLauncherSection, "Title");
    content.logoUrl = config.GetString(kLauncherSection, "Logo");
    content.linkName = config.GetWString(kLauncherSection, "LinkName");
    return content;
}

CardContent ReadCardContent(const IniDocument& config, int index, const std::wstring& gameFolder, GameCard& slot) {
    CardContent card;
    if (!ReadGameCard(config, index, slot)) return card;
    const std::string section = GameSectionName(index);
    card.shown = true;
    // A refused path is not even opened: "\\host\x" would reach the network.
    card.pathsRefused = !HasSafeGamePaths(slot);
    card.installed = !card.pathsRefused && IsGameInstalled(gameFolder, slot.exePath);
    card.name = slot.name;
    card.type = config.GetWString(section, "Type");
    card.text = config.GetWString(section, "Text");
    card.iconUrl = config.GetString(section, "Icon");
    card.backImageUrl = config.GetString(section, "BackImage");
    return card;
}

bool IsGameInstalled(const std::wstring& gameFolder, const std::wstring& exePath) {
    const std::wstring path = gameFolder + exePath;
    pillar::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

std::wstring DownloadedImagePath(const std::wstring& tmpFolder, const std::wstring& fileName) {
    return pillar::IsPlainFileName(fileName) ? tmpFolder + fileName : std::wstring();
}
