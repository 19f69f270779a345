#include "Launcher/flows/KeptImages.h"

#include <windows.h>

#include <algorithm>
#include <sstream>

#include "Launcher/trust/Blake2b.h"
#include "pillar/DecimalText.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

const char kIndexHeader[] = "kept images 1";

bool FitsOnALine(const std::string& text) { return text.find_first_of("\t\r\n") == std::string::npos; }

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool ParseSize(const std::string& text, int64_t& size) {
    uint64_t value = 0;
    if (!pillar::ParseDecimal(text, 999999999999ull, value)) return false;  // twelve digits
    size = static_cast<int64_t>(value);
    return true;
}

// The line of one entry: url, file, size, hash, ETag, Last-Modified.
bool ParseEntry(const std::string& line, KeptImage& entry) {
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() != 6 || fields[0].empty() || fields[1].empty() || fields[3].size() != 128) return false;
    if (!ParseSize(fields[2], entry.size)) return false;
    entry.url = fields[0];
    entry.fileName = pillar::Utf8ToWide(fields[1]);
    entry.hash = fields[3];
    entry.validators.etag = fields[4];
    entry.validators.lastModified = fields[5];
    return !entry.validators.Empty();
}

} // namespace

KeptImages::KeptImages(std::wstring tmpFolder) : folder_(std::move(tmpFolder)) {}

std::wstring KeptImages::IndexPath() const { return folder_ + L"KeptImages.txt"; }

void KeptImages::Load() {
    std::string text;
    std::vector<KeptImage> loaded;
    if (pillar::ReadWholeFile(IndexPath(), text)) {
        std::istringstream lines(text);
        std::string line;
        if (std::getline(lines, line) && line == kIndexHeader) {
            while (std::getline(lines, line) && loaded.size() < kMostImages) {
                KeptImage entry;
                if (ParseEntry(line, entry)) loaded.push_back(entry);
            }
        }
    }
    std::lock_guard<std::mutex> hold(lock_);
    entries_ = std::move(loaded);
}

BodyValidators KeptImages::ValidatorsFor(const std::string& url, const std::wstring& fileName) const {
    KeptImage entry;
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto found = std::find_if(entries_.begin(), entries_.end(), [&](const KeptImage& kept) {
            return kept.url == url && kept.fileName == fileName;
        });
        if (found == entries_.end()) return BodyValidators();
        entry = *found;
    }
    // Read back whole: kept pictures are small, and a length check alone
    // would take a file overwritten in place for the kept one.
    std::string bytes;
    if (!pillar::ReadWholeFile(folder_ + fileName, bytes) || static_cast<int64_t>(bytes.size()) != entry.size)
        return BodyValidators();
    if (trust::Blake2bHexOfBuffer(bytes.data(), bytes.size()) != entry.hash) return BodyValidators();
    return entry.validators;
}

void KeptImages::Keep(const std::string& url, const std::wstring& fileName, const BodyValidators& validators,
                      const std::string& bytes) {
    const std::string name = pillar::WideToUtf8(fileName);
    std::lock_guard<std::mutex> hold(lock_);
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const KeptImage& kept) { return kept.url == url || kept.fileName == fileName; }),
                   entries_.end());
    if (validators.Empty() || !FitsOnALine(url) || !FitsOnALine(name) || !FitsOnALine(validators.etag) ||
        !FitsOnALine(validators.lastModified))
        return;
    KeptImage entry;
    entry.url = url;
    entry.fileName = fileName;
    entry.validators = validators;
    entry.size = static_cast<int64_t>(bytes.size());
    entry.hash = trust::Blake2bHexOfBuffer(bytes.data(), bytes.size());
    entries_.push_back(entry);
}

bool KeptImages::Save(const std::set<std::string>& urlsInUse, const std::set<std::wstring>& fileNamesInUse) {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<KeptImage> kept, dropped;
    for (const KeptImage& entry : entries_) (urlsInUse.count(entry.url) ? kept : dropped).push_back(entry);
    int64_t bytes = 0;
    for (const KeptImage& entry : kept) bytes += entry.size;
    // The oldest go first; the newest entry stays even alone over the bytes.
    while (kept.size() > 1 && (kept.size() > kMostImages || bytes > kMostBytes)) {
        bytes -= kept.front().size;
        dropped.push_back(kept.front());
        kept.erase(kept.begin());
    }
    for (const KeptImage& entry : dropped)
        if (!fileNamesInUse.count(entry.fileName)) ::DeleteFileW((folder_ + entry.fileName).c_str());
    entries_ = kept;

    std::string text = std::string(kIndexHeader) + "\n";
    for (const KeptImage& entry : entries_) {
        text += entry.url + "\t" + pillar::WideToUtf8(entry.fileName) + "\t" + std::to_string(entry.size) + "\t" +
                entry.hash + "\t" + entry.validators.etag + "\t" + entry.validators.lastModified + "\n";
    }
    return pillar::WriteWholeFile(IndexPath(), text);
}

std::vector<KeptImage> KeptImages::Entries() const {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_;
}
