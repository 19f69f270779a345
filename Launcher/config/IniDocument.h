#pragma once
// In-memory parser for the remote configuration. The grammar is deliberately
// small: "[section]" anywhere in a line, "key=value" lines, nothing else.
#include <map>
#include <string>

class IniDocument {
public:
    // Adds the sections of `text`; sections already held are kept as they are.
    // Never fails.
    bool Parse(std::string text);

    // The value, or "" when the section or key is absent (exact, case-sensitive).
    std::string GetString(const std::string& section, const std::string& key) const;
    // The value converted from UTF-8.
    std::wstring GetWString(const std::string& section, const std::string& key) const;
    // The value read as a decimal integer; 0 when absent, not a number or out
    // of the 32-bit signed range.
    int GetInt(const std::string& section, const std::string& key) const;

    // Leading and trailing spaces, then trailing carriage returns. A text of
    // spaces only is left unchanged.
    static std::string TrimValue(const std::string& text);

private:
    typedef std::map<std::string, std::string> KeyMap;
    std::map<std::string, KeyMap> sections_;
};
