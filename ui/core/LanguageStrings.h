#pragma once
// Table of display texts by string id, read from "gdstrings.ini" files:
// one "id=text" per line, lines whose id holds ";" are comments.
#include <windows.h>

#include <map>
#include <string>

namespace ui {

class LanguageStrings {
public:
    // Both replace the whole table. False when the file or block is unreadable
    // (the table is then empty for the file form, unchanged for the block form).
    bool LoadFile(const std::wstring& path);
    bool LoadBuffer(HGLOBAL block);
    // Same analysis over plain bytes.
    void LoadBytes(const char* data, size_t size);

    // The text for `id` with "\r" and "\n" escapes turned into line breaks;
    // empty for an empty or unknown id.
    std::wstring LookupString(const std::wstring& id) const;

    void Clear() { table_.clear(); }
    size_t Size() const { return table_.size(); }

private:
    void AnalyseLine(const char* line, size_t length);

    std::map<std::wstring, std::wstring> table_;
};

} // namespace ui
