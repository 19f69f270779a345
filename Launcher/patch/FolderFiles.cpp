#include "Launcher/patch/FolderFiles.h"

#include <windows.h>

#include <algorithm>

namespace {

struct FindCloser {
    HANDLE handle;
    ~FindCloser() {
        if (handle != INVALID_HANDLE_VALUE)
            FindClose(handle);
    }
};

bool CollectBelow(const std::wstring& folder, const std::wstring& relative,
                  std::vector<std::wstring>& files, std::wstring& problem) {
    WIN32_FIND_DATAW entry;
    FindCloser find{FindFirstFileW((folder + L"\\" + relative + L"*").c_str(), &entry)};
    if (find.handle == INVALID_HANDLE_VALUE) {
        problem = L"cannot list " + folder + L"\\" + relative;
        return false;
    }
    std::vector<std::wstring> folders;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(relative + name + L"\\");
        else
            files.push_back(relative + name);
    } while (FindNextFileW(find.handle, &entry));
    for (const std::wstring& sub : folders) {
        if (!CollectBelow(folder, sub, files, problem))
            return false;
    }
    return true;
}

} // namespace

std::wstring WithoutTrailingSeparators(std::wstring folder) {
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

bool CollectFolderFiles(const std::wstring& folder, std::vector<std::wstring>& files, std::wstring& problem) {
    files.clear();
    if (!CollectBelow(folder, L"", files, problem))
        return false;
    std::sort(files.begin(), files.end());
    return true;
}
