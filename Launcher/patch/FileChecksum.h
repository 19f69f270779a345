#pragma once
// The launcher's checksum: a CRC-32 seeded with ChecksumSeed, compared with
// an update-list value after an exclusive or with ChecksumMask.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// RtlComputeCrc32 of Ntdll.dll: standard reflected CRC-32 continuing from
// `initial` (the same value zlib's crc32 gives for the same initial value).
typedef DWORD(WINAPI* Crc32Routine)(DWORD initial, const BYTE* bytes, INT length);

constexpr uint32_t ChecksumSeed = 0x3D9E41C7u;
constexpr uint32_t ChecksumMask = 0x5B07E2A9u;

// Resolves RtlComputeCrc32. On failure shows "API Error 1." or "API Error 2."
// (caption "Zadu Rizodi") and ends the process with exit code 0.
Crc32Routine LoadCrc32Routine();

// The resolution step without the fatal ending: the routine, or null and the
// text the fatal message shows ("API Error 1." when the library cannot be
// loaded, "API Error 2." when it lacks the routine).
struct Crc32Resolution {
    Crc32Routine routine;
    const wchar_t* failureText;
};
Crc32Resolution ResolveCrc32Routine(const wchar_t* library, const char* routineName);

// Caption of the fatal message.
extern const wchar_t* const Crc32FailureCaption;

// Block size the file checksum reads with.
constexpr size_t ChecksumFileBlock = 1u << 20;

// CRC-32 of `length` bytes continuing from `initial`, computed with zlib
// (bit-identical to the system routine, many times faster).
uint32_t Crc32Continue(uint32_t initial, const void* bytes, size_t length);

// The launcher's checksum of a buffer: CRC-32 from ChecksumSeed.
uint32_t BufferChecksum(const void* bytes, size_t length);

// The launcher's checksum of a whole file, streamed in fixed-size blocks so
// memory stays bounded; 0 when the file cannot be opened or read.
uint32_t FileChecksumOfPath(const std::wstring& path);

// Same, telling a failure apart from a genuine checksum: false when the file
// cannot be opened or read.
bool ComputeFileChecksum(const std::wstring& path, uint32_t& checksum);

// A read block of ChecksumFileBlock bytes. Whoever checksums many files keeps
// one (one per thread) instead of paying for a fresh one per file. It is not
// a thread_local: with MinGW's emulated TLS a thread-local object with a
// destructor is destroyed after its storage is freed, which corrupted the
// heap whenever a checking thread ended.
using ChecksumBlock = std::unique_ptr<unsigned char[]>;
ChecksumBlock MakeChecksumBlock();
bool ComputeFileChecksum(const std::wstring& path, uint32_t& checksum, unsigned char* block);

// An update-list value: decimal text read like atoi, saturating at the limits
// of the 32-bit signed range.
int32_t ParseListValue(const std::string& text);

// The list value that a checksum is published as.
int32_t ListValueOf(uint32_t checksum);

// True when `checksum` matches the list value (compared as 32-bit patterns).
bool ChecksumMatches(uint32_t checksum, int32_t listValue);
