#include "Launcher/net/HttpDownloader.h"

#include <wininet.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <deque>
#include <memory>
#include <utility>

#include "Launcher/net/HttpRequest.h"
#include "pillar/FileSystem.h"
#include "pillar/TextConversion.h"
#include "pillar/UrlFileName.h"
#include "pillar/WholeFile.h"

namespace {

// A Content-Length up to `limit`: decimal digits after optional spaces,
// positive. Anything else is refused, so a length that cannot be held is
// never allocated or read into.
bool ParseContentLength(const char* text, long long limit, long long& length) {
    while (*text == ' ' || *text == '\t') ++text;
    if (*text < '0' || *text > '9') return false;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > limit) return false;
    }
    if (value <= 0) return false;
    length = value;
    return true;
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
    enum class Answer { Body, Unchanged, Failed };

    HttpGet(const HttpDownloader& owner)
        : stallLimitMs_(owner.stallLimitMs), watch_(owner.lowestBytesPerSecond, owner.slowWindowMs),
          session_(owner.session), flags_(owner.requestFlags) {}

    bool Open(const std::string& url, long long lengthLimit) {
        return OpenAnswer(url, lengthLimit, std::wstring(), false) == Answer::Body;
    }

    // Sends the GET with `headers`; a 304 counts only when `unchangedCounts`.
    Answer OpenAnswer(const std::string& url, long long lengthLimit, const std::wstring& headers,
                      bool unchangedCounts) {
        lastArrival_ = ::GetTickCount();
        if (!Send(url, headers)) {
            NoteFailure(request_.LastError());
            return Answer::Failed;
        }
        if (unchangedCounts && request_.Status() == 304) {
            failure_ = FetchFailure::None;
            return Answer::Unchanged;
        }
        if (AnswerAnnouncesBody(lengthLimit)) return Answer::Body;
        failure_ = FetchFailure::Other;
        return Answer::Failed;
    }

    BodyValidators Validators() const {
        BodyValidators found;
        request_.Header(HTTP_QUERY_ETAG, found.etag);
        request_.Header(HTTP_QUERY_LAST_MODIFIED, found.lastModified);
        return found;
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
        if (!InternetQueryDataAvailable(request_.Get(), &ready, 0, 0)) {
            NoteFailure(::GetLastError());
            return false;
        }
        if (ready == 0) return true;
        if (!InternetReadFile(request_.Get(), into, ready < ask ? ready : ask, &got)) {
            NoteFailure(::GetLastError());
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
    void NoteFailure(DWORD error) {
        const DWORD waited = ::GetTickCount() - lastArrival_;
        const bool timedOut = error == ERROR_INTERNET_TIMEOUT || waited >= stallLimitMs_ / 10 * 9;
        failure_ = timedOut ? FetchFailure::TimedOut : FetchFailure::Other;
    }

    bool Send(const std::string& url, const std::wstring& headers) {
        RequestTarget target;
        if (!SplitRequestUrl(url, target)) return false;
        if (!session_) session_ = InternetSession::Open(stallLimitMs_);
        if (!session_) return false;
        return request_.Send(*session_, url, L"GET", headers, flags_, stallLimitMs_);
    }

    // Status 200 and a positive Content-Length up to `lengthLimit`.
    bool AnswerAnnouncesBody(long long lengthLimit) {
        std::string text;
        if (request_.Status() != 200) return false;
        return request_.Header(HTTP_QUERY_CONTENT_LENGTH, text) &&
               ParseContentLength(text.c_str(), lengthLimit, length_);
    }

    DWORD stallLimitMs_;
    SpeedWatch watch_;
    DWORD lastArrival_ = 0;
    int64_t received_ = 0;
    FetchFailure failure_ = FetchFailure::Other;
    // Closed in the reverse order: the request's handles, then the session
    // (when this fetch was its last user).
    std::shared_ptr<InternetSession> session_;
    DWORD flags_;
    HttpRequest request_;
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
    fileName = pillar::UrlFileName(url);
    Release();
}

namespace {

// Reads the announced body of an opened GET into a block of its own.
bool ReadBody(HttpDownloader& into, HttpGet& get) {
    // A block that cannot be had means no fetch at all rather than reads
    // into a null pointer.
    into.buffer = static_cast<BYTE*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(get.length())));
    if (into.buffer == nullptr) return false;
    into.size = static_cast<int32_t>(get.length());

    int32_t received = 0;
    while (received < into.size) {
        DWORD missing = static_cast<DWORD>(into.size - received);
        DWORD got = 0;
        if (!get.Read(into.buffer + received, into.chunkSize < missing ? into.chunkSize : missing, got)) {
            // A stalled or broken connection is no partial answer: hold nothing.
            GlobalFree(into.buffer);
            into.buffer = nullptr;
            into.size = 0;
            into.failure = get.failure();
            return false;
        }
        if (got == 0) break;
        received += static_cast<int32_t>(got);
        if (into.progress) into.progress(received, into.size);
    }
    if (received != into.size) return false;
    into.failure = FetchFailure::None;
    return true;
}

} // namespace

bool HttpDownloader::Fetch(std::string url) {
    Begin(url);
    failure = FetchFailure::Other;

    HttpGet get(*this);
    if (!get.Open(url, lengthLimit)) {
        failure = get.failure();
        return false;
    }
    return ReadBody(*this, get);
}

RevalidateResult HttpDownloader::FetchUnlessUnchanged(const std::string& url, const BodyValidators& kept) {
    Begin(url);
    failure = FetchFailure::Other;
    validators = BodyValidators();

    std::wstring headers;
    if (!kept.etag.empty()) headers += L"If-None-Match: " + pillar::Utf8ToWide(kept.etag) + L"\r\n";
    if (!kept.lastModified.empty())
        headers += L"If-Modified-Since: " + pillar::Utf8ToWide(kept.lastModified) + L"\r\n";
    HttpGet get(*this);
    const HttpGet::Answer answer = get.OpenAnswer(url, lengthLimit, headers, !kept.Empty());
    failure = get.failure();
    if (answer == HttpGet::Answer::Failed) return RevalidateResult::Failed;
    validators = get.Validators();
    if (answer == HttpGet::Answer::Unchanged) return RevalidateResult::Unchanged;
    return ReadBody(*this, get) ? RevalidateResult::Fresh : RevalidateResult::Failed;
}

HttpDownloader::StreamResult HttpDownloader::FetchStreamed(std::string url, const BodySink& sink) {
    Begin(url);
    failure = FetchFailure::Other;

    HttpGet get(*this);
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
