#include "Launcher/patch/UpdateListBuilder.h"

#include <windows.h>

#include <vector>

#include "Launcher/patch/FileChecksum.h"
#include "Launcher/patch/FolderFiles.h"
#include "pillar/TextConversion.h"

bool BuildUpdateList(const std::wstring& folder, std::string& list, std::wstring& problem) {
    const std::wstring root = WithoutTrailingSeparators(folder);
    std::vector<std::wstring> files;
    if (!CollectFolderFiles(root, files, problem))
        return false;

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
