#include "Launcher/patch/ServerStatus.h"

#include <wininet.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

#include "pillar/TextConversion.h"

namespace {

struct InternetCloser {
    void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using Internet = std::unique_ptr<std::remove_pointer<HINTERNET>::type, InternetCloser>;

void SetLimit(HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionW(handle, option, &ms, sizeof(ms));
}

} // namespace

std::string RequestPathText(const std::string& pathAndQuery) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string path;
    for (unsigned char c : pathAndQuery.substr(0, pathAndQuery.find('#'))) {
        if (c <= 0x20 || c >= 0x7F) {
            path += '%';
            path += kHex[c >> 4];
            path += kHex[c & 0x0F];
        } else {
            path += static_cast<char>(c);
        }
    }
    return path.empty() ? "/" : path;
}

int HeadStatus(const std::string& url, DWORD limitMs) {
    const std::wstring wide = pillar::Utf8ToWide(url);
    if (wide.empty()) return 0;
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;  // non-zero with a null pointer: point into `wide`
    parts.dwUrlPathLength = 1;
    if (!InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts)) return 0;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return 0;
    if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) return 0;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::string pathText = parts.lpszUrlPath
                                     ? pillar::WideToUtf8(std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength))
                                     : std::string();
    const std::wstring path = pillar::Utf8ToWide(RequestPathText(pathText));

    // Time limits hold under Wine only on the request handle; they are set
    // on every handle for Windows.
    const Internet internet(InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)",
                                          INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet) return 0;
    SetLimit(internet.get(), limitMs);
    const Internet connection(InternetConnectW(internet.get(), host.c_str(), parts.nPort, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return 0;
    SetLimit(connection.get(), limitMs);
    DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const Internet request(
        HttpOpenRequestW(connection.get(), L"HEAD", path.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request) return 0;
    SetLimit(request.get(), limitMs);
    if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return 0;
    wchar_t text[32] = {};
    DWORD length = sizeof(text) - sizeof(text[0]);
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE, text, &length, nullptr)) return 0;
    return static_cast<int>(std::wcstol(text, nullptr, 10));
}
