#include "Launcher/net/HttpDownloader.h"

#include <wininet.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <deque>
#include <memory>
#include <utility>

#include "pillar/FileSystem.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

const wchar_t kAgent[] = L"User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";

class InternetHandle {
public:
    InternetHandle() = default;
    ~InternetHandle() { Reset(nullptr); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(HINTERNET handle) {
        if (handle_ != nullptr) InternetCloseHandle(handle_);
        handle_ = handle;
    }

private:
    HINTERNET handle_ = nullptr;
};

// Reads one header value as text; false when the query fails.
bool QueryHeader(HINTERNET request, DWORD infoLevel, wchar_t (&text)[100]) {
    std::memset(text, 0, sizeof(text));
    DWORD length = sizeof(text) - sizeof(text[0]);  // in bytes, room for the end
    return HttpQueryInfoW(request, infoLevel, text, &length, nullptr) != FALSE;
}

// A Content-Length up to `limit`: decimal digits after optional spaces,
// positive. Anything else is refused, so a length that cannot be held is
// never allocated or read into.
bool ParseContentLength(const wchar_t* text, long long limit, long long& length) {
    while (*text == L' ' || *text == L'\t') ++text;
    if (*text < L'0' || *text > L'9') return false;
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > limit) return false;
    }
    if (value <= 0) return false;
    length = value;
    return true;
}


// Bounds every blocking step of a request by `ms`. WinINet under Wine honours
// these only on the request handle; Windows also reads them from the others.
void SetStallLimit(HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(handle, option, &ms, sizeof(ms));
    }
}

bool NeedsEscapeInRequest(unsigned char c) { return c <= 0x20 || c >= 0x7F; }

// The path and query to request: a fragment stays with the client. Spaces,
// controls and every byte of a non-ASCII character (in UTF-8) are
// percent-encoded here, so the server sees the same bytes whatever code page
// the system would otherwise send them in.
std::wstring RequestPathOf(const URL_COMPONENTSW& parts) {
    std::wstring wide = parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) : std::wstring();
    wide = wide.substr(0, wide.find(L'#'));
    static const char kHex[] = "0123456789ABCDEF";
    std::wstring path;
    for (unsigned char c : pillar::WideToUtf8(wide)) {
        if (NeedsEscapeInRequest(c)) {
            path += L'%';
            path += static_cast<wchar_t>(kHex[c >> 4]);
            path += static_cast<wchar_t>(kHex[c & 0x0F]);
        } else {
            path += static_cast<wchar_t>(c);
        }
    }
    return path.empty() ? L"/" : path;
}

// Tells a body that keeps arriving, but too slowly, from one still worth
// waiting for: the average over the last `windowMs` below `lowest` bytes per
// second. Samples are kept a quarter second apart, so a fast transfer does
// not grow the list.
class SpeedWatch {
public:
    SpeedWatch(int64_t lowest, DWORD windowMs) : lowest_(lowest), windowMs_(windowMs) {
        samples_.emplace_back(::GetTickCount(), 0);
    }

    bool TooSlow(int64_t received) {
        const DWORD now = ::GetTickCount();
        if (now - samples_.back().first >= 250) samples_.emplace_back(now, received);
        // The oldest sample kept is the newest one at least a window old.
        while (samples_.size() >= 2 && now - samples_[1].first >= windowMs_) samples_.pop_front();
        const DWORD span = now - samples_.front().first;
        if (lowest_ <= 0 || span < windowMs_) return false;
        return (received - samples_.front().second) * 1000 < lowest_ * static_cast<int64_t>(span);
    }

private:
    int64_t lowest_;
    DWORD windowMs_;
    std::deque<std::pair<DWORD, int64_t>> samples_;
};

// One GET whose answer was status 200 with a positive Content-Length.
// Opened as connection plus request rather than InternetOpenUrl, because only
// a request handle takes time limits that hold under Wine and Windows alike.
class HttpGet {
public:
    HttpGet(DWORD stallLimitMs, int64_t lowestBytesPerSecond, DWORD slowWindowMs)
        : stallLimitMs_(stallLimitMs), watch_(lowestBytesPerSecond, slowWindowMs) {}

    bool Open(const std::string& url, long long lengthLimit) {
        lastArrival_ = ::GetTickCount();
        if (!Send(pillar::Utf8ToWide(url))) {
            NoteFailure();
            return false;
        }
        if (AnswerAnnouncesBody(lengthLimit)) return true;
        failure_ = FetchFailure::Other;
        return false;
    }

    long long length() const { return length_; }
    FetchFailure failure() const { return failure_; }

    // Reads into `into` at most `ask` bytes, and no more than have already
    // arrived: WinINet's read waits until the buffer is full, so a larger
    // read of a trickle would wait for as long as bytes keep coming. False
    // when the read fails (`failure` says why), which includes no byte
    // arriving within the stall limit and the body coming too slowly; `got`
    // 0 with true means the connection ended.
    bool Read(BYTE* into, DWORD ask, DWORD& got) {
        got = 0;
        DWORD ready = 0;
        if (!InternetQueryDataAvailable(request_.get(), &ready, 0, 0)) {
            NoteFailure();
            return false;
        }
        if (ready == 0) return true;
        if (!InternetReadFile(request_.get(), into, ready < ask ? ready : ask, &got)) {
            NoteFailure();
            return false;
        }
        if (got == 0) return true;
        lastArrival_ = ::GetTickCount();
        received_ += got;
        if (watch_.TooSlow(received_)) {
            failure_ = FetchFailure::TimedOut;
            return false;
        }
        return true;
    }

private:
    // A failed wait that lasted about the stall limit was the limit at work;
    // Wine and Windows report it with different error codes.
    void NoteFailure() {
        const DWORD waited = ::GetTickCount() - lastArrival_;
        const bool timedOut = ::GetLastError() == ERROR_INTERNET_TIMEOUT || waited >= stallLimitMs_ / 10 * 9;
        failure_ = timedOut ? FetchFailure::TimedOut : FetchFailure::Other;
    }

    bool Send(const std::wstring& url) {
        if (url.empty()) return false;
        URL_COMPONENTSW parts = {};
        parts.dwStructSize = sizeof(parts);
        parts.dwHostNameLength = 1;  // non-zero with a null pointer: point into `url`
        parts.dwUrlPathLength = 1;   // the path keeps its query (no extra-info split)
        if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
        if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
        if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) return false;
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        const std::wstring path = RequestPathOf(parts);

        internet_.Reset(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!internet_) return false;
        SetStallLimit(internet_.get(), stallLimitMs_);
        connection_.Reset(InternetConnectW(internet_.get(), host.c_str(), parts.nPort, nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection_) return false;
        SetStallLimit(connection_.get(), stallLimitMs_);
        DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE;
        if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
        request_.Reset(HttpOpenRequestW(connection_.get(), L"GET", path.c_str(), nullptr, nullptr, nullptr, flags, 0));
        if (!request_) return false;
        SetStallLimit(request_.get(), stallLimitMs_);
        return HttpSendRequestW(request_.get(), nullptr, 0, nullptr, 0) != FALSE;
    }

    // Status 200 and a positive Content-Length up to `lengthLimit`.
    bool AnswerAnnouncesBody(long long lengthLimit) {
        wchar_t text[100];
        if (!QueryHeader(request_.get(), HTTP_QUERY_STATUS_CODE, text) || std::wcstol(text, nullptr, 10) != 200)
            return false;
        return QueryHeader(request_.get(), HTTP_QUERY_CONTENT_LENGTH, text) &&
               ParseContentLength(text, lengthLimit, length_);
    }

    DWORD stallLimitMs_;
    SpeedWatch watch_;
    DWORD lastArrival_ = 0;
    int64_t received_ = 0;
    FetchFailure failure_ = FetchFailure::Other;
    // Closed in the reverse order: request, connection, Internet handle.
    InternetHandle internet_;
    InternetHandle connection_;
    InternetHandle request_;
    long long length_ = 0;
};

} // namespace

int PercentOf(int64_t received, int64_t total) {
    return total > 0 ? static_cast<int>(static_cast<float>(received) / static_cast<float>(total) * 100.0f) : 0;
}

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

void HttpDownloader::Begin(const std::string& url) {
    size_t slash = url.rfind('/');
    fileName = slash == std::string::npos ? url : url.substr(slash + 1);
    Release();
}

bool HttpDownloader::Fetch(std::string url) {
    Begin(url);
    failure = FetchFailure::Other;

    HttpGet get(stallLimitMs, lowestBytesPerSecond, slowWindowMs);
    if (!get.Open(url, INT32_MAX)) {
        failure = get.failure();
        return false;
    }
    // A block that cannot be had means no fetch at all rather than reads
    // into a null pointer.
    buffer = static_cast<BYTE*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(get.length())));
    if (buffer == nullptr) return false;
    size = static_cast<int32_t>(get.length());

    int32_t received = 0;
    while (received < size) {
        DWORD missing = static_cast<DWORD>(size - received);
        DWORD got = 0;
        if (!get.Read(buffer + received, chunkSize < missing ? chunkSize : missing, got)) {
            // A stalled or broken connection is no partial answer: hold nothing.
            Release();
            failure = get.failure();
            return false;
        }
        if (got == 0) break;
        received += static_cast<int32_t>(got);
        if (progress) progress(received, size);
    }
    if (received != size) return false;
    failure = FetchFailure::None;
    return true;
}

HttpDownloader::StreamResult HttpDownloader::FetchStreamed(std::string url, const BodySink& sink) {
    Begin(url);
    failure = FetchFailure::Other;

    HttpGet get(stallLimitMs, lowestBytesPerSecond, slowWindowMs);
    if (!get.Open(url, LLONG_MAX)) {
        failure = get.failure();
        return StreamResult::FetchFailed;
    }
    const DWORD blockSize = streamBlockSize > 0 ? streamBlockSize : chunkSize;
    std::unique_ptr<BYTE[]> block(new BYTE[blockSize]);
    const long long total = get.length();
    long long received = 0;
    while (received < total) {
        const long long missing = total - received;
        DWORD got = 0;
        if (!get.Read(block.get(), missing < blockSize ? static_cast<DWORD>(missing) : blockSize, got)) {
            failure = get.failure();
            return StreamResult::FetchFailed;
        }
        if (got == 0) return StreamResult::FetchFailed;
        if (!sink(block.get(), got)) return StreamResult::SinkFailed;
        received += got;
        if (progress) progress(received, total);
    }
    failure = FetchFailure::None;
    return StreamResult::Complete;
}

std::string HttpDownloader::GetContent() const {
    if (buffer == nullptr || size <= 0) return std::string();
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
}

bool HttpDownloader::SaveToFile(const std::wstring& path) const {
    pillar::MakeParentFolders(path);
    // Nothing held saves an empty file. A short write (a full disk) fails:
    // callers go on to run or verify what they believe was written.
    const bool held = buffer != nullptr && size > 0;
    return pillar::WriteWholeFile(path, held ? buffer : nullptr, held ? static_cast<size_t>(size) : 0);
}

std::wstring HttpDownloader::GetFileNameW() const { return pillar::Utf8ToWide(fileName); }
