#include "Launcher/FileListPatcher.h"

#include <windows.h>

#include "pillar/ScopedHandle.h"
#include "pillar/TextConversion.h"

namespace {

// "..", and forms the file system reads as "..": Windows drops trailing dots
// and spaces of a component, so "...", ".. " and ". ." climb as well.
bool IsParentReference(const std::string& name, size_t start, size_t end) {
    int dots = 0;
    for (size_t i = start; i < end; ++i) {
        if (name[i] == '.')
            ++dots;
        else if (name[i] != ' ')
            return false;
    }
    return dots >= 2;
}

} // namespace

FileListPatcher::FileListPatcher() : crc32(LoadCrc32Routine()) {}

FileListPatcher::~FileListPatcher() {
    remoteBase.clear();
    localDir.clear();
    currentName.clear();
}

void FileListPatcher::SetLocations(const std::string& remote, const std::string& local) {
    remoteBase = remote;
    localDir = local;
}

int FileListPatcher::SplitText(const std::string& text, const std::string& delimiter,
                               std::vector<std::string>& out) {
    if (text.empty())
        return 0;
    if (delimiter.empty()) {
        out.push_back(text);
        return 1;
    }
    int count = 0;
    size_t start = 0;
    for (;;) {
        const size_t found = text.find(delimiter, start);
        if (found == std::string::npos) {
            out.push_back(text.substr(start));
            return count + 1;
        }
        out.push_back(text.substr(start, found - start));
        ++count;
        start = found + delimiter.size();
    }
}

bool FileListPatcher::IsSafeName(const std::string& name) {
    if (name.empty() || name[0] == '\\' || name[0] == '/')
        return false;
    // A colon means a drive ("C:x") or an alternate data stream.
    if (name.find(':') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = name.size();
        if (IsParentReference(name, start, end))
            return false;
        start = end + 1;
    }
    return true;
}

bool FileListPatcher::FileExists(const std::string& name) const {
    const std::wstring path = pillar::AnsiToWide(localDir + "\\" + name);
    const pillar::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

uint32_t FileListPatcher::FileChecksum(const std::string& name) const {
    return FileChecksumOfPath(pillar::AnsiToWide(localDir + "\\" + name));
}

bool FileListPatcher::LocalFileMatches(const std::string& name, int32_t expected) const {
    // An unreadable file never matches, even when the list value happens to
    // equal the checksum 0 that FileChecksum reports for it.
    uint32_t checksum = 0;
    return ComputeFileChecksum(pillar::AnsiToWide(localDir + "\\" + name), checksum) &&
           ChecksumMatches(checksum, expected);
}

void FileListPatcher::ReportProgress(int32_t entryCount) const {
    if (progress)
        progress(static_cast<int>(static_cast<float>(processedCount) /
                                  static_cast<float>(entryCount) * 100.0f));
}

// Replaces or creates `path` as an empty file, with its missing folders.
static bool WriteEmptyFile(const std::string& path) {
    MakeParentFolders(path);
    const pillar::ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

int32_t FileListPatcher::Repair(const std::string& name, int32_t expected) {
    // An empty file can never be fetched (a zero length is no download), so a
    // listed empty file that went missing would fail every run and keep the
    // game from starting. Its content is known from the list value alone.
    if (ChecksumMatches(ChecksumSeed, expected)) {
        if (!WriteEmptyFile(localDir + name))
            return WriteFailed;
        return LocalFileMatches(name, expected) ? Ok : WrittenMismatch;
    }
    if (!downloader.Fetch(remoteBase + name))
        return DownloadFailed;
    const uint32_t fetched =
        BufferChecksum(downloader.buffer, static_cast<size_t>(downloader.size));
    if (!ChecksumMatches(fetched, expected))
        return DownloadMismatch;
    if (!downloader.SaveToFile(localDir + name))
        return WriteFailed;
    if (!LocalFileMatches(name, expected))
        return WrittenMismatch;
    return Ok;
}

int32_t FileListPatcher::Run(const std::string& listText) {
    processedCount = 0;
    std::vector<std::string> entries;
    const int32_t entryCount = SplitText(listText, "|", entries);
    if (entryCount == 0)
        return Ok;

    for (const std::string& entry : entries) {
        std::vector<std::string> parts;
        if (SplitText(entry, "+", parts) != 2)
            continue;
        ++processedCount;
        const std::string& name = parts[0];
        const int32_t expected = ParseListValue(parts[1]);
        currentName = name;
        // The launcher runs elevated: a name reaching outside the game folder
        // must not be written anywhere.
        if (!IsSafeName(name))
            return WriteFailed;
        // One open both tests presence and reads the content.
        if (!LocalFileMatches(name, expected)) {
            const int32_t result = Repair(name, expected);
            if (result != Ok)
                return result;
        }
        ReportProgress(entryCount);
    }
    return Ok;
}
