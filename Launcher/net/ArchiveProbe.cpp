#include "Launcher/net/ArchiveProbe.h"

#include <memory>

#include "Launcher/net/HttpRequest.h"
#include "pillar/DecimalText.h"

namespace {

// -1 for anything but up to eighteen digits.
int64_t ParseCount(const std::string& text) {
    uint64_t value = 0;
    if (!pillar::ParseDecimal(text, 999999999999999999ull, value)) return -1;
    return static_cast<int64_t>(value);
}

// Wine reports a receive time-out as the socket's own error.
constexpr DWORD kSocketTimedOut = 10060;

ProbeResult FailureOf(DWORD error) {
    return error == ERROR_INTERNET_TIMEOUT || error == kSocketTimedOut ? ProbeResult::TimedOut
                                                                       : ProbeResult::Unreachable;
}

// One request on `session`; the headers of its answer in `request`.
ProbeResult Send(const InternetSession& session, const std::string& url, const wchar_t* verb,
                 const std::wstring& headers, DWORD timeoutMs, HttpRequest& request, DWORD& status) {
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
    if (!request.Send(session, url, verb, headers, flags, timeoutMs)) return FailureOf(request.LastError());
    const int code = request.Status();
    if (code <= 0) return ProbeResult::Unreachable;
    status = static_cast<DWORD>(code);
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
    RequestTarget target;
    if (!SplitRequestUrl(url, target)) return answer;
    const std::shared_ptr<InternetSession> session = InternetSession::Open(timeoutMs);
    if (!session) return answer;

    {
        HttpRequest head;
        answer.result = Send(*session, url, L"HEAD", std::wstring(), timeoutMs, head, answer.status);
        if (answer.result != ProbeResult::Answered) return answer;
        if (answer.status < 200 || answer.status > 299) {
            answer.result = ProbeResult::Refused;
            return answer;
        }
        std::string text;
        if (head.Header(HTTP_QUERY_CONTENT_LENGTH, text)) answer.facts.size = ParseCount(text);
        head.Header(HTTP_QUERY_ETAG, answer.facts.etag);
        head.Header(HTTP_QUERY_LAST_MODIFIED, answer.facts.lastModified);
    }

    // "Accept-Ranges" is only a claim: ask for the first byte and look.
    HttpRequest range;
    DWORD status = 0;
    if (Send(*session, url, L"GET", L"Range: bytes=0-0\r\n", timeoutMs, range, status) != ProbeResult::Answered)
        return answer;  // the facts of HEAD stand; ranges stay unproven
    std::string contentRange, etag;
    range.Header(HTTP_QUERY_CONTENT_RANGE, contentRange);
    range.Header(HTTP_QUERY_ETAG, etag);
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
