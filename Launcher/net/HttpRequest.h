#pragma once
// The one way the launcher speaks HTTP through WinINet: a session (the
// Internet handle) and requests opened on it. Requests on one session share
// its kept-alive connections to a host, so a burst of small fetches pays for
// one TCP handshake per parallel connection instead of one per fetch. Every
// handle has one owner that closes it, every blocking step is bounded by the
// same time limit, and every URL goes out through the same encoder.
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

// Sole owner of one WinINet handle.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~InternetHandle() { Reset(nullptr); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(HINTERNET handle);

private:
    HINTERNET handle_;
};

// Bounds connecting, sending and receiving on `handle` by `ms` each. WinINet
// under Wine honours these only on the request handle; Windows also reads
// them from the session and the connection.
void SetTimeLimits(HINTERNET handle, DWORD ms);

// One WinINet session. Thread-safe to share: WinINet serialises its own use
// of the handle, and each request owns its connection and request handles.
class InternetSession {
public:
    // Null when WinINet refuses to open a session. `limitMs` bounds the
    // steps of requests that do not set their own.
    static std::shared_ptr<InternetSession> Open(DWORD limitMs);

    HINTERNET Get() const { return handle_.Get(); }

    // Sessions this process has opened so far; start-up is meant to open one.
    static long OpenedCount();

private:
    InternetHandle handle_;
};

// The path and query of a URL as sent: spaces, controls and each byte of a
// non-ASCII character (in UTF-8) percent-encoded, a fragment dropped, "/"
// for an empty path. The server sees the same bytes whatever code page the
// system would otherwise send them in.
std::string RequestPathText(const std::string& pathAndQuery);

// Where a URL (UTF-8) points; false for anything but an http(s) URL with a host.
struct RequestTarget {
    std::wstring host;
    std::wstring path;  // encoded by RequestPathText, query included
    INTERNET_PORT port = 0;
    bool secure = false;
};
bool SplitRequestUrl(const std::string& url, RequestTarget& target);

// One request: its connection and request handles, closed in reverse order
// when the object goes. The session must outlive it.
class HttpRequest {
public:
    HttpRequest() = default;
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Opens and sends `verb` for `url` (UTF-8) with extra `headers` (each
    // line ending in CRLF; empty for none), every step bounded by `limitMs`.
    // False when the URL is unusable or a step failed; `LastError` tells
    // which system error ended it (0 for an unusable URL).
    bool Send(const InternetSession& session, const std::string& url, const wchar_t* verb,
              const std::wstring& headers, DWORD flags, DWORD limitMs);

    HINTERNET Get() const { return request_.Get(); }
    DWORD LastError() const { return lastError_; }

    // The answer's status code; 0 when it cannot be read.
    int Status() const;
    // One header of the answer as text (UTF-8); false when it was not sent.
    bool Header(DWORD infoLevel, std::string& text) const;

private:
    bool Fail();

    // Closed in the reverse order: request, then connection.
    InternetHandle connection_;
    InternetHandle request_;
    DWORD lastError_ = 0;
};
