#include "Launcher/net/ArchiveProbe.h"

#include <wininet.h>

#include <cstdlib>
#include <vector>

namespace {

// Sole owner of one WinINet handle.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) ::InternetCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET Get() const { return handle_; }
    void Reset(HINTERNET handle) {
        if (handle_) ::InternetCloseHandle(handle_);
        handle_ = handle;
    }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

std::string Encoded(const std::string& url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : url) {
        if (c >= 0x80 || c == ' ') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool HeaderText(HINTERNET request, DWORD which, std::string& text) {
    std::vector<char> buffer(512);
    DWORD length = static_cast<DWORD>(buffer.size());
    DWORD index = 0;
    if (!::HttpQueryInfoA(request, which, buffer.data(), &length, &index)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || length > 64 * 1024) return false;
        buffer.resize(length + 1);
        length = static_cast<DWORD>(buffer.size());
        index = 0;
        if (!::HttpQueryInfoA(request, which, buffer.data(), &length, &index)) return false;
    }
    text.assign(buffer.data(), length);
    return true;
}

int64_t ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 18) return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Wine reports a receive time-out as the socket's own error.
constexpr DWORD kSocketTimedOut = 10060;

ProbeResult FailureOf(DWORD error) {
    return error == ERROR_INTERNET_TIMEOUT || error == kSocketTimedOut ? ProbeResult::TimedOut
                                                                       : ProbeResult::Unreachable;
}

struct Target {
    std::string host;
    std::string path;  // with the query
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool Split(const std::string& url, Target& target) {
    std::vector<char> host(1024), path(8192), extra(8192);
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = static_cast<DWORD>(host.size());
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    target.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.path.empty()) target.path = "/";
    target.port = parts.nPort;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return !target.host.empty();
}

// One request on `connection`; the headers of its answer in `request`.
ProbeResult Send(HINTERNET connection, const Target& target, const char* verb, const char* headers,
                 DWORD timeoutMs, InternetHandle& request, DWORD& status) {
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                  INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
    if (target.secure) flags |= INTERNET_FLAG_SECURE;
    HINTERNET opened = ::HttpOpenRequestA(connection, verb, target.path.c_str(), nullptr, nullptr, nullptr, flags, 0);
    if (!opened) return FailureOf(::GetLastError());
    request.Reset(opened);
    // Limits on the request handle are the ones WinINet keeps to.
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        ::InternetSetOptionA(opened, option, &timeoutMs, sizeof(timeoutMs));
    if (!::HttpSendRequestA(opened, headers, headers ? static_cast<DWORD>(-1L) : 0, nullptr, 0))
        return FailureOf(::GetLastError());
    std::string text;
    if (!HeaderText(opened, HTTP_QUERY_STATUS_CODE, text)) return ProbeResult::Unreachable;
    const int64_t code = ParseCount(text);
    status = code < 0 ? 0 : static_cast<DWORD>(code);
    return ProbeResult::Answered;
}

} // namespace

int64_t TotalOfContentRange(const std::string& contentRange) {
    const std::string prefix = "bytes 0-0/";
    if (contentRange.compare(0, prefix.size(), prefix) != 0) return -1;
    return ParseCount(contentRange.substr(prefix.size()));
}

ProbeAnswer ProbeArchive(const std::string& url, DWORD timeoutMs) {
    ProbeAnswer answer;
    Target target;
    if (!Split(Encoded(url), target)) return answer;

    InternetHandle session(::InternetOpenA("GameLauncher", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return answer;
    InternetHandle connection(::InternetConnectA(session.Get(), target.host.c_str(), target.port, nullptr, nullptr,
                                                 INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return answer;
    ::InternetSetOptionA(connection.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeoutMs, sizeof(timeoutMs));

    {
        InternetHandle head;
        answer.result = Send(connection.Get(), target, "HEAD", nullptr, timeoutMs, head, answer.status);
        if (answer.result != ProbeResult::Answered) return answer;
        if (answer.status < 200 || answer.status > 299) {
            answer.result = ProbeResult::Refused;
            return answer;
        }
        std::string text;
        if (HeaderText(head.Get(), HTTP_QUERY_CONTENT_LENGTH, text)) answer.facts.size = ParseCount(text);
        HeaderText(head.Get(), HTTP_QUERY_ETAG, answer.facts.etag);
        HeaderText(head.Get(), HTTP_QUERY_LAST_MODIFIED, answer.facts.lastModified);
    }

    // "Accept-Ranges" is only a claim: ask for the first byte and look.
    InternetHandle range;
    DWORD status = 0;
    if (Send(connection.Get(), target, "GET", "Range: bytes=0-0\r\n", timeoutMs, range, status) !=
        ProbeResult::Answered)
        return answer;  // the facts of HEAD stand; ranges stay unproven
    std::string contentRange, etag;
    HeaderText(range.Get(), HTTP_QUERY_CONTENT_RANGE, contentRange);
    HeaderText(range.Get(), HTTP_QUERY_ETAG, etag);
    answer.facts.ranges = status == 206 && answer.facts.size > 0 &&
                          TotalOfContentRange(contentRange) == answer.facts.size && etag == answer.facts.etag;
    // A server that ignored the range sends the whole body: leave it unread,
    // closing the handle drops the connection.
    if (status == 206) {
        char first = 0;
        DWORD read = 0;
        ::InternetReadFile(range.Get(), &first, 1, &read);
    }
    return answer;
}
