#include "Launcher/config/WebLinkRule.h"

#include <cwctype>

namespace {

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(text[i]) != prefix[i]) return false;
    }
    return true;
}

size_t SchemeLength(std::wstring_view link) {
    for (std::wstring_view scheme : {std::wstring_view(L"http://"), std::wstring_view(L"https://")}) {
        if (StartsWithIgnoringCase(link, scheme)) return scheme.size();
    }
    return 0;
}

} // namespace

bool IsWebLink(std::wstring_view link) {
    const size_t scheme = SchemeLength(link);
    if (scheme == 0) return false;
    // "http:///x" has no host; Windows may read what follows as a path.
    if (link.size() == scheme || link[scheme] == L'/') return false;
    for (wchar_t c : link) {
        if (c == L'\\' || c < 0x20 || c == 0x7F) return false;
    }
    return true;
}
