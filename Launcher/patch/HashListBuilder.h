#pragma once
// Builds the hash list of a game folder for the operator, in the form
// coreutils b2sum prints ("<128 hex>  <name>\n" per file, BLAKE2b-512), so
// `b2sum -c` checks a game folder against it and the launcher reads it with
// trust::ParseB2sumList.
#include <string>

// Walks `folder` and writes the list to `list`: names relative, "/" between
// folders, UTF-8, sorted. False, with `problem` set, when the folder or a file
// cannot be read, or a name is not valid Unicode or holds a backslash or a
// line break (b2sum would write such a name escaped, and the launcher does
// not take escaped names).
bool BuildHashList(const std::wstring& folder, std::string& list, std::wstring& problem);
