#pragma once
// What the last successful check of a game folder found: for every listed
// file, the list value and the BLAKE2b hash it matched, its size and its
// last-write time. A file whose expected values, size and time are all
// unchanged since is taken as checked without being read again; anything the
// record cannot vouch for is read as before. A changed hash list therefore
// means the file is read again.
//
// File format (UTF-8 text, one item per line, "\n" endings):
//   LauncherCheckRecord 2
//   folder <game folder, as the check saw it>
//   <list value> <BLAKE2b hex, or "-" when none> <size> <last-write time as FILETIME ticks> <name>
//   ...
//   end <count of file lines> <launcher checksum of every byte before "end">
// Anything else (a missing or short end line, a wrong checksum or version,
// another folder) makes the whole record unknown, so the next check reads
// every file.
#include <cstdint>
#include <map>
#include <string>

#include "Launcher/patch/FileDigests.h"

struct FileStamp {
    int64_t size = 0;
    int64_t writeTime = 0;  // FILETIME, 100 ns ticks
    bool operator==(const FileStamp& other) const { return size == other.size && writeTime == other.writeTime; }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Size and last-write time of `path` without opening it; false when it does
// not exist or is a folder.
bool ReadFileStamp(const std::wstring& path, FileStamp& stamp);

// The key a name is recorded under: "/" as "\" and upper-case letters in
// lower case, since the file system takes both spellings for one file.
std::wstring RecordKeyOf(const std::wstring& name);

class CheckRecord {
public:
    struct Entry {
        ExpectedFile expected;
        FileStamp stamp;
    };

    // The record file, in the launcher's `dataFolder` (ending in "\"), of
    // the game in `folderName`. Another name that maps to the same file is
    // told apart by the folder written inside.
    static std::wstring PathFor(const std::wstring& dataFolder, const std::wstring& folderName);

    // Reads the record at `path` for `gameFolder`. Any fault leaves the
    // record empty (every file unknown); false then.
    bool Load(const std::wstring& path, const std::wstring& gameFolder);
    // Writes the record for `gameFolder` in one step: a temporary file beside
    // `path` replaces the old record only once it is complete.
    bool Save(const std::wstring& path, const std::wstring& gameFolder) const;

    // True when the record knows `key` with these expected values and stamp.
    bool Vouches(const std::wstring& key, const ExpectedFile& expected, const FileStamp& stamp) const;
    void Set(const std::wstring& key, const ExpectedFile& expected, const FileStamp& stamp);
    size_t Size() const { return entries_.size(); }

    // The file text for `gameFolder`, and its reading; exposed for the tests
    // of damaged records.
    std::string Serialize(const std::wstring& gameFolder) const;
    bool Parse(const std::string& text, const std::wstring& gameFolder);

private:
    std::map<std::wstring, Entry> entries_;
};
