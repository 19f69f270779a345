#include "Launcher/patch/HashListEntries.h"

#include "pillar/TextConversion.h"

bool StrongHashesOf(const trust::B2sumList& list, std::map<std::wstring, std::string>& hashes) {
    hashes.clear();
    if (!list.ok) return false;
    for (const trust::B2sumEntry& entry : list.entries) {
        const auto placed = hashes.emplace(pillar::Utf8ToWide(entry.name), entry.hex);
        if (!placed.second && placed.first->second != entry.hex) return false;
    }
    return true;
}
