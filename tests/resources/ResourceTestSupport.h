#pragma once
// Helpers shared by the resource tests: test data files and buffers that
// fault on any read past their end.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "support/TestFiles.h"

namespace resources_test {

inline std::wstring DataPath(const std::wstring& name) {
    return std::wstring(L"" RESOURCES_TEST_DATA) + L"/" + name;
}

using testsupport::ReadWholeFile;

// A copy of some bytes placed so that the byte after the last one is on an
// inaccessible page: reading past the end crashes the test instead of
// silently passing.
class GuardedBuffer {
public:
    explicit GuardedBuffer(const std::string& bytes) : size_(bytes.size()) {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        size_t page = info.dwPageSize;
        size_t dataPages = (size_ + page - 1) / page;
        total_ = (dataPages + 1) * page;
        base_ = static_cast<unsigned char*>(::VirtualAlloc(nullptr, total_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + dataPages * page - size_;
        if (size_) std::memcpy(data_, bytes.data(), size_);
    }
    ~GuardedBuffer() { ::VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    const unsigned char* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    size_t size_;
    size_t total_ = 0;
    unsigned char* base_ = nullptr;
    unsigned char* data_ = nullptr;
};

} // namespace resources_test
