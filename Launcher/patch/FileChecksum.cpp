#include "Launcher/patch/FileChecksum.h"

#include <zlib.h>

#include <climits>
#include <memory>
#include <mutex>
#include <vector>

#include "pillar/ScopedHandle.h"

const wchar_t* const Crc32FailureCaption = L"Zadu Rizodi";

Crc32Resolution ResolveCrc32Routine(const wchar_t* library, const char* routineName) {
    // The library stays loaded for the life of the process.
    HMODULE module = LoadLibraryW(library);
    if (!module)
        return {nullptr, L"API Error 1."};
    FARPROC address = GetProcAddress(module, routineName);
    if (!address)
        return {nullptr, L"API Error 2."};
    return {reinterpret_cast<Crc32Routine>(reinterpret_cast<void*>(address)), nullptr};
}

Crc32Routine LoadCrc32Routine() {
    const Crc32Resolution resolved = ResolveCrc32Routine(L"Ntdll.dll", "RtlComputeCrc32");
    if (!resolved.routine) {
        MessageBoxW(nullptr, resolved.failureText, Crc32FailureCaption, MB_OK);
        ExitProcess(0);
    }
    return resolved.routine;
}

uint32_t Crc32Continue(uint32_t initial, const void* bytes, size_t length) {
    // zlib takes 32-bit lengths; feed larger buffers in pieces.
    const Bytef* cursor = static_cast<const Bytef*>(bytes);
    uLong crc = initial;
    while (length > 0) {
        const uInt piece = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        crc = crc32(crc, cursor, piece);
        cursor += piece;
        length -= piece;
    }
    return static_cast<uint32_t>(crc);
}

uint32_t BufferChecksum(const void* bytes, size_t length) {
    return Crc32Continue(ChecksumSeed, bytes, length);
}

ChecksumBlock MakeChecksumBlock() { return ChecksumBlock(new unsigned char[ChecksumFileBlock]); }

namespace {

// Blocks handed back by earlier checksums. A fresh 1 MiB block per file costs
// more than checksumming a typical game file: each is mapped anew.
class ChecksumBlockPool {
public:
    ChecksumBlock Take() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!free_.empty()) {
                ChecksumBlock block = std::move(free_.back());
                free_.pop_back();
                return block;
            }
        }
        return MakeChecksumBlock();
    }

    void Give(ChecksumBlock block) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (free_.size() < kKept) free_.push_back(std::move(block));
    }

private:
    static constexpr size_t kKept = 8;
    std::mutex mutex_;
    std::vector<ChecksumBlock> free_;
};

ChecksumBlockPool& BlockPool() {
    static ChecksumBlockPool pool;
    return pool;
}

} // namespace

bool ComputeFileChecksum(const std::wstring& path, uint32_t& checksum) {
    ChecksumBlock block = BlockPool().Take();
    const bool read = ComputeFileChecksum(path, checksum, block.get());
    BlockPool().Give(std::move(block));
    return read;
}

bool ComputeFileChecksum(const std::wstring& path, uint32_t& checksum, unsigned char* block) {
    const pillar::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;
    // Fixed-size blocks: memory stays bounded whatever the file size, so
    // archives beyond the 32-bit address space are checksummed too.
    uint32_t crc = ChecksumSeed;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), block, static_cast<DWORD>(ChecksumFileBlock), &got, nullptr))
            return false;
        if (got == 0) {
            checksum = crc;
            return true;
        }
        crc = Crc32Continue(crc, block, got);
    }
}

uint32_t FileChecksumOfPath(const std::wstring& path) {
    uint32_t checksum = 0;
    return ComputeFileChecksum(path, checksum) ? checksum : 0;
}

int32_t ParseListValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate toward the sign and stop at the limit, like the runtime's atoi.
    const long long limit = negative ? -static_cast<long long>(INT32_MIN) : INT32_MAX;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude >= limit) {
            magnitude = limit;
            // Remaining digits cannot bring it back into range.
            break;
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int32_t ListValueOf(uint32_t checksum) {
    return static_cast<int32_t>(checksum ^ ChecksumMask);
}

bool ChecksumMatches(uint32_t checksum, int32_t listValue) {
    return (checksum ^ ChecksumMask) == static_cast<uint32_t>(listValue);
}
