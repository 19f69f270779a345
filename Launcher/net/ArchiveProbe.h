#pragma once
// What the server says about an archive before it is downloaded: its size,
// the validators that change when its content does, and whether it really
// answers byte ranges. A resumed download is only safe when all of these are
// the same as when the partial file was started.
#include <windows.h>

#include <cstdint>
#include <string>

struct ArchiveFacts {
    int64_t size = -1;         // Content-Length of the whole file; -1 when not given
    std::string etag;          // as sent, quotes included; empty when not given
    std::string lastModified;  // as sent; empty when not given
    bool ranges = false;       // "Range: bytes=0-0" got 206 with a matching Content-Range
};

enum class ProbeResult {
    Answered,     // a 2xx answer: `facts` holds what it said
    Refused,      // an HTTP answer other than 2xx (`status` tells which)
    TimedOut,     // no answer within the time limits
    Unreachable,  // the connection or the request failed otherwise, or the URL is unusable
};

struct ProbeAnswer {
    ProbeResult result = ProbeResult::Unreachable;
    DWORD status = 0;
    ArchiveFacts facts;
};

// A HEAD request, then a one-byte range request, both with connect, send and
// receive limits of `timeoutMs` each, so no wait lasts longer. `url` is UTF-8;
// non-ASCII bytes and spaces in it go out percent-encoded.
ProbeAnswer ProbeArchive(const std::string& url, DWORD timeoutMs);

// The total of a "bytes 0-0/1234" Content-Range; -1 for anything else.
int64_t TotalOfContentRange(const std::string& contentRange);
