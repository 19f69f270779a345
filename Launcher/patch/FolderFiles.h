#pragma once
// Every file below a folder, for the operator's list tools.
#include <string>
#include <vector>

// Relative names of every file below `folder` (no trailing separator), with
// "\" between folders, sorted so a list made from them is the same on every
// run. False, with `problem` set, when a folder cannot be listed.
bool CollectFolderFiles(const std::wstring& folder, std::vector<std::wstring>& files, std::wstring& problem);

// `folder` without trailing separators.
std::wstring WithoutTrailingSeparators(std::wstring folder);
