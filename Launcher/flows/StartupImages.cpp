#include "Launcher/flows/StartupImages.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "Launcher/config/CardContent.h"
#include "Launcher/flows/ImageHeader.h"
#include "Launcher/flows/KeptImages.h"
#include "Launcher/net/HttpDownloader.h"
#include "pillar/TextConversion.h"
#include "pillar/UrlFileName.h"

namespace {

// The jobs whose picture lands at one path, fetched once.
struct ImageGroup {
    std::string url;
    std::wstring fileName;
    std::wstring path;
    std::vector<ImageJob> jobs;
};

std::vector<ImageGroup> GroupByPath(const std::vector<ImageJob>& jobs, const std::wstring& tmpFolder) {
    std::vector<ImageGroup> groups;
    std::map<std::wstring, size_t> byPath;
    for (const ImageJob& job : jobs) {
        if (job.url.empty()) continue;
        const std::wstring fileName = job.fileName.empty() ? pillar::Utf8ToWide(pillar::UrlFileName(job.url)) : job.fileName;
        const std::wstring path = DownloadedImagePath(tmpFolder, fileName);
        if (path.empty()) continue;  // an unsafe name is never fetched, let alone saved
        auto found = byPath.find(path);
        if (found == byPath.end()) {
            byPath[path] = groups.size();
            groups.push_back(ImageGroup{job.url, fileName, path, {}});
            found = byPath.find(path);
        }
        groups[found->second].jobs.push_back(job);
    }
    return groups;
}

// True when the group's picture is on disk and fit to show: unchanged since
// the kept copy, or fetched anew, of a sane size, and saved.
bool BringImage(const ImageGroup& group, HttpDownloader& download, KeptImages& kept) {
    const BodyValidators known = kept.ValidatorsFor(group.url, group.fileName);
    switch (download.FetchUnlessUnchanged(group.url, known)) {
    case RevalidateResult::Unchanged:
        return true;
    case RevalidateResult::Failed:
        return false;
    case RevalidateResult::Fresh:
        break;
    }
    const std::string bytes = download.GetContent();
    if (!ImageFitsSkin(bytes.data(), bytes.size())) return false;
    if (!download.SaveToFile(group.path)) return false;
    kept.Keep(group.url, group.fileName, download.validators, bytes);
    return true;
}

} // namespace

StartupImages::StartupImages(std::wstring tmpFolder, std::shared_ptr<InternetSession> session)
    : tmpFolder_(std::move(tmpFolder)), session_(std::move(session)) {}

void StartupImages::FetchAll(const std::vector<ImageJob>& jobs, const Ready& ready) {
    const std::vector<ImageGroup> groups = GroupByPath(jobs, tmpFolder_);
    KeptImages kept(tmpFolder_);
    kept.Load();

    // WinINet allows two connections per server by default; the fetches in
    // flight would otherwise queue for them.
    DWORD connections = kParallelFetches;
    ::InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections, sizeof(connections));

    std::atomic<size_t> next{0};
    auto fetchSome = [&] {
        HttpDownloader download;
        download.session = session_;
        download.stallLimitMs = stallLimitMs;
        download.lengthLimit = kLongestImageFile;
        // The kept copies are the cache: WinINet's own stays out of the way.
        download.requestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
        for (size_t index = next++; index < groups.size(); index = next++) {
            const ImageGroup& group = groups[index];
            if (!BringImage(group, download, kept)) continue;
            for (const ImageJob& job : group.jobs) ready(job, group.path);
        }
    };
    std::vector<std::thread> fetchers;
    const size_t threads = std::min<size_t>(kParallelFetches, groups.size());
    for (size_t i = 1; i < threads; ++i) fetchers.emplace_back(fetchSome);
    fetchSome();  // this thread fetches too
    for (std::thread& fetcher : fetchers) fetcher.join();

    std::set<std::string> urls;
    std::set<std::wstring> fileNames;
    for (const ImageGroup& group : groups) {
        urls.insert(group.url);
        fileNames.insert(group.fileName);
    }
    kept.Save(urls, fileNames);
}
