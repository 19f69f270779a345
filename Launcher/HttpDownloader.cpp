#include "Launcher/HttpDownloader.h"

#include <wininet.h>

#include <io.h>
#include <direct.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

const char kAgent[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_ != nullptr) InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

// Reads one header value as text; false when the query fails.
bool QueryHeader(HINTERNET request, DWORD infoLevel, char (&text)[100]) {
    std::memset(text, 0, sizeof(text));
    DWORD length = sizeof(text);
    return HttpQueryInfoA(request, infoLevel, text, &length, nullptr) != FALSE;
}

// A Content-Length the block can hold: decimal digits after optional spaces,
// positive and within 32-bit signed range. Anything else is refused, so a
// length that cannot be held is never allocated or read into.
bool ParseContentLength(const char* text, int32_t& length) {
    while (*text == ' ' || *text == '\t') ++text;
    if (*text < '0' || *text > '9') return false;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT32_MAX) return false;
    }
    if (value <= 0) return false;
    length = static_cast<int32_t>(value);
    return true;
}

int PercentOf(int32_t count, int32_t total) {
    return static_cast<int>(static_cast<float>(count) / static_cast<float>(total) * 100.0f);
}

bool IsSeparator(wchar_t c) { return c == L'\\'; }

bool StartsWithDrive(const std::wstring& path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && IsSeparator(path[2]);
}

} // namespace

bool MakeParentFolders(const std::string& path) { return MakeParentFoldersW(pillar::AnsiToWide(path)); }

bool MakeParentFoldersW(const std::wstring& path) {
    // "C:\a\b\f": the drive is the starting prefix. A path without a drive is
    // walked from the current folder instead of mistaking its first two
    // characters for one; a rooted or UNC path is left alone.
    std::wstring prefix;
    std::wstring rest;
    if (StartsWithDrive(path)) {
        prefix = path.substr(0, 2);
        rest = path.substr(3);
    } else if (!path.empty() && IsSeparator(path[0])) {
        return true;
    } else {
        rest = path;
    }
    bool ok = true;
    for (;;) {
        size_t separator = rest.find(L'\\');
        if (separator == std::wstring::npos) break;
        if (separator == 0) {
            rest.erase(0, 1);
            continue;
        }
        if (!prefix.empty()) prefix += L'\\';
        prefix.append(rest, 0, separator);
        if (_waccess(prefix.c_str(), 0) != 0 && _wmkdir(prefix.c_str()) != 0) ok = false;
        rest.erase(0, separator + 1);
    }
    return ok;
}

HttpDownloader::HttpDownloader() { crc32 = LoadCrc32Routine(); }

HttpDownloader::~HttpDownloader() {
    Release();
    fileName.clear();
}

void HttpDownloader::Release() {
    if (buffer != nullptr) {
        GlobalFree(buffer);
        buffer = nullptr;
    }
    size = 0;
}

bool HttpDownloader::Fetch(std::string url) {
    size_t slash = url.rfind('/');
    fileName = slash == std::string::npos ? url : url.substr(slash + 1);
    Release();

    InternetHandle internet(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet) return false;
    InternetHandle request(InternetOpenUrlA(internet.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return false;

    char text[100];
    if (!QueryHeader(request.get(), HTTP_QUERY_STATUS_CODE, text) || std::atoi(text) != 200) return false;
    int32_t announced = 0;
    if (!QueryHeader(request.get(), HTTP_QUERY_CONTENT_LENGTH, text) || !ParseContentLength(text, announced)) {
        return false;
    }
    // A block that cannot be had means no fetch at all rather than reads
    // into a null pointer.
    buffer = static_cast<BYTE*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(announced)));
    if (buffer == nullptr) return false;
    size = announced;

    int32_t received = 0;
    while (received < size) {
        DWORD missing = static_cast<DWORD>(size - received);
        DWORD ask = chunkSize < missing ? chunkSize : missing;
        DWORD got = 0;
        if (!InternetReadFile(request.get(), buffer + received, ask, &got) || got == 0) break;
        received += static_cast<int32_t>(got);
        if (progress != nullptr) progress(PercentOf(received, size));
    }
    return received == size;
}

std::string HttpDownloader::GetContent() const {
    if (buffer == nullptr || size <= 0) return std::string();
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
}

bool HttpDownloader::SaveToFile(const std::string& path) const { return SaveTo(pillar::AnsiToWide(path)); }

bool HttpDownloader::SaveToFileW(const std::wstring& path) const { return SaveTo(path); }

bool HttpDownloader::SaveTo(const std::wstring& path) const {
    MakeParentFoldersW(path);
    // Nothing held saves an empty file. A short write (a full disk) fails:
    // callers go on to run or verify what they believe was written.
    const bool held = buffer != nullptr && size > 0;
    return pillar::WriteWholeFile(path, held ? buffer : nullptr, held ? static_cast<size_t>(size) : 0);
}

std::wstring HttpDownloader::GetFileNameW() const { return pillar::Utf8ToWide(fileName); }
