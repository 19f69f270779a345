#pragma once
// Local checksums of an update list's files (the CRC-32 and, with a hash
// list, the BLAKE2b of each, from one read), computed ahead on worker
// threads and taken in list order.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "Launcher/patch/FileChecksum.h"
#include "Launcher/patch/FileDigests.h"
#include "pillar/ScopedHandle.h"

// A repair must not race with a read of the file it replaces, and may change
// files further down the list (a name listed twice, a folder made): workers
// are held while it runs, and everything after it is computed again. With
// one thread nothing runs ahead; each file is read when its turn comes.
//
// Waking a thread costs a round trip to the system (under Wine, to its
// server, which also serves every file open), so threads are woken only when
// someone waits for exactly that: the taker for the file it takes, workers
// for half a window of room. A taker whose file is still being read reads
// the next one meanwhile.
class ChecksumsAhead {
public:
    // `strong` adds the BLAKE2b of every file.
    ChecksumsAhead(std::vector<std::wstring> paths, int threads, bool strong = false);
    ~ChecksumsAhead();
    ChecksumsAhead(const ChecksumsAhead&) = delete;
    ChecksumsAhead& operator=(const ChecksumsAhead&) = delete;

    // The checksums of file `index`; false when it cannot be read. Files
    // are taken in increasing order.
    bool Take(size_t index, FileDigests& digests);

    // Holds the workers and waits for the reads in progress to end.
    void Hold();

    // Lets the workers go on, computing every file after `index` again.
    void ReleaseAfter(size_t index);

private:
    struct Slot {
        bool ready = false;
        bool readable = false;
        FileDigests digests;
    };

    bool CanClaim() const;
    bool HasHalfWindowRoom() const;
    void Work();
    void ReadNext(std::unique_lock<std::mutex>& lock, unsigned char* block);

    const std::vector<std::wstring> paths_;
    const bool strong_;
    std::vector<Slot> slots_;
    std::vector<pillar::ScopedHandle> workers_;
    const ChecksumBlock takerBlock_;  // the taking thread's reads
    size_t window_ = 0;  // how far ahead of the taken file workers may read
    std::mutex mutex_;
    std::condition_variable workersWake_;
    std::condition_variable runWake_;
    size_t next_ = 0;    // next file to read
    size_t taken_ = 0;   // file being taken
    int reading_ = 0;    // reads in progress
    int idleWorkers_ = 0;
    bool runWaits_ = false;
    bool held_ = false;
    bool stopping_ = false;
};
