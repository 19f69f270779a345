#pragma once
// A file list as coreutils b2sum prints it: one "<128 hex>  <name>" line per
// file (" *" instead of two spaces in binary mode). Names are relative paths
// with "/" between folders, in UTF-8.
//
// b2sum writes a name holding a backslash or a line break in an escaped form
// (the line starts with "\"). Such names are refused rather than unescaped:
// a game's files have no reason to carry them, and Windows cannot name a file
// with either. Names that could leave the game folder (absolute, "..", ".",
// empty parts, drive letters or streams with ":") are refused too.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace trust {

struct B2sumEntry {
    std::string hex;   // 128 lower-case hex digits
    std::string name;  // UTF-8, "/" between folders
};

struct B2sumList {
    bool ok = false;
    std::vector<B2sumEntry> entries;
    size_t failedLine = 0;  // 1-based line of the first fault, when !ok
    std::string error;
};

// Lines end with "\n"; the last may lack it. An empty text is an empty list.
B2sumList ParseB2sumList(std::string_view text);

} // namespace trust
