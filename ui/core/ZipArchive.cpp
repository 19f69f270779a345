#include "ui/core/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace ui {
namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr size_t kEncryptionHeaderSize = 12;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagStrongEncryption = 0x0040;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
bool InRange(size_t offset, size_t length, size_t size) { return offset <= size && length <= size - offset; }

// Traditional PKWARE stream cipher.
class ZipCipher {
public:
    explicit ZipCipher(const std::string& password) : table_(get_crc_table()) {
        for (unsigned char c : password) UpdateKeys(c);
    }
    unsigned char Decrypt(unsigned char c) {
        unsigned temp = (keys_[2] | 2) & 0xFFFF;
        unsigned char plain = static_cast<unsigned char>(c ^ ((temp * (temp ^ 1)) >> 8));
        UpdateKeys(plain);
        return plain;
    }
    void Decrypt(unsigned char* data, size_t length) {
        for (size_t i = 0; i < length; ++i) data[i] = Decrypt(data[i]);
    }

private:
    uint32_t Crc(uint32_t crc, unsigned char c) const {
        return static_cast<uint32_t>(table_[(crc ^ c) & 0xFF]) ^ (crc >> 8);
    }
    void UpdateKeys(unsigned char c) {
        keys_[0] = Crc(keys_[0], c);
        keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
        keys_[2] = Crc(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
    }

    const z_crc_t* table_;
    uint32_t keys_[3] = {0x12345678u, 0x23456789u, 0x34567890u};
};

FILETIME DosTimeToUtc(uint16_t date, uint16_t time) {
    FILETIME local{}, utc{};
    if (!::DosDateTimeToFileTime(date, time, &local) || !::LocalFileTimeToFileTime(&local, &utc)) return FILETIME{};
    return utc;
}

FILETIME UnixTimeToFileTime(uint32_t seconds) {
    ULONGLONG ticks = (static_cast<ULONGLONG>(seconds) + 11644473600ull) * 10000000ull;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

// Modification time from the "UT" extra field when present (seconds, UTC).
bool FindUnixTime(const unsigned char* extra, size_t length, uint32_t* seconds) {
    size_t pos = 0;
    while (pos + 4 <= length) {
        uint16_t id = Read16(extra + pos);
        uint16_t fieldSize = Read16(extra + pos + 2);
        size_t body = pos + 4;
        if (!InRange(body, fieldSize, length)) return false;
        if (id == 0x5455 && fieldSize >= 5 && (extra[body] & 1)) {
            *seconds = Read32(extra + body + 1);
            return true;
        }
        pos = body + fieldSize;
    }
    return false;
}

size_t FindEndRecord(const unsigned char* data, size_t size) {
    if (size < kEndRecordSize) return SIZE_MAX;
    size_t last = size - kEndRecordSize;
    size_t first = last > kMaxCommentSize ? last - kMaxCommentSize : 0;
    for (size_t pos = last + 1; pos-- > first;) {
        if (Read32(data + pos) == kEndRecordSignature) {
            // The comment must end exactly at the end of the archive.
            if (pos + kEndRecordSize + Read16(data + pos + 20) == size) return pos;
        }
    }
    return SIZE_MAX;
}

} // namespace

std::string ZipArchive::SanitiseName(const std::string& stored) {
    size_t start = 0;
    if (stored.size() >= 2 && stored[1] == ':') start = 2;
    while (start < stored.size() && (stored[start] == '\\' || stored[start] == '/')) ++start;
    std::string name = stored.substr(start);
    size_t cut = std::string::npos;
    for (const char* step : {"\\..\\", "\\../", "/../", "/..\\"}) {
        size_t found = name.rfind(step);
        if (found != std::string::npos && (cut == std::string::npos || found + 4 > cut)) cut = found + 4;
    }
    if (cut != std::string::npos) name.erase(0, cut);
    return name;
}

bool ZipArchive::OpenFromMemory(const void* data, size_t size, const std::string& password) {
    Close();
    if (!data || size == 0) return false;
    data_ = static_cast<const unsigned char*>(data);
    size_ = size;
    password_ = password;
    if (!ReadCentralDirectory()) {
        Close();
        return false;
    }
    return true;
}

void ZipArchive::Close() {
    data_ = nullptr;
    size_ = 0;
    password_.clear();
    members_.clear();
}

bool ZipArchive::ReadCentralDirectory() {
    size_t end = FindEndRecord(data_, size_);
    if (end == SIZE_MAX) return false;
    const unsigned char* record = data_ + end;
    uint16_t entries = Read16(record + 10);
    uint32_t directorySize = Read32(record + 12);
    uint32_t directoryOffset = Read32(record + 16);
    // Multi-disk and ZIP64 archives are not ours; their markers fail here.
    if (Read16(record + 4) != 0 || Read16(record + 6) != 0 || entries != Read16(record + 8)) return false;
    if (!InRange(directoryOffset, directorySize, end)) return false;

    members_.clear();
    members_.reserve(entries);
    size_t pos = directoryOffset;
    size_t limit = static_cast<size_t>(directoryOffset) + directorySize;
    for (uint16_t i = 0; i < entries; ++i) {
        if (!InRange(pos, kCentralHeaderSize, limit)) return false;
        const unsigned char* h = data_ + pos;
        if (Read32(h) != kCentralHeaderSignature) return false;
        size_t nameLength = Read16(h + 28);
        size_t extraLength = Read16(h + 30);
        size_t commentLength = Read16(h + 32);
        size_t variable = nameLength + extraLength + commentLength;
        if (!InRange(pos + kCentralHeaderSize, variable, limit)) return false;

        Member m;
        m.flags = Read16(h + 8);
        m.method = Read16(h + 10);
        m.dosTime = Read16(h + 12);
        m.dosDate = Read16(h + 14);
        m.crc = Read32(h + 16);
        m.compressedSize = Read32(h + 20);
        m.uncompressedSize = Read32(h + 24);
        m.localHeaderOffset = Read32(h + 42);
        const char* name = reinterpret_cast<const char*>(h + kCentralHeaderSize);
        m.name = SanitiseName(std::string(name, nameLength));
        uint32_t unixTime = 0;
        if (FindUnixTime(h + kCentralHeaderSize + nameLength, extraLength, &unixTime))
            m.modified = UnixTimeToFileTime(unixTime);
        else
            m.modified = DosTimeToUtc(m.dosDate, m.dosTime);
        members_.push_back(std::move(m));
        pos += kCentralHeaderSize + variable;
    }
    return true;
}

int ZipArchive::FindMember(const std::string& name, uint32_t* uncompressedSize) const {
    for (size_t i = 0; i < members_.size(); ++i) {
        if (members_[i].name == name) {
            if (uncompressedSize) *uncompressedSize = members_[i].uncompressedSize;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ZipArchive::ReadMember(int index, void* buffer, size_t bufferSize) const {
    if (!IsOpen() || index < 0 || static_cast<size_t>(index) >= members_.size()) return false;
    const Member& m = members_[index];
    if (bufferSize < m.uncompressedSize || (m.uncompressedSize > 0 && !buffer)) return false;
    if (m.flags & kFlagStrongEncryption) return false;
    if (m.method != kMethodStored && m.method != kMethodDeflated) return false;

    if (!InRange(m.localHeaderOffset, kLocalHeaderSize, size_)) return false;
    const unsigned char* local = data_ + m.localHeaderOffset;
    if (Read32(local) != kLocalHeaderSignature) return false;
    size_t dataOffset = static_cast<size_t>(m.localHeaderOffset) + kLocalHeaderSize + Read16(local + 26) + Read16(local + 28);
    if (!InRange(dataOffset, m.compressedSize, size_)) return false;

    const unsigned char* src = data_ + dataOffset;
    size_t srcLength = m.compressedSize;
    std::vector<unsigned char> decrypted;
    if (m.flags & kFlagEncrypted) {
        if (password_.empty() || srcLength < kEncryptionHeaderSize) return false;
        decrypted.assign(src, src + srcLength);
        ZipCipher cipher(password_);
        cipher.Decrypt(decrypted.data(), decrypted.size());
        // The last header byte repeats the high byte of the CRC (or of the
        // time when the sizes follow the data); it rejects most wrong passwords.
        unsigned char check = decrypted[kEncryptionHeaderSize - 1];
        unsigned char expected = (m.flags & kFlagDataDescriptor) ? static_cast<unsigned char>(m.dosTime >> 8)
                                                                 : static_cast<unsigned char>(m.crc >> 24);
        if (check != expected) return false;
        src = decrypted.data() + kEncryptionHeaderSize;
        srcLength -= kEncryptionHeaderSize;
    }

    unsigned char* out = static_cast<unsigned char*>(buffer);
    if (m.method == kMethodStored) {
        if (srcLength != m.uncompressedSize) return false;
        if (srcLength) std::memcpy(out, src, srcLength);
    } else {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
        unsigned char empty = 0;
        stream.next_in = srcLength ? const_cast<unsigned char*>(src) : &empty;
        stream.avail_in = static_cast<uInt>(srcLength);
        stream.next_out = m.uncompressedSize ? out : &empty;
        stream.avail_out = m.uncompressedSize;
        int rc = inflate(&stream, Z_FINISH);
        uLong produced = stream.total_out;
        inflateEnd(&stream);
        if (rc != Z_STREAM_END || produced != m.uncompressedSize) return false;
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out, m.uncompressedSize);
    return crc == m.crc;
}

} // namespace ui
