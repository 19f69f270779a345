#pragma once
// Shell link (.lnk) files through the system's shell-link COM object. The
// calling thread must have joined a COM apartment.
#include <string>

namespace pillar {

struct ShellLinkProperties {
    std::wstring targetPath;
    std::wstring workingFolder;
    std::wstring arguments;
    std::wstring iconPath;  // icon index 0
};

// Saves a link with `properties` at `linkPath`; true when the file was saved.
bool SaveShellLink(const std::wstring& linkPath, const ShellLinkProperties& properties);

// Reads a saved link back; false when it cannot be loaded.
bool LoadShellLink(const std::wstring& linkPath, ShellLinkProperties& properties);

// `folder` + "\" + `linkFileName` when the name is a plain file name (it
// comes from the remote configuration and must not reach outside `folder`)
// and the whole path fits in MAX_PATH; empty otherwise.
std::wstring LinkPathIn(const std::wstring& folder, const std::wstring& linkFileName);

} // namespace pillar
