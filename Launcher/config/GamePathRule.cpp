#include "Launcher/config/GamePathRule.h"

#include "Launcher/config/GameCard.h"
#include "pillar/PlainFileName.h"

namespace {

bool IsControlCharacter(wchar_t c) { return c < 0x20 || c == 0x7F; }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

} // namespace

bool IsSafeGamePath(std::wstring_view path) {
    if (path.empty()) return false;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && IsControlCharacter(path[i])) return false;
        if (i < path.size() && !IsSeparator(path[i])) continue;
        // Refuses the empty name, ".", "..", their Windows forms and ":".
        if (!pillar::IsPlainFileName(path.substr(start, i - start))) return false;
        start = i + 1;
    }
    return true;
}

bool HasSafeGamePaths(const GameCard& card) { return IsSafeGamePath(card.folderName) && IsSafeGamePath(card.exePath); }
