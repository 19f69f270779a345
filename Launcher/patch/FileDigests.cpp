#include "Launcher/patch/FileDigests.h"

#include <windows.h>

#include "Launcher/patch/FileChecksum.h"
#include "Launcher/trust/Blake2bStream.h"
#include "pillar/ScopedHandle.h"

bool ComputeFileDigests(const std::wstring& path, bool strong, FileDigests& digests, unsigned char* block) {
    if (!strong) {
        digests.strongHex.clear();
        return ComputeFileChecksum(path, digests.checksum, block);
    }
    const pillar::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    trust::Blake2bStream hash;
    uint32_t crc = ChecksumSeed;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), block, static_cast<DWORD>(ChecksumFileBlock), &got, nullptr)) return false;
        if (got == 0) break;
        crc = Crc32Continue(crc, block, got);
        hash.Update(block, got);
    }
    digests.checksum = crc;
    digests.strongHex = hash.FinishHex();
    return true;
}

bool DigestsMatch(const FileDigests& digests, const ExpectedFile& expected) {
    if (!ChecksumMatches(digests.checksum, expected.listValue)) return false;
    return expected.strongHex.empty() || digests.strongHex == expected.strongHex;
}
