#include "Launcher/patch/ChecksumsAhead.h"

#include <windows.h>

#include <algorithm>

#include "Launcher/patch/FileChecksum.h"
#include "pillar/WorkerThread.h"

ChecksumsAhead::ChecksumsAhead(std::vector<std::wstring> paths, int threads, bool strong)
    : paths_(std::move(paths)), strong_(strong), slots_(paths_.size()), takerBlock_(MakeChecksumBlock()) {
    if (threads <= 1) return;
    window_ = std::max<size_t>(32, static_cast<size_t>(threads) * 16);
    // A thread the system refuses is only speed lost; with none the checks
    // run on the taker's thread.
    for (int i = 0; i < threads; ++i) {
        pillar::ScopedHandle worker = pillar::StartThread([this] { Work(); });
        if (worker) workers_.push_back(std::move(worker));
    }
}

ChecksumsAhead::~ChecksumsAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    workersWake_.notify_all();
    for (pillar::ScopedHandle& worker : workers_) WaitForSingleObject(worker.Get(), INFINITE);
}

bool ChecksumsAhead::Take(size_t index, FileDigests& digests) {
    if (workers_.empty()) return ComputeFileDigests(paths_[index], strong_, digests, takerBlock_.get());
    std::unique_lock<std::mutex> lock(mutex_);
    taken_ = index;
    if (idleWorkers_ > 0 && HasHalfWindowRoom()) workersWake_.notify_all();
    while (!slots_[index].ready) {
        if (next_ <= index) {
            // No worker got to it yet: read it here rather than wait.
            next_ = index + 1;
            lock.unlock();
            return ComputeFileDigests(paths_[index], strong_, digests, takerBlock_.get());
        }
        // A worker reads it: read the next file meanwhile, and wait only
        // when there is none to read.
        if (CanClaim()) {
            ReadNext(lock, takerBlock_.get());
            continue;
        }
        runWaits_ = true;
        runWake_.wait(lock, [&] { return slots_[index].ready; });
        runWaits_ = false;
    }
    digests = std::move(slots_[index].digests);
    return slots_[index].readable;
}

void ChecksumsAhead::Hold() {
    std::unique_lock<std::mutex> lock(mutex_);
    held_ = true;
    runWaits_ = true;
    runWake_.wait(lock, [&] { return reading_ == 0; });
    runWaits_ = false;
}

void ChecksumsAhead::ReleaseAfter(size_t index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t i = index + 1; i < slots_.size(); ++i) slots_[i].ready = false;
        next_ = std::min(next_, index + 1);
        held_ = false;
    }
    workersWake_.notify_all();
}

bool ChecksumsAhead::CanClaim() const { return !held_ && next_ < paths_.size() && next_ < taken_ + window_; }

bool ChecksumsAhead::HasHalfWindowRoom() const {
    return next_ + window_ / 2 <= taken_ + window_ || next_ >= paths_.size();
}

void ChecksumsAhead::Work() {
    const ChecksumBlock block = MakeChecksumBlock();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!stopping_ && !CanClaim()) {
            ++idleWorkers_;
            workersWake_.wait(lock, [&] { return stopping_ || (CanClaim() && HasHalfWindowRoom()); });
            --idleWorkers_;
        }
        if (stopping_) return;
        ReadNext(lock, block.get());
    }
}

void ChecksumsAhead::ReadNext(std::unique_lock<std::mutex>& lock, unsigned char* block) {
    // The lock is let go while the file is read.
    const size_t index = next_++;
    ++reading_;
    lock.unlock();
    Slot slot;
    slot.readable = ComputeFileDigests(paths_[index], strong_, slot.digests, block);
    slot.ready = true;
    lock.lock();
    --reading_;
    slots_[index] = std::move(slot);
    if (runWaits_ && (index == taken_ || (held_ && reading_ == 0))) runWake_.notify_one();
}
