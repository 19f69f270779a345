#pragma once
// Reader of a ZIP archive held in memory: stored and deflated members,
// optionally with traditional PKWARE encryption. Every offset and size read
// from the archive is checked against the buffer, so a damaged archive fails
// cleanly instead of reading out of bounds.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

class ZipArchive {
public:
    struct Member {
        std::string name;          // sanitised stored name
        uint16_t flags = 0;
        uint16_t method = 0;       // 0 stored, 8 deflated
        uint16_t dosTime = 0;
        uint16_t dosDate = 0;
        uint32_t crc = 0;
        uint32_t compressedSize = 0;
        uint32_t uncompressedSize = 0;
        uint32_t localHeaderOffset = 0;
        FILETIME modified{};       // UTC
    };

    ZipArchive() = default;
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The bytes are not copied: they must outlive the open archive. An empty
    // password reads unencrypted members only.
    bool OpenFromMemory(const void* data, size_t size, const std::string& password);
    void Close();
    bool IsOpen() const { return data_ != nullptr; }

    // Index of the member with exactly this (case-sensitive) name, or -1.
    int FindMember(const std::string& name, uint32_t* uncompressedSize = nullptr) const;
    size_t MemberCount() const { return members_.size(); }
    const Member& MemberAt(size_t index) const { return members_[index]; }

    // Decompresses member `index` into `buffer`, which must hold its
    // uncompressed size. Fails on a wrong password, bad data or CRC mismatch.
    bool ReadMember(int index, void* buffer, size_t bufferSize) const;

    // Strips a drive prefix, leading separators and everything up to the last
    // parent-folder step, so a stored name cannot climb out of its folder.
    static std::string SanitiseName(const std::string& stored);

private:
    bool ReadCentralDirectory();

    const unsigned char* data_ = nullptr;
    size_t size_ = 0;
    std::string password_;
    std::vector<Member> members_;
};

} // namespace ui
