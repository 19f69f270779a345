#include "Launcher/trust/ConfigHashFill.h"

#include <map>
#include <vector>

namespace trust {
namespace {

const std::map<std::string, std::string>& HashKeyOfLink() {
    static const std::map<std::string, std::string> keys = {
        {"UpgradeLink", "UpgradeB2"},
        {"DownloadLink", "DownloadB2"},
        {"UpGradeLink", "UpGradeB2"},
        {"FilesB2Link", "FilesB2"},
    };
    return keys;
}

// One line of the text: its bytes without the "\n", and whether one followed.
struct Line {
    std::string body;
    bool newline = false;
    std::string section;  // the section in force on this line
    std::string key;      // trimmed key of a "key=value" line
    std::string value;    // trimmed value
};

std::string Trimmed(const std::string& text) {
    std::string result = text;
    const size_t first = result.find_first_not_of(' ');
    if (first != std::string::npos) {
        result.erase(0, first);
        result.erase(result.find_last_not_of(' ') + 1);
    }
    while (!result.empty() && result.back() == '\r') result.pop_back();
    return result;
}

// Splits as the launcher's configuration reader does: "[...]" anywhere in a
// line opens a section, the first "=" splits key from value.
std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        Line line;
        line.newline = end != std::string_view::npos;
        if (!line.newline) end = text.size();
        line.body = std::string(text.substr(start, end - start));
        const size_t open = line.body.find('['), close = line.body.find(']');
        if (open != std::string::npos && close != std::string::npos && close > open)
            section = line.body.substr(open + 1, close - open - 1);
        line.section = section;
        const size_t eq = line.body.find('=');
        if (eq != std::string::npos) {
            line.key = Trimmed(line.body.substr(0, eq));
            line.value = Trimmed(line.body.substr(eq + 1));
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The site-relative path a link names, or an error.
bool RelativePathOf(const std::string& link, std::string_view baseUrl, std::string& path, std::string& error) {
    std::string base(baseUrl);
    while (!base.empty() && base.back() == '/') base.pop_back();
    base += '/';
    if (link.compare(0, base.size(), base) != 0) {
        error = "link outside the base URL " + base + ": " + link;
        return false;
    }
    path.clear();
    const std::string rest = link.substr(base.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 && HexValue(rest[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    // The file must lie below the site folder: no climbing, no query, no
    // separator the site folder would read differently.
    bool climbs = path.empty() || path.find_first_of("?#\\:") != std::string::npos;
    size_t from = 0;
    while (!climbs && from <= path.size()) {
        size_t to = path.find('/', from);
        if (to == std::string::npos) to = path.size();
        const std::string part = path.substr(from, to - from);
        climbs = part.empty() || part == "." || part == "..";
        from = to + 1;
    }
    if (climbs) {
        error = "link does not name a file below the base URL: " + link;
        return false;
    }
    return true;
}

// The line with its value replaced by `value`, its key part and trailing
// carriage returns kept.
std::string WithValue(const std::string& body, const std::string& value) {
    size_t end = body.size();
    while (end > 0 && body[end - 1] == '\r') --end;
    return body.substr(0, body.find('=') + 1) + value + body.substr(end);
}

} // namespace

HashFill FillConfigHashes(std::string_view configText, std::string_view baseUrl, const SiteFileHasher& hashOf) {
    HashFill result;
    std::vector<Line> lines = SplitLines(configText);

    // section -> hash key -> hex, from the first link of each kind.
    std::map<std::string, std::map<std::string, std::string>> hashes;
    std::map<std::string, std::map<std::string, size_t>> firstLinkLine;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const auto hashKey = HashKeyOfLink().find(line.key);
        if (line.section.empty() || line.value.empty() || hashKey == HashKeyOfLink().end()) continue;
        if (hashes[line.section].count(hashKey->second)) continue;  // a later duplicate is not read
        std::string path, hex, problem;
        if (!RelativePathOf(line.value, baseUrl, path, problem)) {
            result.error = "[" + line.section + "] " + line.key + ": " + problem;
            return result;
        }
        if (!hashOf(path, hex, problem)) {
            result.error = "[" + line.section + "] " + line.key + ": " + problem;
            return result;
        }
        hashes[line.section][hashKey->second] = hex;
        firstLinkLine[line.section][hashKey->second] = i;
    }

    // Hash keys present: every copy gets the value, so none can disagree.
    std::map<std::string, std::map<std::string, bool>> present;
    for (Line& line : lines) {
        const auto section = hashes.find(line.section);
        if (section == hashes.end() || line.key.empty()) continue;
        const auto hex = section->second.find(line.key);
        if (hex == section->second.end()) continue;
        line.body = WithValue(line.body, hex->second);
        present[line.section][line.key] = true;
        ++result.filled;
    }

    // Missing ones go on the line after their link, with the link's line end.
    std::map<size_t, std::vector<std::string>> inserts;
    for (const auto& section : firstLinkLine)
        for (const auto& link : section.second)
            if (!present[section.first][link.first])
                inserts[link.second].push_back(link.first + "=" + hashes[section.first][link.first]);

    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const bool carriageReturn = !line.body.empty() && line.body.back() == '\r';
        const std::string lineEnd = carriageReturn ? "\r\n" : "\n";
        result.text += line.body;
        if (line.newline) result.text += "\n";
        const auto added = inserts.find(i);
        if (added == inserts.end()) continue;
        if (!line.newline) result.text += lineEnd;
        for (const std::string& entry : added->second) {
            result.text += entry + lineEnd;
            ++result.filled;
        }
        // The text ended without a line end: so does the filled one.
        if (!line.newline && i + 1 == lines.size()) result.text.resize(result.text.size() - lineEnd.size());
    }
    result.ok = true;
    return result;
}

} // namespace trust
