#include "pillar/FileSystem.h"

#include <io.h>
#include <direct.h>

#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace pillar {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWithDrive(const std::wstring& path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && IsSeparator(path[2]);
}

// Beside the target, so the final move stays on one volume and is one step.
const wchar_t kTemporarySuffix[] = L".part~";

} // namespace


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

bool ReplacementFile::Write(const void* bytes, size_t count) { return file_ && WriteAll(file_.Get(), bytes, count); }

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
