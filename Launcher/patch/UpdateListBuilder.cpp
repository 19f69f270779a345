#include "Launcher/patch/UpdateListBuilder.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "Launcher/patch/FileChecksum.h"
#include "pillar/TextConversion.h"

namespace {

struct FindCloser {
    HANDLE handle;
    ~FindCloser() {
        if (handle != INVALID_HANDLE_VALUE)
            FindClose(handle);
    }
};

// Relative names of every file below `folder` + `relative`, sorted so the
// list is the same on every run.
bool CollectFiles(const std::wstring& folder, const std::wstring& relative,
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
        if (!CollectFiles(folder, sub, files, problem))
            return false;
    }
    return true;
}

} // namespace

bool BuildUpdateList(const std::wstring& folder, std::string& list, std::wstring& problem) {
    std::wstring root = folder;
    while (!root.empty() && (root.back() == L'\\' || root.back() == L'/'))
        root.pop_back();
    std::vector<std::wstring> files;
    if (!CollectFiles(root, L"", files, problem))
        return false;
    std::sort(files.begin(), files.end());

    list.clear();
    const ChecksumBlock block = MakeChecksumBlock();
    for (const std::wstring& file : files) {
        const std::string name = pillar::WideToUtf8(file);
        // A name with half a surrogate pair has no UTF-8 form; written as
        // U+FFFD it would name another file.
        if (pillar::Utf8ToWide(name) != file) {
            problem = L"name is not valid Unicode: " + file;
            return false;
        }
        if (name.find_first_of("|+") != std::string::npos) {
            problem = L"name contains a list separator (| or +): " + file;
            return false;
        }
        uint32_t checksum = 0;
        if (!ComputeFileChecksum(root + L"\\" + file, checksum, block.get())) {
            problem = L"cannot read " + file;
            return false;
        }
        if (!list.empty())
            list += '|';
        list += name + "+" + std::to_string(ListValueOf(checksum));
    }
    return true;
}
