#include "ui/core/MarkupDocument.h"

#include <windows.h>

#include <climits>
#include <cwchar>
#include <cwctype>
#include <memory>

#include "pillar/ScopedHandle.h"
#include "ui/core/UiGlobals.h"

namespace ui {

namespace {

const wchar_t kErrOpen[] = L"Error opening file";
const wchar_t kErrEmpty[] = L"File is empty";
const wchar_t kErrTooLarge[] = L"File too large";
const wchar_t kErrRead[] = L"Could not read file";
const wchar_t kErrStartTag[] = L"Expected start tag";
const wchar_t kErrElementName[] = L"Error parsing element name";
const wchar_t kErrStartTagClose[] = L"Expected start-tag closing";
const wchar_t kErrEndTagStart[] = L"Expected end-tag start";
const wchar_t kErrUnmatched[] = L"Unmatched closing tag";
const wchar_t kErrAttributes[] = L"Error while parsing attributes";
const wchar_t kErrAttrValue[] = L"Expected attribute value";
const wchar_t kErrAttrString[] = L"Error while parsing attribute string";

// Positions are 32-bit, so longer texts cannot be indexed.
constexpr size_t kMaxTextChars = INT32_MAX - 1;

bool IsSpace(wchar_t c) { return c != 0 && c <= L' '; }

void SkipSpace(wchar_t*& p) {
    while (IsSpace(*p)) ++p;
}

bool IsNameChar(wchar_t c) { return c == L'_' || c == L':' || std::iswalnum(c); }

void CopyTruncated(wchar_t* dest, size_t destChars, const wchar_t* src) {
    size_t i = 0;
    if (src) {
        for (; i + 1 < destChars && src[i]; ++i) dest[i] = src[i];
    }
    dest[i] = 0;
}

bool IsAbsolutePath(const std::wstring& path) {
    if (path.empty()) return false;
    if (path[0] == L'\\' || path[0] == L'/') return true;
    return path.size() > 1 && path[1] == L':';
}

struct Entity {
    const wchar_t* text;
    size_t length;
    wchar_t value;
};
const Entity kEntities[] = {
    {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''},
};

} // namespace

MarkupDocument::MarkupDocument(bool preserveWhitespace) : preserveWhitespace_(preserveWhitespace) {}

void MarkupDocument::Release() {
    std::vector<wchar_t>().swap(text_);
    std::vector<Element>().swap(elements_);
    ++generation_;
}

bool MarkupDocument::IsValid() const { return !text_.empty() && elements_.size() > 1; }

MarkupNode MarkupDocument::RootNode() { return MarkupNode(this, IsValid() ? 1 : 0); }

const MarkupDocument::Element* MarkupDocument::ElementAt(int32_t index) const {
    if (index < 1 || index >= ElementCount()) return nullptr;
    return &elements_[static_cast<size_t>(index)];
}

void MarkupDocument::ClearErrors() {
    errorText_[0] = 0;
    errorPlace_[0] = 0;
}

bool MarkupDocument::Fail(const wchar_t* message, const wchar_t* place) {
    CopyTruncated(errorText_, sizeof(errorText_) / sizeof(errorText_[0]), message);
    CopyTruncated(errorPlace_, sizeof(errorPlace_) / sizeof(errorPlace_[0]), place);
    return false;
}

bool MarkupDocument::LoadText(const wchar_t* text) {
    Release();
    ClearErrors();
    const size_t length = text ? std::wcslen(text) : 0;
    if (length > kMaxTextChars) return Fail(kErrTooLarge, L"");
    text_.assign(text, text + length);
    text_.push_back(0);
    if (Parse()) return true;
    Release();
    return false;
}

bool MarkupDocument::LoadBuffer(const char* utf8, size_t length) {
    Release();
    ClearErrors();
    if (!utf8) length = 0;
    if (length > 2 && static_cast<unsigned char>(utf8[0]) == 0xEF && static_cast<unsigned char>(utf8[1]) == 0xBB &&
        static_cast<unsigned char>(utf8[2]) == 0xBF) {
        utf8 += 3;
        length -= 3;
    }
    // The conversion API counts in int; longer input cannot be a skin file.
    if (length > static_cast<size_t>(INT_MAX)) return Fail(kErrTooLarge, L"");
    int chars = 0;
    if (length > 0) {
        chars = ::MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), nullptr, 0);
        if (chars <= 0) return Fail(kErrRead, L"");
        if (static_cast<size_t>(chars) > kMaxTextChars) return Fail(kErrTooLarge, L"");
    }
    text_.assign(static_cast<size_t>(chars) + 1, 0);
    if (chars > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(length), text_.data(), chars);
    if (Parse()) return true;
    Release();
    return false;
}

bool MarkupDocument::LoadFile(const std::wstring& path) {
    Release();
    ClearErrors();
    const std::wstring fullPath = IsAbsolutePath(path) ? path : UiGlobals::ResourceRoot() + path;
    pillar::ScopedHandle file(::CreateFileW(fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Fail(kErrOpen, L"");
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return Fail(kErrRead, L"");
    if (size.QuadPart == 0) return Fail(kErrEmpty, L"");
    if (static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) return Fail(kErrTooLarge, L"");
    const DWORD bytes = static_cast<DWORD>(size.QuadPart);
    std::vector<char> data(bytes);
    DWORD read = 0;
    if (!::ReadFile(file.Get(), data.data(), bytes, &read, nullptr) || read != bytes) return Fail(kErrRead, L"");
    file.Close();
    return LoadBuffer(data.data(), data.size());
}

int32_t MarkupDocument::AppendElement(int32_t namePos, int32_t parent, int32_t previous) {
    if (elements_.size() == elements_.capacity()) {
        // Grow by half plus a fixed step so small files stay at one allocation.
        elements_.reserve(elements_.capacity() + elements_.capacity() / 2 + 500);
    }
    const int32_t index = ElementCount();
    elements_.push_back(Element{namePos, 0, 0, parent, 0});
    if (previous != 0)
        elements_[static_cast<size_t>(previous)].next = index;
    else if (parent != 0)
        elements_[static_cast<size_t>(parent)].child = index;
    return index;
}

wchar_t* MarkupDocument::DecodeInPlace(wchar_t*& p, wchar_t terminator) {
    wchar_t* out = p;
    while (*p && *p != terminator) {
        if (*p == L'&') {
            const Entity* match = nullptr;
            for (const Entity& e : kEntities) {
                if (std::wcsncmp(p, e.text, e.length) == 0) {
                    match = &e;
                    break;
                }
            }
            if (match) {
                *out++ = match->value;
                p += match->length;
                continue;
            }
        } else if (*p == L' ' && !preserveWhitespace_) {
            *out++ = *p++;
            SkipSpace(p);
            continue;
        }
        *out++ = *p++;
    }
    // The decoded text is shorter than or as long as the source; blank the rest.
    for (wchar_t* q = out; q < p; ++q) *q = L' ';
    return out;
}

bool MarkupDocument::ParseAttributes(wchar_t*& p) {
    for (;;) {
        SkipSpace(p);
        if (*p == L'>' || *p == L'/') return true;
        wchar_t* nameEnd = p;
        while (IsNameChar(*nameEnd)) ++nameEnd;
        // A nameless attribute could not be found again by name.
        if (nameEnd == p) return Fail(kErrAttributes, p);
        p = nameEnd;
        SkipSpace(p);
        if (*p != L'=') return Fail(kErrAttributes, p);
        *nameEnd = 0;
        ++p;
        SkipSpace(p);
        if (*p != L'"') return Fail(kErrAttrValue, p);
        ++p;
        wchar_t* valueEnd = DecodeInPlace(p, L'"');
        if (*p == 0) return Fail(kErrAttrString, p);
        // Blank the closing quote too, so attribute pairs are separated by spaces.
        *p = L' ';
        *valueEnd = 0;
        ++p;
    }
}

bool MarkupDocument::CloseTag(wchar_t*& p, int32_t element) {
    // p is on the "/" of "</" (the "<" may already be cut).
    const wchar_t* errorAt = p;
    ++p;
    const wchar_t* name = TextAt(elements_[static_cast<size_t>(element)].namePos);
    const size_t length = std::wcslen(name);
    if (std::wcsncmp(p, name, length) != 0) return Fail(kErrUnmatched, errorAt);
    p += length;
    SkipSpace(p);
    if (*p != L'>') return Fail(kErrUnmatched, errorAt);
    ++p;
    return true;
}

bool MarkupDocument::Parse() {
    elements_.clear();
    elements_.push_back(Element{0, 0, 0, 0, 0});
    ClearErrors();

    wchar_t* const base = text_.data();
    wchar_t* p = base;
    int32_t parent = 0;   // element whose child list is being read
    int32_t previous = 0; // last element of that list so far
    for (;;) {
        SkipSpace(p);
        if (*p == 0) {
            // The document element may stay unclosed; deeper ones may not.
            if (parent <= 1) return true;
            return Fail(kErrStartTag, p);
        }
        if (*p != L'<') return Fail(kErrStartTag, p);
        ++p;

    afterAngle:
        if (*p == L'/') {
            // The end tag of the enclosing element.
            if (parent == 0) return true;
            if (!CloseTag(p, parent)) return false;
            previous = parent;
            parent = elements_[static_cast<size_t>(parent)].parent;
            continue;
        }
        SkipSpace(p);
        if (*p == L'!' || *p == L'?') {
            const wchar_t* end = std::wcsstr(p, *p == L'!' ? L"->" : L"?>");
            // An unterminated comment runs to the end of the text.
            p = end ? const_cast<wchar_t*>(end) + 2 : p + std::wcslen(p);
            continue;
        }

        const int32_t element = AppendElement(static_cast<int32_t>(p - base), parent, previous);
        wchar_t* nameEnd = p;
        while (IsNameChar(*nameEnd)) ++nameEnd;
        if (nameEnd == p) return Fail(kErrElementName, p);
        p = nameEnd;
        if (!ParseAttributes(p)) return false;
        SkipSpace(p);
        if (p[0] == L'/' && p[1] == L'>') {
            elements_[static_cast<size_t>(element)].textPos = static_cast<int32_t>(p - base);
            *nameEnd = 0;
            *p = 0;
            p += 2;
            previous = element;
            continue;
        }
        if (*p != L'>') return Fail(kErrStartTagClose, p);
        *nameEnd = 0;
        ++p;
        elements_[static_cast<size_t>(element)].textPos = static_cast<int32_t>(p - base);
        wchar_t* textEnd = DecodeInPlace(p, L'<');
        if (textEnd < p) *textEnd = 0; // else the "<" or the end of the text cuts it
        if (*p == 0) {
            if (elements_[static_cast<size_t>(element)].parent <= 1) return true;
            return Fail(kErrEndTagStart, p);
        }
        // p is on "<": cut the text there and read what follows.
        *p = 0;
        ++p;
        if (*p == L'/') {
            if (!CloseTag(p, element)) return false;
            previous = element;
            continue;
        }
        parent = element;
        previous = 0;
        goto afterAngle;
    }
}

} // namespace ui
