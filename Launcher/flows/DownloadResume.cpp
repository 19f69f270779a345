#include "Launcher/flows/DownloadResume.h"

#include <windows.h>

#include "pillar/DecimalText.h"
#include "pillar/WholeFile.h"

namespace {

// Eighteen digits: any size a disk holds, and never past int64_t.
constexpr uint64_t kLargestCount = 999999999999999999ull;

bool DeleteIfPresent(const std::wstring& path) {
    if (::DeleteFileW(path.c_str())) return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool ParseCount(const std::string& text, int64_t& value) {
    uint64_t parsed = 0;
    if (!pillar::ParseDecimal(text, kLargestCount, parsed)) return false;
    value = static_cast<int64_t>(parsed);
    return true;
}

// A validator goes into a line of its own: a line break in it would forge the
// next line.
bool OneLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

} // namespace

bool SameArchive(const ArchiveFacts& stored, const ArchiveFacts& now) {
    if (stored.size <= 0 || stored.size != now.size) return false;
    if (stored.etag.empty() && stored.lastModified.empty()) return false;
    return stored.etag == now.etag && stored.lastModified == now.lastModified;
}

ResumeDecision DecideResume(const PartialOnDisk& disk, const ProbeAnswer& probe) {
    if (!disk.stored || !disk.archive || probe.result != ProbeResult::Answered) return ResumeDecision::StartOver;
    if (!SameArchive(disk.facts.facts, probe.facts)) return ResumeDecision::StartOver;
    // aria2c deletes its control file when a download completes.
    if (disk.facts.complete && !disk.controlFile && disk.archiveBytes == probe.facts.size)
        return ResumeDecision::UseComplete;
    // Without its control file aria2c takes a preallocated file for complete.
    if (!disk.facts.complete && disk.controlFile && probe.facts.ranges) return ResumeDecision::Resume;
    return ResumeDecision::StartOver;
}

std::wstring FactsPathOf(const std::wstring& archivePath) { return archivePath + L".facts"; }

std::string FactsText(const StoredFacts& facts) {
    return "size=" + std::to_string(facts.facts.size) + "\n" + "etag=" + facts.facts.etag + "\n" +
           "last-modified=" + facts.facts.lastModified + "\n" + "complete=" + (facts.complete ? "1" : "0") + "\n";
}

bool ParseFacts(const std::string& text, StoredFacts& facts) {
    StoredFacts read;
    bool haveSize = false, haveComplete = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) return false;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "size") {
            haveSize = ParseCount(value, read.facts.size);
            if (!haveSize) return false;
        } else if (key == "etag") {
            read.facts.etag = value;
        } else if (key == "last-modified") {
            read.facts.lastModified = value;
        } else if (key == "complete") {
            if (value != "0" && value != "1") return false;
            read.complete = value == "1";
            haveComplete = true;
        }
    }
    if (!haveSize || !haveComplete) return false;
    facts = read;
    return true;
}

bool WriteFacts(const std::wstring& archivePath, const StoredFacts& facts) {
    if (!OneLine(facts.facts.etag) || !OneLine(facts.facts.lastModified)) return false;
    return pillar::WriteWholeFile(FactsPathOf(archivePath), FactsText(facts));
}

PartialOnDisk LookAtPartial(const std::wstring& archivePath) {
    PartialOnDisk disk;
    std::string text;
    disk.stored = pillar::ReadWholeFile(FactsPathOf(archivePath), text) && ParseFacts(text, disk.facts);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (::GetFileAttributesExW(archivePath.c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        disk.archive = true;
        disk.archiveBytes = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    }
    disk.controlFile = ::GetFileAttributesW((archivePath + L".aria2").c_str()) != INVALID_FILE_ATTRIBUTES;
    return disk;
}

bool RemovePartial(const std::wstring& archivePath) {
    // The facts go first: facts left without their archive would do no harm,
    // an archive left with its facts could be taken for current.
    const bool facts = DeleteIfPresent(FactsPathOf(archivePath));
    const bool control = DeleteIfPresent(archivePath + L".aria2");
    const bool archive = DeleteIfPresent(archivePath);
    return facts && control && archive;
}
