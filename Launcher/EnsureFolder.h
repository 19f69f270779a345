#pragma once
#include <string>

// Makes every folder of `path` (which ends in "\") that is missing, walking
// from the left; stops at the first creation that fails. True when the
// whole path exists afterwards.
bool EnsureFolder(const std::wstring& path);
