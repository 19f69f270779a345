#include "Launcher/trust/Blake2b.h"

#include <windows.h>

#include <memory>

#include "Launcher/trust/Blake2bStream.h"
#include "Launcher/trust/Hex.h"
#include "pillar/ScopedHandle.h"

namespace trust {

namespace {

constexpr DWORD kBlockBytes = 1u << 20;

std::string SystemMessage(DWORD code) {
    return "Windows error " + std::to_string(code);
}

} // namespace

Blake2bDigest Blake2bOfBuffer(const void* bytes, size_t size) {
    Blake2bStream hash;
    hash.Update(bytes, size);
    return hash.Finish();
}

std::string DigestHex(const Blake2bDigest& digest) { return LowerHex(digest.data(), digest.size()); }

std::string Blake2bHexOfBuffer(const void* bytes, size_t size) { return DigestHex(Blake2bOfBuffer(bytes, size)); }

FileDigest Blake2bOfFile(const std::wstring& path) {
    FileDigest result;
    pillar::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        result.error = "cannot open the file (" + SystemMessage(GetLastError()) + ")";
        return result;
    }
    // A small file gets a block of its size: a fresh 1 MiB block is mapped
    // anew each time, which costs far more than hashing a Config.ini.
    LARGE_INTEGER size{};
    DWORD blockBytes = kBlockBytes;
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart < kBlockBytes)
        blockBytes = static_cast<DWORD>(size.QuadPart) + 4096;  // room for a file that grows meanwhile
    std::unique_ptr<uint8_t[]> block(new uint8_t[blockBytes]);
    Blake2bStream hash;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), block.get(), blockBytes, &got, nullptr)) {
            result.error = "reading the file failed (" + SystemMessage(GetLastError()) + ")";
            return result;
        }
        if (got == 0) break;
        hash.Update(block.get(), got);
    }
    result.digest = hash.Finish();
    result.ok = true;
    return result;
}

} // namespace trust
