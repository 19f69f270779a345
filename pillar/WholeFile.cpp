#include "pillar/WholeFile.h"

#include <algorithm>

#include "pillar/ScopedHandle.h"

namespace pillar {

namespace {
// WriteFile takes a 32-bit count; larger data goes in pieces.
constexpr size_t kWritePiece = 16u << 20;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr)) {
            bytes.clear();
            return false;
        }
        if (got == 0) return true;
        bytes.append(chunk, got);
    }
}

bool WriteWholeFile(const std::wstring& path, const void* data, size_t size) {
    if (data == nullptr && size != 0) return false;
    ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.Get(), data, size);
}

bool WriteAll(HANDLE file, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        const DWORD piece = static_cast<DWORD>(std::min(size - done, kWritePiece));
        DWORD written = 0;
        if (!::WriteFile(file, bytes + done, piece, &written, nullptr) || written != piece) return false;
        done += piece;
    }
    return true;
}

} // namespace pillar
