#include "Launcher/net/HttpRequest.h"

#include <atomic>
#include <cstdlib>
#include <vector>

#include "pillar/TextConversion.h"

namespace {

const wchar_t kAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";

std::atomic<long> g_sessionsOpened{0};

bool NeedsEscapeInRequest(unsigned char c) { return c <= 0x20 || c >= 0x7F; }

} // namespace

void InternetHandle::Reset(HINTERNET handle) {
    if (handle_ != nullptr) ::InternetCloseHandle(handle_);
    handle_ = handle;
}

void SetTimeLimits(HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        ::InternetSetOptionW(handle, option, &ms, sizeof(ms));
}

std::shared_ptr<InternetSession> InternetSession::Open(DWORD limitMs) {
    HINTERNET opened = ::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (opened == nullptr) return nullptr;
    ++g_sessionsOpened;
    auto session = std::make_shared<InternetSession>();
    session->handle_.Reset(opened);
    SetTimeLimits(opened, limitMs);
    return session;
}

long InternetSession::OpenedCount() { return g_sessionsOpened.load(); }

std::string RequestPathText(const std::string& pathAndQuery) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string path;
    for (unsigned char c : pathAndQuery.substr(0, pathAndQuery.find('#'))) {
        if (NeedsEscapeInRequest(c)) {
            path += '%';
            path += kHex[c >> 4];
            path += kHex[c & 0x0F];
        } else {
            path += static_cast<char>(c);
        }
    }
    return path.empty() ? "/" : path;
}

bool SplitRequestUrl(const std::string& url, RequestTarget& target) {
    const std::wstring wide = pillar::Utf8ToWide(url);
    if (wide.empty()) return false;
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;  // non-zero with a null pointer: point into `wide`
    parts.dwUrlPathLength = 1;   // the path keeps its query (no extra-info split)
    if (!::InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) return false;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    const std::string path =
        parts.lpszUrlPath ? pillar::WideToUtf8(std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength)) : std::string();
    target.path = pillar::Utf8ToWide(RequestPathText(path));
    target.port = parts.nPort;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return true;
}

bool HttpRequest::Fail() {
    lastError_ = ::GetLastError();
    return false;
}

bool HttpRequest::Send(const InternetSession& session, const std::string& url, const wchar_t* verb,
                       const std::wstring& headers, DWORD flags, DWORD limitMs) {
    lastError_ = 0;
    request_.Reset(nullptr);
    connection_.Reset(nullptr);
    RequestTarget target;
    if (!SplitRequestUrl(url, target)) return false;
    connection_.Reset(::InternetConnectW(session.Get(), target.host.c_str(), target.port, nullptr, nullptr,
                                         INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection_) return Fail();
    SetTimeLimits(connection_.Get(), limitMs);
    if (target.secure) flags |= INTERNET_FLAG_SECURE;
    request_.Reset(::HttpOpenRequestW(connection_.Get(), verb, target.path.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request_) return Fail();
    SetTimeLimits(request_.Get(), limitMs);
    const BOOL sent = ::HttpSendRequestW(request_.Get(), headers.empty() ? nullptr : headers.c_str(),
                                         static_cast<DWORD>(headers.size()), nullptr, 0);
    return sent ? true : Fail();
}

int HttpRequest::Status() const {
    std::string text;
    if (!Header(HTTP_QUERY_STATUS_CODE, text)) return 0;
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

bool HttpRequest::Header(DWORD infoLevel, std::string& text) const {
    if (!request_) return false;
    std::vector<wchar_t> buffer(128);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));  // bytes, room for the end
        DWORD index = 0;
        if (::HttpQueryInfoW(request_.Get(), infoLevel, buffer.data(), &length, &index)) {
            text = pillar::WideToUtf8(std::wstring(buffer.data(), length / sizeof(wchar_t)));
            return true;
        }
        // A header longer than 64 KiB is no header the launcher needs.
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || length > 64 * 1024) return false;
        buffer.assign(length / sizeof(wchar_t) + 2, L'\0');
    }
    return false;
}
