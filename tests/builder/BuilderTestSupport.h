#pragma once
// Shared pieces of the builder tests: a scratch skin folder on disk that
// serves as the resource root while a test runs.
#include <windows.h>

#include <string>
#include <vector>

#include "pillar/WholeFile.h"
#include "ui/core/UiGlobals.h"

namespace builder_test {

class ScratchSkinFolder {
public:
    ScratchSkinFolder() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"builder_test_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(path_.c_str(), nullptr);
        savedRoot_ = ui::UiGlobals::ResourceRoot();
        ui::UiGlobals::CloseSkinArchive();
        ui::UiGlobals::SetResourceRoot(path_);
    }
    ~ScratchSkinFolder() {
        for (const std::wstring& file : files_) ::DeleteFileW((path_ + file).c_str());
        ::RemoveDirectoryW(path_.c_str());
        ui::UiGlobals::SetResourceRoot(savedRoot_);
    }
    ScratchSkinFolder(const ScratchSkinFolder&) = delete;
    ScratchSkinFolder& operator=(const ScratchSkinFolder&) = delete;

    bool Write(const std::wstring& name, const std::string& utf8) {
        files_.push_back(name);
        return pillar::WriteWholeFile(path_ + name, utf8);
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    std::wstring savedRoot_;
    std::vector<std::wstring> files_;
};

} // namespace builder_test
