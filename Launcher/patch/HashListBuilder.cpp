#include "Launcher/patch/HashListBuilder.h"

#include <vector>

#include "Launcher/patch/FolderFiles.h"
#include "Launcher/trust/Blake2b.h"
#include "pillar/TextConversion.h"

namespace {

// The relative Windows name as the list writes it; empty when it has no
// faithful form there.
std::string ListName(const std::wstring& file, std::wstring& problem) {
    // Under Wine a Unix name may carry characters Windows names cannot;
    // they reach this walk as themselves or as look-alikes, never as "\".
    if (file.find_first_of(L"\r\n") != std::wstring::npos) {
        problem = L"name contains a line break: " + file;
        return std::string();
    }
    std::string name = pillar::WideToUtf8(file);
    if (pillar::Utf8ToWide(name) != file) {
        problem = L"name is not valid Unicode: " + file;
        return std::string();
    }
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

} // namespace

bool BuildHashList(const std::wstring& folder, std::string& list, std::wstring& problem) {
    const std::wstring root = WithoutTrailingSeparators(folder);
    std::vector<std::wstring> files;
    if (!CollectFolderFiles(root, files, problem))
        return false;
    list.clear();
    for (const std::wstring& file : files) {
        const std::string name = ListName(file, problem);
        if (name.empty())
            return false;
        const trust::FileDigest digest = trust::Blake2bOfFile(root + L"\\" + file);
        if (!digest.ok) {
            problem = L"cannot read " + file + L": " + pillar::Utf8ToWide(digest.error);
            return false;
        }
        list += trust::DigestHex(digest.digest) + "  " + name + "\n";
    }
    return true;
}
