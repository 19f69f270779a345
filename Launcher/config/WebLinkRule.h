#pragma once
// What the launcher hands to the shell as a link. ShellExecuteW opens far
// more than web pages: a local path, a file: URL or "\\host\share\x.exe"
// would start a program, elevated like the launcher. Only web addresses pass.
#include <string_view>

// An "http://" or "https://" address (the scheme in any case) with a host
// after it, without backslashes or control characters.
bool IsWebLink(std::wstring_view link);
