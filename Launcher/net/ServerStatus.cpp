#include "Launcher/net/ServerStatus.h"

#include <memory>

#include "Launcher/net/HttpRequest.h"

int HeadStatus(const std::string& url, DWORD limitMs) {
    RequestTarget target;
    if (!SplitRequestUrl(url, target)) return 0;
    const std::shared_ptr<InternetSession> session = InternetSession::Open(limitMs);
    if (!session) return 0;
    HttpRequest request;
    if (!request.Send(*session, url, L"HEAD", std::wstring(), INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD,
                      limitMs))
        return 0;
    return request.Status();
}
