#include "pillar/FileSystem.h"

#include <io.h>
#include <direct.h>

#include <algorithm>

#include "pillar/TextConversion.h"

namespace pillar {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWithDrive(const std::wstring& path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && IsSeparator(path[2]);
}

// WriteFile takes a 32-bit count; larger data goes in pieces.
constexpr size_t kWritePiece = 16u << 20;

// Beside the target, so the final move stays on one volume and is one step.
const wchar_t kTemporarySuffix[] = L".part~";

} // namespace

bool MakeParentFolders(const std::string& path) { return MakeParentFolders(AnsiToWide(path)); }

bool MakeParentFolders(const std::wstring& path) {
    std::wstring prefix;
    std::wstring rest;
    if (StartsWithDrive(path)) {
        prefix = path.substr(0, 2);
        rest = path.substr(3);
    } else if (!path.empty() && IsSeparator(path[0])) {
        return true;
    } else {
        rest = path;
    }
    bool ok = true;
    for (;;) {
        const size_t separator = rest.find_first_of(L"\\/");
        if (separator == std::wstring::npos) break;
        if (separator == 0) {
            rest.erase(0, 1);
            continue;
        }
        if (!prefix.empty()) prefix += L'\\';
        prefix.append(rest, 0, separator);
        if (_waccess(prefix.c_str(), 0) != 0 && _wmkdir(prefix.c_str()) != 0) ok = false;
        rest.erase(0, separator + 1);
    }
    return ok;
}

bool ReplacementFile::Open(const std::wstring& target) {
    Discard();
    MakeParentFolders(target);
    target_ = target;
    temporary_ = target + kTemporarySuffix;
    file_.Reset(::CreateFileW(temporary_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) {
        temporary_.clear();
        return false;
    }
    return true;
}

bool ReplacementFile::Write(const void* bytes, size_t count) {
    if (!file_) return false;
    const char* cursor = static_cast<const char*>(bytes);
    for (size_t done = 0; done < count;) {
        const DWORD piece = static_cast<DWORD>(std::min(count - done, kWritePiece));
        DWORD written = 0;
        if (!::WriteFile(file_.Get(), cursor + done, piece, &written, nullptr) || written != piece) return false;
        done += piece;
    }
    return true;
}

bool ReplacementFile::Finish() {
    if (!file_) return false;
    // A close that fails may have lost buffered bytes.
    return ::CloseHandle(file_.Release()) != FALSE;
}

bool ReplacementFile::Commit() {
    if (temporary_.empty() || file_) return false;
    if (!::MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    temporary_.clear();
    return true;
}

void ReplacementFile::Discard() {
    file_.Close();
    if (!temporary_.empty()) {
        ::DeleteFileW(temporary_.c_str());
        temporary_.clear();
    }
}

} // namespace pillar
