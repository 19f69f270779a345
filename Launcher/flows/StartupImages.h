#pragma once
// The pictures start-up puts on the window (the logo, each card's icon and
// background), fetched a few at a time on one shared WinINet session as
// soon as the configuration is read, revalidated against the copies kept
// from the last start, and checked for a sane size before anything decodes
// them. A picture that cannot be had leaves the skin's picture in place.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Launcher/flows/LauncherReport.h"

class InternetSession;

struct ImageJob {
    std::string url;
    std::wstring fileName;  // name in the tmp folder; empty: the URL's last "/"-segment
    WindowImage which = WindowImage::Logo;
    int card = kWholeWindow;
};

class StartupImages {
public:
    // Fetches at once at most; WinINet opens one connection per fetch in
    // flight and keeps it for the next. Six, as browsers allow per server:
    // the logo and four cards' pictures take two round trips, not three.
    static constexpr int kParallelFetches = 6;
    // A picture file longer than this is no picture the skin can show.
    static constexpr int32_t kLongestImageFile = 16 * 1024 * 1024;

    // Pictures go to `tmpFolder` (ends in "\"); requests share `session`.
    StartupImages(std::wstring tmpFolder, std::shared_ptr<InternetSession> session);

    // Called with a job and the path of its picture once that is on disk;
    // on a fetching thread, possibly on several at once.
    using Ready = std::function<void(const ImageJob& job, const std::wstring& path)>;

    // Fetches every job's picture and returns once all are done. Jobs whose
    // picture lands at the same path share one fetch (the first job's URL);
    // a job with an empty URL or a name that is not a plain file name is
    // never fetched. Then the kept pictures no job names are dropped.
    void FetchAll(const std::vector<ImageJob>& jobs, const Ready& ready);

    // Stall limit of each fetch; tests shorten it.
    DWORD stallLimitMs = 30000;

private:
    std::wstring tmpFolder_;
    std::shared_ptr<InternetSession> session_;
};
