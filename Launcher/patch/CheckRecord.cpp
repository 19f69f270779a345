#include "Launcher/patch/CheckRecord.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "Launcher/patch/FileChecksum.h"
#include "pillar/FileSystem.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

const char kHeader[] = "LauncherCheckRecord 2";
const char kNoStrongHash[] = "-";

// A whole decimal number and nothing else, within [low, high].
bool ParseWhole(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || (text[0] != '-' && (text[0] < '0' || text[0] > '9'))) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end == text.c_str() + text.size() && value >= low && value <= high;
}

// Splits off the text before the next blank; false when there is none.
bool TakeField(std::string& rest, std::string& field) {
    const size_t blank = rest.find(' ');
    if (blank == std::string::npos) return false;
    field = rest.substr(0, blank);
    rest.erase(0, blank + 1);
    return true;
}

} // namespace

bool ReadFileStamp(const std::wstring& path, FileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    stamp.writeTime = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                           data.ftLastWriteTime.dwLowDateTime);
    return true;
}

std::wstring RecordKeyOf(const std::wstring& name) {
    std::wstring key = name;
    std::replace(key.begin(), key.end(), L'/', L'\\');
    if (!key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

std::wstring CheckRecord::PathFor(const std::wstring& dataFolder, const std::wstring& folderName) {
    std::wstring name = folderName;
    for (wchar_t& c : name)
        if (c == L'\\' || c == L'/' || c == L':') c = L'_';
    return dataFolder + L"check." + name + L".dat";
}

bool CheckRecord::Load(const std::wstring& path, const std::wstring& gameFolder) {
    entries_.clear();
    std::string text;
    return pillar::ReadWholeFile(path, text) && Parse(text, gameFolder);
}

bool CheckRecord::Save(const std::wstring& path, const std::wstring& gameFolder) const {
    const std::string text = Serialize(gameFolder);
    pillar::ReplacementFile file;
    return file.Open(path) && file.Write(text.data(), text.size()) && file.Finish() && file.Commit();
}

bool CheckRecord::Vouches(const std::wstring& key, const ExpectedFile& expected, const FileStamp& stamp) const {
    const auto found = entries_.find(key);
    return found != entries_.end() && found->second.expected.listValue == expected.listValue &&
           found->second.expected.strongHex == expected.strongHex && found->second.stamp == stamp;
}

void CheckRecord::Set(const std::wstring& key, const ExpectedFile& expected, const FileStamp& stamp) {
    // A name or hash the line format cannot hold is simply never vouched for.
    if (key.empty() || key.find_first_of(L"\r\n") != std::wstring::npos) return;
    if (expected.strongHex == kNoStrongHash || expected.strongHex.find_first_of(" \r\n") != std::string::npos) return;
    Entry& entry = entries_[key];
    entry.expected = expected;
    entry.stamp = stamp;
}

std::string CheckRecord::Serialize(const std::wstring& gameFolder) const {
    std::ostringstream out;
    out << kHeader << "\nfolder " << pillar::WideToUtf8(RecordKeyOf(gameFolder)) << "\n";
    for (const auto& item : entries_) {
        const ExpectedFile& expected = item.second.expected;
        out << expected.listValue << ' ' << (expected.strongHex.empty() ? kNoStrongHash : expected.strongHex) << ' '
            << item.second.stamp.size << ' ' << item.second.stamp.writeTime << ' '
            << pillar::WideToUtf8(item.first) << "\n";
    }
    std::string body = out.str();
    return body + "end " + std::to_string(entries_.size()) + " " +
           std::to_string(BufferChecksum(body.data(), body.size())) + "\n";
}

bool CheckRecord::Parse(const std::string& text, const std::wstring& gameFolder) {
    entries_.clear();
    // The end line carries the count and the checksum of all before it, so a
    // cut or altered record is refused whole.
    if (text.size() < 2 || text.back() != '\n') return false;
    const size_t endLine = text.rfind("\nend ", text.size() - 2);
    if (endLine == std::string::npos) return false;
    const std::string body = text.substr(0, endLine + 1);
    std::string tail = text.substr(endLine + 5, text.size() - endLine - 6);
    std::string countText;
    long long count = 0, checksum = 0;
    if (!TakeField(tail, countText) || !ParseWhole(countText, 0, INT32_MAX, count) ||
        !ParseWhole(tail, 0, UINT32_MAX, checksum) ||
        static_cast<uint32_t>(checksum) != BufferChecksum(body.data(), body.size()))
        return false;

    std::map<std::wstring, Entry> read;
    std::istringstream lines(body);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) return false;
    // Another folder's record (a copied or moved game) vouches for nothing here.
    if (!std::getline(lines, line) || line != "folder " + pillar::WideToUtf8(RecordKeyOf(gameFolder))) return false;
    while (std::getline(lines, line)) {
        std::string valueText, strongText, sizeText, timeText;
        long long value = 0, size = 0, time = 0;
        if (!TakeField(line, valueText) || !TakeField(line, strongText) || strongText.empty() ||
            !TakeField(line, sizeText) || !TakeField(line, timeText) ||
            !ParseWhole(valueText, INT32_MIN, INT32_MAX, value) || !ParseWhole(sizeText, 0, INT64_MAX, size) ||
            !ParseWhole(timeText, INT64_MIN, INT64_MAX, time) || line.empty())
            return false;
        Entry& entry = read[pillar::Utf8ToWide(line)];
        entry.expected.listValue = static_cast<int32_t>(value);
        entry.expected.strongHex = strongText == kNoStrongHash ? std::string() : strongText;
        entry.stamp.size = size;
        entry.stamp.writeTime = time;
    }
    if (static_cast<long long>(read.size()) != count) return false;
    entries_ = std::move(read);
    return true;
}
