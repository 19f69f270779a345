#include "pillar/ShellLink.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "pillar/PlainFileName.h"

namespace pillar {

namespace {

// Sole owner of one COM interface pointer.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() { Reset(); }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void** Receive() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }
    void Reset() {
        if (pointer_) pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

bool CreateShellLink(ComPointer<IShellLinkW>& link) {
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                        link.Receive())) &&
           link;
}

} // namespace

bool SaveShellLink(const std::wstring& linkPath, const ShellLinkProperties& properties) {
    ComPointer<IShellLinkW> link;
    if (!CreateShellLink(link)) return false;
    link->SetPath(properties.targetPath.c_str());
    link->SetWorkingDirectory(properties.workingFolder.c_str());
    link->SetArguments(properties.arguments.c_str());
    link->SetIconLocation(properties.iconPath.c_str(), 0);
    ComPointer<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())) || !file) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), FALSE));
}

bool LoadShellLink(const std::wstring& linkPath, ShellLinkProperties& properties) {
    ComPointer<IShellLinkW> link;
    if (!CreateShellLink(link)) return false;
    ComPointer<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())) || !file) return false;
    if (FAILED(file->Load(linkPath.c_str(), STGM_READ))) return false;
    wchar_t text[MAX_PATH * 2] = {};
    int icon = 0;
    link->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
    properties.targetPath = text;
    text[0] = L'\0';
    link->GetWorkingDirectory(text, MAX_PATH * 2);
    properties.workingFolder = text;
    text[0] = L'\0';
    link->GetArguments(text, MAX_PATH * 2);
    properties.arguments = text;
    text[0] = L'\0';
    link->GetIconLocation(text, MAX_PATH * 2, &icon);
    properties.iconPath = text;
    return true;
}

std::wstring LinkPathIn(const std::wstring& folder, const std::wstring& linkFileName) {
    if (!IsPlainFileName(linkFileName)) return std::wstring();
    std::wstring path = folder + L"\\" + linkFileName;
    return path.size() < MAX_PATH ? path : std::wstring();
}

} // namespace pillar
