#pragma once
// One HTTP GET into one block of memory, over WinINet. No retry, no resume,
// no redirect handling beyond what WinINet does by itself.
#include <windows.h>

#include <cstdint>
#include <string>

#include "Launcher/Crc32Routine.h"

// Receives one percent value (0 ... 100); no context argument, so owners keep
// their state in a global.
typedef void (*ProgressCallback)(int percent);

// Creates every missing folder above the file named by `path` ("C:\a\b\f.txt"
// creates "C:\a" and "C:\a\b"). Only "\" separates; doubled separators are
// skipped. The narrow path is in the system code page. False when creating
// any folder failed (the walk still goes on to the end).
bool MakeParentFolders(const std::string& path);
// Same for a wide path.
bool MakeParentFoldersW(const std::wstring& path);

class HttpDownloader {
public:
    // Resolves `crc32`; a system without the routine ends the process there.
    HttpDownloader();
    ~HttpDownloader();
    HttpDownloader(const HttpDownloader&) = delete;
    HttpDownloader& operator=(const HttpDownloader&) = delete;

    // Downloads `url`. True exactly when the server answered 200 with a
    // positive Content-Length and that many bytes arrived. After a short body
    // the partial block (zeros past the received part) and `size` stay held;
    // after any earlier failure nothing is held.
    bool Fetch(std::string url);

    // The held bytes (embedded zeros included); empty when nothing is held.
    std::string GetContent() const;

    // Writes the held bytes to `path` (system code page), creating missing
    // parent folders and replacing an existing file. False when the file
    // could not be opened or not all bytes could be written; nothing held
    // writes an empty file.
    bool SaveToFile(const std::string& path) const;
    // Same for a wide path; the file gets exactly this name.
    bool SaveToFileW(const std::wstring& path) const;

    // `fileName` decoded from UTF-8.
    std::wstring GetFileNameW() const;

    // Owners read these directly (the patcher checksums `buffer` with
    // `crc32`) and set `progress` before a fetch.
    BYTE* buffer = nullptr;           // GlobalAlloc(GPTR) block, null when nothing is held
    int32_t size = 0;                 // announced Content-Length, 0 when nothing is held
    uint32_t chunkSize = 10240;       // bytes asked for per read
    ProgressCallback progress = nullptr;  // called after every read that returned bytes
    Crc32Routine crc32 = nullptr;     // RtlComputeCrc32
    std::string fileName;             // last "/"-segment of the most recent URL

private:
    void Release();
    bool SaveTo(const std::wstring& path) const;
};
