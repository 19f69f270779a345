#include "Launcher/config/IniDocument.h"

#include <windows.h>

#include <climits>
#include <vector>

#include "pillar/TextConversion.h"

namespace {

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

// A "[...]" pair in the line changes the current section. A "]" before the
// first "[" is not a header: the section stays as it was.
void ApplySectionHeader(const std::string& line, std::string& section) {
    const size_t open = line.find('[');
    if (open == std::string::npos)
        return;
    const size_t close = line.find(']');
    if (close == std::string::npos || close < open)
        return;
    section = line.substr(open + 1, close - open - 1);
}

void CollectEntry(const std::string& line, const std::string& section,
                  std::vector<Entry>& entries) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos)
        return;
    Entry entry{section, IniDocument::TrimValue(line.substr(0, eq)),
                IniDocument::TrimValue(line.substr(eq + 1))};
    if (!entry.section.empty() && !entry.key.empty() && !entry.value.empty())
        entries.push_back(std::move(entry));
}

bool IsSpaceForNumber(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Decimal prefix of `text` like strtol, but anything outside the int range
// reads as 0 instead of saturating.
int ParseDecimalOrZero(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && IsSpaceForNumber(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit)
            return 0;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace

std::string IniDocument::TrimValue(const std::string& text) {
    std::string result = text;
    const size_t first = result.find_first_not_of(' ');
    if (first != std::string::npos) {
        result.erase(0, first);
        result.erase(result.find_last_not_of(' ') + 1);
    }
    while (!result.empty() && result.back() == '\r')
        result.pop_back();
    return result;
}

bool IniDocument::Parse(std::string text) {
    std::vector<Entry> entries;
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        ApplySectionHeader(line, section);
        CollectEntry(line, section, entries);
        start = end + 1;
    }

    std::map<std::string, KeyMap> parsed;
    for (const Entry& entry : entries)
        parsed[entry.section].emplace(entry.key, entry.value); // first value wins
    for (auto& item : parsed)
        sections_.emplace(item.first, std::move(item.second)); // earlier Parse wins
    return true;
}

std::string IniDocument::GetString(const std::string& section, const std::string& key) const {
    const auto found = sections_.find(section);
    if (found == sections_.end())
        return std::string();
    const auto value = found->second.find(key);
    return value == found->second.end() ? std::string() : value->second;
}

std::wstring IniDocument::GetWString(const std::string& section, const std::string& key) const {
    return pillar::Utf8ToWide(GetString(section, key));
}

int IniDocument::GetInt(const std::string& section, const std::string& key) const {
    const std::string value = GetString(section, key);
    return value.empty() ? 0 : ParseDecimalOrZero(value);
}
