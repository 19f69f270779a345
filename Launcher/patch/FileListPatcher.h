#pragma once
// Brings a game folder up to date from a remote update list: every listed
// file that is missing or whose checksum differs is downloaded, verified,
// written and verified again.
//
// With a hash list (a b2sum list the signed configuration vouches for) every
// listed file must also match its BLAKE2b-512 there: a CRC-32 finds damage,
// but anyone can make a file that keeps its CRC-32.
//
// List text: "name+value|name+value|...". Names are relative to the game
// folder with "\" (or "/") between folders; values are list values
// (FileChecksum.h). A list is UTF-8 text; one that is not valid UTF-8 comes
// from an older list tool, which wrote the operator's system code page, and
// is read in this system's code page as it always was.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Launcher/patch/FileChecksum.h"
#include "Launcher/patch/FileDigests.h"
#include "Launcher/net/HttpDownloader.h"

class FileListPatcher {
public:
    // Run results.
    enum Result : int32_t {
        Ok = 0,              // every well-formed entry present and matching
        DownloadFailed = 1,
        DownloadMismatch = 2,  // downloaded bytes fail the checksum; nothing written
        WriteFailed = 3,       // also: a name that would leave the game folder
        WrittenMismatch = 4,   // the file on disk fails the checksum; the old file stays
        HashMissing = 5,       // a listed file has no entry in the hash list; nothing read
    };

    // Resolves `crc32`; a system without the routine ends the process there.
    FileListPatcher();
    ~FileListPatcher();
    FileListPatcher(const FileListPatcher&) = delete;
    FileListPatcher& operator=(const FileListPatcher&) = delete;

    // `remoteBase` is the URL prefix (ending in "/"), `localFolder` the game
    // folder (ending in "\").
    void SetLocations(const std::string& remoteBase, const std::wstring& localFolder);

    // Checks and repairs every entry of the list (its bytes as published);
    // stops at the first failure.
    // A repaired file is streamed to a temporary file beside it and replaces
    // the old one only once it has been verified, so memory stays bounded
    // and a failed repair leaves the old file as it was.
    int32_t Run(const std::string& listText);

    // Whether the file below the game folder can be opened for reading.
    bool FileExists(const std::wstring& name) const;
    // The launcher checksum of the file below the game folder; 0 when unreadable.
    uint32_t FileChecksum(const std::wstring& name) const;

    // The list's text: decoded from UTF-8 when it is valid UTF-8 (a leading
    // byte-order mark dropped), otherwise from the system code page.
    static std::wstring DecodeList(const std::string& listBytes);

    // Splits `text` at every `delimiter`, appending the pieces (empty ones
    // included, a trailing delimiter gives an empty last piece) to `out`.
    // An empty text gives no piece. Returns the number of pieces appended.
    static int SplitText(const std::wstring& text, const std::wstring& delimiter,
                         std::vector<std::wstring>& out);

    // True for names that stay inside the game folder: relative, no drive or
    // stream colon, no ".." component, not empty.
    static bool IsSafeName(const std::wstring& name);

    // The URL form of a list name, appended to `remoteBase`: "\" becomes
    // "/", and every byte of the name's UTF-8 but letters, digits, "-", ".",
    // "_", "~" and "/" is percent-encoded.
    static std::string UrlPathOf(const std::wstring& name);

    std::string remoteBase;
    std::wstring localDir;
    HttpDownloader downloader;  // its `progress` reports the current file's percent
    Crc32Routine crc32 = nullptr;
    std::function<void(int percent)> progress;  // overall percent of the list
    int32_t processedCount = 0;
    std::wstring currentName;
    // Threads that compute local checksums ahead of the check: 0 for one per
    // processor (at most 8), 1 to check each file only when its turn comes.
    // Either way the results, repairs and reports are the same.
    int checkThreads = 0;

    // With a `recordPath`, a check reads only the files that its record of
    // the last successful check (CheckRecord.h) cannot vouch for, and a
    // successful check writes the record anew. `fullCheck` reads every file
    // all the same (and still writes the record).
    std::wstring recordPath;
    bool fullCheck = false;

    // With `useHashList`, every listed file must have its BLAKE2b hex in
    // `strongHashes`, keyed by StrongHashKeyOf(its name), and match it.
    bool useHashList = false;
    std::map<std::wstring, std::string> strongHashes;
    // A list name with "/" between folders, as a b2sum list names it.
    static std::wstring StrongHashKeyOf(const std::wstring& name);
    // Local files read (checksummed) by the last run, repairs' own reads aside.
    int32_t hashedCount = 0;

    // Bytes moved so far by this run: local files read plus bytes downloaded.
    // The total grows as downloads announce their length.
    struct ByteCount {
        int percent = 0;
        int64_t done = 0;
        int64_t total = 0;
    };
    std::function<void(const ByteCount&)> byteProgress;

    // After a run that ended with DownloadFailed: why the file did not come.
    enum class FetchFailure {
        None,
        Network,   // no answer, a broken connection, or another status
        NotFound,  // the server answers 404 (or 410) for the file
        TimedOut,  // silent for the stall limit, or slower than the lowest speed
    };
    FetchFailure fetchFailure = FetchFailure::None;

private:
    std::wstring LocalPath(const std::wstring& name) const;
    int32_t Repair(const std::wstring& name, const ExpectedFile& expected);
    int32_t Fetch(const std::wstring& name, const ExpectedFile& expected);
    FetchFailure WhyNotFetched(const std::wstring& name) const;
    void ReportProgress(int32_t entryCount) const;
    void ReportBytes(int64_t extraDone, int64_t extraTotal) const;
    int32_t entryCount_ = 0;

    int64_t bytesDone_ = 0;
    int64_t bytesTotal_ = 0;
};
