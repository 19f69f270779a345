#pragma once
// Owner of one movable global memory block (GlobalAlloc). Stream and
// clipboard APIs want HGLOBALs; this keeps them from leaking on error paths.
#include <windows.h>

#include <cstddef>

namespace ui {

class GlobalMemoryBlock {
public:
    GlobalMemoryBlock() = default;
    explicit GlobalMemoryBlock(HGLOBAL block) : block_(block) {}
    ~GlobalMemoryBlock() { Reset(); }

    GlobalMemoryBlock(GlobalMemoryBlock&& other) noexcept : block_(other.Release()) {}
    GlobalMemoryBlock& operator=(GlobalMemoryBlock&& other) noexcept {
        if (this != &other) {
            Reset();
            block_ = other.Release();
        }
        return *this;
    }
    GlobalMemoryBlock(const GlobalMemoryBlock&) = delete;
    GlobalMemoryBlock& operator=(const GlobalMemoryBlock&) = delete;

    // A movable, zero-filled block of `size` bytes; empty on failure.
    static GlobalMemoryBlock Allocate(size_t size) {
        return GlobalMemoryBlock(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    }

    HGLOBAL Get() const { return block_; }
    explicit operator bool() const { return block_ != nullptr; }
    size_t Size() const { return block_ ? ::GlobalSize(block_) : 0; }

    // Hands the block over (e.g. to CreateStreamOnHGlobal with delete-on-release).
    HGLOBAL Release() {
        HGLOBAL b = block_;
        block_ = nullptr;
        return b;
    }
    void Reset() {
        if (block_) ::GlobalFree(block_);
        block_ = nullptr;
    }

private:
    HGLOBAL block_ = nullptr;
};

// Locks a block for the lifetime of the object.
class GlobalMemoryLock {
public:
    explicit GlobalMemoryLock(HGLOBAL block) : block_(block), data_(block ? ::GlobalLock(block) : nullptr) {}
    ~GlobalMemoryLock() {
        if (data_) ::GlobalUnlock(block_);
    }
    GlobalMemoryLock(const GlobalMemoryLock&) = delete;
    GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;

    void* Data() const { return data_; }
    unsigned char* Bytes() const { return static_cast<unsigned char*>(data_); }

private:
    HGLOBAL block_;
    void* data_;
};

} // namespace ui
