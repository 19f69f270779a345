#include "Launcher/EnsureFolder.h"

#include <windows.h>

namespace {

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

bool EnsureFolder(const std::wstring& path) {
    for (size_t end = path.find(L'\\'); end != std::wstring::npos; end = path.find(L'\\', end + 1)) {
        const std::wstring prefix = path.substr(0, end);
        // "C:" (the drive) and the empty prefix of a doubled separator exist
        // as far as this walk is concerned.
        if (prefix.empty() || prefix.back() == L'\\' || FolderExists(prefix + L"\\")) continue;
        // Another process may make it at the same moment; that is no failure.
        if (!::CreateDirectoryW(prefix.c_str(), nullptr) && !FolderExists(prefix + L"\\")) return false;
    }
    return FolderExists(path);
}
