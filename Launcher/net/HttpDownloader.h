#pragma once
// One HTTP GET into one block of memory (or streamed to a consumer), over
// WinINet. No retry, no resume, no redirect handling beyond what WinINet does
// by itself. Every wait on the network is bounded by the stall limit, and a
// body that trickles in below the lowest speed for the slow window fails too.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class InternetSession;

// Bytes received so far and the announced total, after every read that
// returned bytes; called on the fetching thread.
using ByteProgress = std::function<void(int64_t received, int64_t total)>;

// received / total as a whole percent, truncated (0 when the total is 0).
int PercentOf(int64_t received, int64_t total);

// Why the most recent fetch failed.
enum class FetchFailure {
    None,      // it did not fail
    TimedOut,  // nothing arrived within the stall limit, or the body came too slowly
    Other,     // refused, not 200, no usable length, cut off, or no memory
};

// What a server said identifies a body, so that a later request can ask
// whether it changed: the ETag (quotes included) and Last-Modified, as sent.
struct BodyValidators {
    std::string etag;
    std::string lastModified;
    bool Empty() const { return etag.empty() && lastModified.empty(); }
};

enum class RevalidateResult {
    Fresh,      // status 200: the new body is held, as after a successful Fetch
    Unchanged,  // status 304: the kept copy is still current; nothing is held
    Failed,     // as Fetch failing; `failure` says why
};

class HttpDownloader {
public:
    // Takes the bytes of a streamed body in order; false stops the fetch.
    typedef std::function<bool(const BYTE* bytes, size_t count)> BodySink;
    enum class StreamResult {
        Complete,     // status 200, a positive length, all of it taken by the sink
        FetchFailed,  // any failure of the fetch itself (as Fetch reports false)
        SinkFailed,   // the sink refused a block
    };

    HttpDownloader() = default;
    ~HttpDownloader();
    HttpDownloader(const HttpDownloader&) = delete;
    HttpDownloader& operator=(const HttpDownloader&) = delete;

    // Downloads `url` (UTF-8 text; the bytes of non-ASCII characters in its
    // path go out percent-encoded). True exactly when the server answered 200
    // with a positive Content-Length and that many bytes arrived. After a
    // body that ends early the partial block (zeros past the received part)
    // and `size` stay held; after any other failure, a stall past
    // `stallLimitMs` included, nothing is held.
    bool Fetch(std::string url);

    // Downloads `url` like Fetch, but hands the body to `sink` in blocks of at
    // most `streamBlockSize` bytes instead of holding it, so a body of any
    // length (beyond the 32-bit range too) needs one block of memory.
    // `progress` reports as for Fetch. Nothing is held afterwards.
    StreamResult FetchStreamed(std::string url, const BodySink& sink);

    // Fetch that asks the server to answer 304 when `kept` (the validators
    // of a copy already on disk) still describe the body: If-None-Match and
    // If-Modified-Since go out for what `kept` holds. `validators` receives
    // those of the answer either way.
    RevalidateResult FetchUnlessUnchanged(const std::string& url, const BodyValidators& kept);

    // The held bytes (embedded zeros included); empty when nothing is held.
    std::string GetContent() const;

    // Writes the held bytes to `path`, creating missing parent folders and
    // replacing an existing file. False when the file could not be opened or
    // not all bytes could be written; nothing held writes an empty file.
    bool SaveToFile(const std::wstring& path) const;

    // `fileName` decoded from UTF-8.
    std::wstring GetFileNameW() const;

    // Owners read these directly and set `progress` before a fetch.
    BYTE* buffer = nullptr;           // GlobalAlloc(GPTR) block, null when nothing is held
    int32_t size = 0;                 // announced Content-Length, 0 when nothing is held
    uint32_t chunkSize = 10240;       // bytes asked for per read
    ByteProgress progress;            // called after every read that returned bytes
    std::string fileName;             // last "/"-segment of the most recent URL
    // Longest wait for the connection, the answer or the next byte of the
    // body; past it the fetch fails.
    DWORD stallLimitMs = 30000;
    // Bytes asked for per read by FetchStreamed.
    uint32_t streamBlockSize = 1u << 20;
    // A body that brings fewer than `lowestBytesPerSecond` on average over
    // any `slowWindowMs` fails as timed out: WinINet itself has no speed limit.
    int64_t lowestBytesPerSecond = 1024;
    DWORD slowWindowMs = 30000;
    // Set by every Fetch and FetchStreamed: None after a success.
    FetchFailure failure = FetchFailure::None;
    // Requests go out on this session when set, so fetches in a row (or in
    // parallel, one downloader per thread) reuse its kept-alive connections;
    // when null, every fetch opens and closes a session of its own.
    std::shared_ptr<InternetSession> session;
    // WinINet flags of every request (INTERNET_FLAG_SECURE is added for https).
    DWORD requestFlags = INTERNET_FLAG_NO_CACHE_WRITE;
    // The longest body Fetch and FetchUnlessUnchanged take; a longer
    // announced length fails before any byte is read.
    int32_t lengthLimit = INT32_MAX;
    // Set by FetchUnlessUnchanged: the answer's validators (empty when none).
    BodyValidators validators;

private:
    // Takes the URL's last segment as `fileName` and drops what is held.
    void Begin(const std::string& url);
    void Release();
};
