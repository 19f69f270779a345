#pragma once
#include <string>

// The given capture group (0 = whole match) of the last non-overlapping match
// of an ECMAScript `pattern` in `text`. Empty when nothing matches, when the
// pattern has fewer groups, or when the pattern does not compile.
std::string FindLastMatchGroup(const std::string& text, const std::string& pattern, int group);
