#include "ui/core/LanguageStrings.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"
#include "ui/core/GlobalMemoryBlock.h"

namespace ui {
namespace {

// Lines read from a file are cut into pieces of this many bytes at most.
constexpr size_t kMaxFileLine = 4095;

bool IsTrimmed(wchar_t c) { return c == L' ' || c < 30; }

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsTrimmed(text[begin])) ++begin;
    while (end > begin && IsTrimmed(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Tokens between runs of "=".
std::vector<std::wstring> SplitAtEquals(const std::wstring& line) {
    std::vector<std::wstring> tokens;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t start = line.find_first_not_of(L'=', pos);
        if (start == std::wstring::npos) break;
        size_t stop = line.find(L'=', start);
        if (stop == std::wstring::npos) stop = line.size();
        tokens.push_back(line.substr(start, stop - start));
        pos = stop;
    }
    return tokens;
}

void ReplaceAll(std::wstring& text, const wchar_t* from, const wchar_t* to) {
    size_t fromLength = std::wcslen(from), toLength = std::wcslen(to);
    for (size_t pos = text.find(from); pos != std::wstring::npos; pos = text.find(from, pos + toLength))
        text.replace(pos, fromLength, to);
}

} // namespace

void LanguageStrings::AnalyseLine(const char* line, size_t length) {
    std::wstring text = Trim(pillar::MultiByteToWide(line, length, CP_UTF8));
    if (text.empty()) return;
    std::vector<std::wstring> tokens = SplitAtEquals(text);
    if (tokens.size() != 2) return;
    std::wstring key = Trim(tokens[0]);
    if (key.find(L';') != std::wstring::npos) return;
    table_[key] = Trim(tokens[1]);
}

void LanguageStrings::LoadBytes(const char* data, size_t size) {
    table_.clear();
    // A line ends at a line feed or a NUL; the end of the block ends the last.
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == '\n' || data[i] == '\0') {
            AnalyseLine(data + start, i - start);
            start = i + 1;
        }
    }
}

bool LanguageStrings::LoadBuffer(HGLOBAL block) {
    if (!block) return false;
    GlobalMemoryLock lock(block);
    if (!lock.Data()) return false;
    LoadBytes(static_cast<const char*>(lock.Data()), ::GlobalSize(block));
    return true;
}

bool LanguageStrings::LoadFile(const std::wstring& path) {
    table_.clear();
    std::string bytes;
    if (!pillar::ReadWholeFile(path, bytes)) return false;

    // Line by line as a C stream reads them: at most kMaxFileLine bytes per
    // piece, a line ends after its line feed, and a NUL ends the text early.
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t limit = std::min(bytes.size(), pos + kMaxFileLine);
        size_t end = pos;
        while (end < limit && bytes[end] != '\n') ++end;
        if (end < limit) ++end; // keep the line feed in this piece
        const char* piece = bytes.data() + pos;
        size_t length = strnlen(piece, end - pos);
        AnalyseLine(piece, length);
        pos = end;
    }
    return true;
}

std::wstring LanguageStrings::LookupString(const std::wstring& id) const {
    if (id.empty()) return std::wstring();
    auto it = table_.find(id);
    if (it == table_.end()) return std::wstring();
    std::wstring text = it->second;
    ReplaceAll(text, L"\\r", L"\r");
    ReplaceAll(text, L"\\n", L"\n");
    return text;
}

} // namespace ui
