#pragma once
// The pictures of the last start, kept in the tmp folder with what the
// server said identifies them (ETag, Last-Modified), so the next start asks
// "changed since?" and moves no picture bytes when nothing did. The index
// (tmp\KeptImages.txt) also holds each file's length and BLAKE2b, so a file
// damaged or replaced on disk is never passed off as current: it is fetched
// again. Safe to use from several fetching threads at once.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "Launcher/net/HttpDownloader.h"

struct KeptImage {
    std::string url;
    std::wstring fileName;  // in the tmp folder
    BodyValidators validators;
    int64_t size = 0;
    std::string hash;  // BLAKE2b-512, lower-case hex
};

class KeptImages {
public:
    // More than a full window's pictures (a logo and two per card), so a
    // configuration that changes a few keeps the rest; bytes bound the
    // folder whatever the server sends.
    static constexpr size_t kMostImages = 32;
    static constexpr int64_t kMostBytes = 16 * 1024 * 1024;

    explicit KeptImages(std::wstring tmpFolder);

    // Reads the index; a missing or damaged one keeps nothing.
    void Load();

    // The validators to send for `url` when its kept copy `fileName` is on
    // disk with the recorded length and hash; empty otherwise.
    BodyValidators ValidatorsFor(const std::string& url, const std::wstring& fileName) const;

    // Records `bytes`, just saved as `fileName` for `url`. Nothing is kept
    // without validators, since nothing could be asked about it later.
    void Keep(const std::string& url, const std::wstring& fileName, const BodyValidators& validators,
              const std::string& bytes);

    // Drops the entries of URLs not in `urlsInUse`, then the oldest beyond
    // the bounds, deleting their files unless `fileNamesInUse` names them,
    // and writes the index. False when the index could not be written.
    bool Save(const std::set<std::string>& urlsInUse, const std::set<std::wstring>& fileNamesInUse);

    std::vector<KeptImage> Entries() const;

private:
    std::wstring IndexPath() const;

    std::wstring folder_;
    mutable std::mutex lock_;
    std::vector<KeptImage> entries_;  // oldest first
};
