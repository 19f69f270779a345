#include "Launcher/trust/B2sumList.h"

#include <cstdint>
#include <set>

namespace trust {

namespace {

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// Well-formed UTF-8 only: no overlong forms, surrogates or code points past
// U+10FFFF, which Windows could not turn into the same name twice.
bool IsUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t more = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1, code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2, code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3, code = lead & 0x07;
        } else {
            return false;
        }
        if (i + more >= text.size()) return false;
        for (size_t k = 1; k <= more; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((more == 2 && code < 0x800) || (more == 3 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

// Empty when the name is acceptable, else why not.
std::string NameFault(std::string_view name) {
    if (name.empty()) return "the file name is empty";
    if (!IsUtf8(name)) return "the file name is not UTF-8";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "the file name holds a control character";
        if (c == ':') return "the file name holds \":\" (a drive or a stream)";
    }
    if (name.front() == '/') return "the file name is an absolute path";
    size_t start = 0;
    for (;;) {
        const size_t end = name.find('/', start);
        const std::string_view part = name.substr(start, end == std::string_view::npos ? end : end - start);
        if (part.empty()) return "the file name has an empty folder part (\"//\" or a trailing \"/\")";
        if (part == "." || part == "..") return "the file name has a \".\" or \"..\" part";
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return {};
}

} // namespace

B2sumList ParseB2sumList(std::string_view text) {
    B2sumList result;
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    if (text.empty()) {
        result.ok = true;
        return result;
    }
    std::set<std::string_view> seen;
    size_t lineNumber = 0;
    auto fail = [&](std::string error) {
        B2sumList failed;
        failed.failedLine = lineNumber;
        failed.error = "line " + std::to_string(lineNumber) + ": " + error;
        return failed;
    };
    for (;;) {
        ++lineNumber;
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (!line.empty() && line.front() == '\\')
            return fail("b2sum escaped this name (it holds a backslash or a line break); rename the file");
        size_t digits = 0;
        while (digits < line.size() && IsLowerHex(line[digits])) ++digits;
        if (digits != 128 || line.size() < 130)
            return fail("not \"<128 lower-case hex digits>  <name>\" (b2sum without -l or --tag)");
        if (line[128] != ' ' || (line[129] != ' ' && line[129] != '*'))
            return fail("the hash is not followed by two spaces or \" *\"");
        const std::string_view name = line.substr(130);
        const std::string fault = NameFault(name);
        if (!fault.empty()) return fail(fault);
        if (!seen.insert(name).second) return fail("the file is listed twice");
        result.entries.push_back({std::string(line.substr(0, 128)), std::string(name)});
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    result.ok = true;
    return result;
}

} // namespace trust
