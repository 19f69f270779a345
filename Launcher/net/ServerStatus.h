#pragma once
// Why a fetch failed, in terms the player can act on. The downloader only
// says that a fetch failed; a failed repair asks the server once more, with
// a HEAD request, whether it has the file at all.
#include <windows.h>

#include <string>

// The status code the server answers a HEAD request for `url` (UTF-8) with;
// 0 when no answer came within `limitMs` per step or the URL is not http(s).
int HeadStatus(const std::string& url, DWORD limitMs);
