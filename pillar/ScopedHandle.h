#pragma once
// Sole owner of one kernel handle; closes it when replaced or destroyed.
// Win32 uses both null and INVALID_HANDLE_VALUE for "no handle" depending on
// the call, so both count as empty and neither is ever closed.
#include <windows.h>

namespace pillar {

class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { Close(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return Valid(); }

    // Out-parameter for APIs that create a handle; closes any previous one.
    HANDLE* Receive() {
        Close();
        return &handle_;
    }
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr) {
        if (handle == handle_) return;  // re-adopting the same handle must not close it
        Close();
        handle_ = handle;
    }
    void Close() {
        if (Valid()) ::CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

} // namespace pillar
