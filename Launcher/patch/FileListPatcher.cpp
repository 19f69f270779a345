#include "Launcher/patch/FileListPatcher.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <thread>

#include "Launcher/patch/ChecksumsAhead.h"
#include "Launcher/patch/CheckRecord.h"
#include "Launcher/net/ServerStatus.h"
#include "Launcher/trust/Blake2b.h"
#include "Launcher/trust/Blake2bStream.h"
#include "pillar/PlainFileName.h"
#include "pillar/FileSystem.h"
#include "pillar/ScopedHandle.h"
#include "pillar/TextConversion.h"

namespace {

constexpr int kMaxCheckThreads = 8;

bool IsUnreservedInUrl(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

struct ListEntry {
    std::wstring name;
    ExpectedFile expected;
};

struct EntryState {
    std::wstring key;     // RecordKeyOf(name)
    bool unique = false;  // the only entry for its file
    bool stamped = false; // `stamp` read
    FileStamp stamp;
    int pathIndex = -1;   // its place among the files read, -1 when not read
};

int CheckThreadCount(int configured) {
    if (configured > 0) return std::min(configured, kMaxCheckThreads);
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, std::min(cores, kMaxCheckThreads));
}

// Verifies the finished temporary file and puts it in place of the target.
int32_t PutInPlace(pillar::ReplacementFile& replacement, const ExpectedFile& expected) {
    if (!replacement.Finish())
        return FileListPatcher::WriteFailed;
    FileDigests written;
    const ChecksumBlock block = MakeChecksumBlock();
    if (!ComputeFileDigests(replacement.TemporaryPath(), !expected.strongHex.empty(), written, block.get()) ||
        !DigestsMatch(written, expected))
        return FileListPatcher::WrittenMismatch;
    return replacement.Commit() ? FileListPatcher::Ok : FileListPatcher::WriteFailed;
}

// True when the expected content is the empty file.
bool ExpectsEmptyFile(const ExpectedFile& expected) {
    if (!ChecksumMatches(ChecksumSeed, expected.listValue))
        return false;
    return expected.strongHex.empty() || expected.strongHex == trust::Blake2bHexOfBuffer("", 0);
}

} // namespace

FileListPatcher::FileListPatcher() : crc32(LoadCrc32Routine()) {}

FileListPatcher::~FileListPatcher() {
    remoteBase.clear();
    localDir.clear();
    currentName.clear();
}

void FileListPatcher::SetLocations(const std::string& remote, const std::wstring& localFolder) {
    remoteBase = remote;
    localDir = localFolder;
}

std::wstring FileListPatcher::DecodeList(const std::string& listBytes) {
    std::wstring text;
    if (!pillar::DecodeValidUtf8(listBytes, text)) return pillar::MultiByteToWide(listBytes, CP_ACP);
    // A list saved by a text editor may begin with a byte-order mark, which
    // would otherwise become part of the first name.
    if (!text.empty() && text[0] == L'\xFEFF') text.erase(0, 1);
    return text;
}

int FileListPatcher::SplitText(const std::wstring& text, const std::wstring& delimiter,
                               std::vector<std::wstring>& out) {
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
        if (found == std::wstring::npos) {
            out.push_back(text.substr(start));
            return count + 1;
        }
        out.push_back(text.substr(start, found - start));
        ++count;
        start = found + delimiter.size();
    }
}

bool FileListPatcher::IsSafeName(const std::wstring& name) {
    if (name.empty() || name[0] == L'\\' || name[0] == L'/')
        return false;
    // A colon means a drive ("C:x") or an alternate data stream.
    if (name.find(L':') != std::wstring::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"\\/", start);
        if (end == std::wstring::npos)
            end = name.size();
        if (pillar::ClassifyDotComponent(std::wstring_view(name).substr(start, end - start)) == pillar::DotComponent::Parent)
            return false;
        start = end + 1;
    }
    return true;
}

std::string FileListPatcher::UrlPathOf(const std::wstring& name) {
    std::wstring wide = name;
    std::replace(wide.begin(), wide.end(), L'\\', L'/');
    static const char kHex[] = "0123456789ABCDEF";
    std::string path;
    for (unsigned char c : pillar::WideToUtf8(wide)) {
        if (IsUnreservedInUrl(c) || c == '/') {
            path += static_cast<char>(c);
        } else {
            path += '%';
            path += kHex[c >> 4];
            path += kHex[c & 0x0F];
        }
    }
    return path;
}

std::wstring FileListPatcher::LocalPath(const std::wstring& name) const {
    // "/" in a list name separates folders just as "\" does.
    std::wstring path = localDir + L"\\" + name;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool FileListPatcher::FileExists(const std::wstring& name) const {
    const pillar::ScopedHandle file(CreateFileW(LocalPath(name).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

uint32_t FileListPatcher::FileChecksum(const std::wstring& name) const {
    return FileChecksumOfPath(LocalPath(name));
}

void FileListPatcher::ReportProgress(int32_t entryCount) const {
    if (progress)
        progress(static_cast<int>(static_cast<float>(processedCount) /
                                  static_cast<float>(entryCount) * 100.0f));
}

void FileListPatcher::ReportBytes(int64_t extraDone, int64_t extraTotal) const {
    if (!byteProgress)
        return;
    ByteCount count;
    count.percent = entryCount_ > 0 ? static_cast<int>(static_cast<float>(processedCount) / static_cast<float>(entryCount_) * 100.0f) : 0;
    count.done = bytesDone_ + extraDone;
    count.total = bytesTotal_ + extraTotal;
    byteProgress(count);
}

std::wstring FileListPatcher::StrongHashKeyOf(const std::wstring& name) {
    std::wstring key = name;
    std::replace(key.begin(), key.end(), L'\\', L'/');
    return key;
}

int32_t FileListPatcher::Repair(const std::wstring& name, const ExpectedFile& expected) {
    // The download's bytes count as moved bytes too; the caller's own
    // per-file report goes on as it was.
    const ByteProgress callerProgress = downloader.progress;
    int64_t received = 0, announced = 0;
    downloader.progress = [&](int64_t got, int64_t total) {
        received = got;
        announced = total;
        if (callerProgress)
            callerProgress(got, total);
        ReportBytes(got, total);
    };
    const int32_t result = Fetch(name, expected);
    downloader.progress = callerProgress;
    bytesDone_ += received;
    bytesTotal_ += announced;
    if (result == DownloadFailed)
        fetchFailure = WhyNotFetched(name);
    return result;
}

FileListPatcher::FetchFailure FileListPatcher::WhyNotFetched(const std::wstring& name) const {
    if (downloader.failure == ::FetchFailure::TimedOut)
        return FetchFailure::TimedOut;
    const int status = HeadStatus(remoteBase + UrlPathOf(name), downloader.stallLimitMs);
    return status == 404 || status == 410 ? FetchFailure::NotFound : FetchFailure::Network;
}

int32_t FileListPatcher::Fetch(const std::wstring& name, const ExpectedFile& expected) {
    const std::wstring target = LocalPath(name);
    pillar::ReplacementFile replacement;
    // An empty file can never be fetched (a zero length is no download), so a
    // listed empty file that went missing would fail every run and keep the
    // game from starting. Its content is known from the list value alone.
    if (ExpectsEmptyFile(expected))
        return replacement.Open(target) ? PutInPlace(replacement, expected) : WriteFailed;
    // The body goes straight to a temporary file beside the target, checksummed
    // as it arrives; the file is opened with the first bytes, so a download
    // that fails at once leaves nothing behind.
    FileDigests received;
    received.checksum = ChecksumSeed;
    const bool strong = !expected.strongHex.empty();
    trust::Blake2bStream strongHash;
    const HttpDownloader::StreamResult fetched =
        downloader.FetchStreamed(remoteBase + UrlPathOf(name), [&](const BYTE* bytes, size_t count) {
            if (!replacement.IsOpen() && !replacement.Open(target))
                return false;
            received.checksum = Crc32Continue(received.checksum, bytes, count);
            if (strong)
                strongHash.Update(bytes, count);
            return replacement.Write(bytes, count);
        });
    if (fetched == HttpDownloader::StreamResult::FetchFailed)
        return DownloadFailed;
    if (fetched == HttpDownloader::StreamResult::SinkFailed)
        return WriteFailed;
    if (strong)
        received.strongHex = strongHash.FinishHex();
    // The temporary file goes with `replacement`: a mismatch is never written.
    if (!DigestsMatch(received, expected))
        return DownloadMismatch;
    return PutInPlace(replacement, expected);
}

int32_t FileListPatcher::Run(const std::string& listText) {
    processedCount = 0;
    hashedCount = 0;
    fetchFailure = FetchFailure::None;
    bytesDone_ = 0;
    bytesTotal_ = 0;
    // Decoded before it is split: in a double-byte code page the second byte
    // of a character can be a "|".
    std::vector<std::wstring> pieces;
    const int32_t entryCount = SplitText(DecodeList(listText), L"|", pieces);
    entryCount_ = entryCount;
    if (entryCount == 0)
        return Ok;

    // The well-formed entries, up to the first unsafe name, where the run
    // stops anyway.
    std::vector<ListEntry> entries;
    for (const std::wstring& piece : pieces) {
        std::vector<std::wstring> parts;
        if (SplitText(piece, L"+", parts) != 2)
            continue;
        ListEntry entry{parts[0], ExpectedFile{}};
        entry.expected.listValue = ParseListValue(pillar::WideToUtf8(parts[1]));
        entries.push_back(std::move(entry));
        if (!IsSafeName(parts[0]))
            break;
    }
    // Every file needs its strong hash before anything is read or fetched.
    if (useHashList) {
        for (ListEntry& entry : entries) {
            if (!IsSafeName(entry.name))
                break;
            const auto found = strongHashes.find(StrongHashKeyOf(entry.name));
            if (found == strongHashes.end())
                return HashMissing;
            entry.expected.strongHex = found->second;
        }
    }

    // What the record of the last check vouches for is not read again. A
    // name listed twice (in any spelling) is read every time: a repair for
    // one of its entries changes the file under the other.
    const bool keepRecord = !recordPath.empty();
    CheckRecord record;
    const bool quick = keepRecord && !fullCheck && record.Load(recordPath, localDir);
    std::map<std::wstring, int> uses;
    std::vector<EntryState> states(entries.size());
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!IsSafeName(entries[i].name))
            break;
        states[i].key = RecordKeyOf(entries[i].name);
        ++uses[states[i].key];
    }
    for (size_t i = 0; i < entries.size() && IsSafeName(entries[i].name); ++i) {
        EntryState& state = states[i];
        state.unique = uses[state.key] == 1;
        if (keepRecord)
            state.stamped = ReadFileStamp(LocalPath(entries[i].name), state.stamp);
        if (quick && state.unique && state.stamped && record.Vouches(state.key, entries[i].expected, state.stamp))
            continue;
        state.pathIndex = static_cast<int>(paths.size());
        paths.push_back(LocalPath(entries[i].name));
        if (state.stamped)
            bytesTotal_ += state.stamp.size;
    }

    const int threads = static_cast<int>(std::min<size_t>(paths.size(), CheckThreadCount(checkThreads)));
    ChecksumsAhead local(std::move(paths), threads, useHashList);
    CheckRecord checked;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ListEntry& entry = entries[i];
        EntryState& state = states[i];
        ++processedCount;
        currentName = entry.name;
        // The launcher runs elevated: a name reaching outside the game folder
        // must not be written anywhere.
        if (!IsSafeName(entry.name))
            return WriteFailed;
        if (state.pathIndex >= 0) {
            // One open both tests presence and reads the content; an
            // unreadable file never matches, even when the list value happens
            // to equal the checksum 0 that FileChecksum reports for it.
            const size_t index = static_cast<size_t>(state.pathIndex);
            FileDigests digests;
            ++hashedCount;
            const bool readable = local.Take(index, digests);
            if (state.stamped)
                bytesDone_ += state.stamp.size;
            if (!readable || !DigestsMatch(digests, entry.expected)) {
                local.Hold();
                const int32_t result = Repair(entry.name, entry.expected);
                if (result != Ok)
                    return result;
                local.ReleaseAfter(index);
                // The stamp the record keeps is the repaired file's.
                if (keepRecord)
                    state.stamped = ReadFileStamp(LocalPath(entry.name), state.stamp);
            }
        }
        // The stamp was taken before the read, so a file changed while it was
        // read has a newer one and is read again next time.
        if (keepRecord && state.unique && state.stamped)
            checked.Set(state.key, entry.expected, state.stamp);
        ReportProgress(entryCount);
        ReportBytes(0, 0);
    }
    // A record that cannot be written costs the next start a full check, nothing more.
    if (keepRecord)
        checked.Save(recordPath, localDir);
    return Ok;
}
