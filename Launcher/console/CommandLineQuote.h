#pragma once
#include <string>

// One piece of a Windows command line, ready to be glued into it. A piece
// without blanks or quotes is returned unchanged; otherwise it is enclosed in
// double quotes so the child's argument parser (CommandLineToArgvW / the C
// runtime rules) gets it back intact: backslashes before an embedded quote or
// before the closing quote are doubled, embedded quotes are escaped. Folders
// ending in "\" therefore survive quoting.
std::wstring QuoteCommandLinePiece(const std::wstring& piece);
