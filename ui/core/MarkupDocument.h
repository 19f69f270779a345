#pragma once
// A small XML dialect for skin files: elements, double-quoted attributes,
// text, the five predefined entities; comments and processing instructions
// are skipped. The whole text lives in one wide buffer that parsing cuts and
// decodes in place, and elements are kept in one flat table, so a load makes
// two allocations and names and values are never copied.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/MarkupNode.h"

namespace ui {

class MarkupDocument {
public:
    // Every skin document of this program keeps whitespace as written.
    explicit MarkupDocument(bool preserveWhitespace = true);
    MarkupDocument(const MarkupDocument&) = delete;
    MarkupDocument& operator=(const MarkupDocument&) = delete;

    // Each load replaces the previous document. On failure the document is
    // left empty and ErrorText / ErrorPlace describe what went wrong.
    bool LoadText(const wchar_t* text);
    // UTF-8 bytes; a leading byte-order mark is skipped.
    bool LoadBuffer(const char* utf8, size_t length);
    // A relative path is taken below the UI resource root.
    bool LoadFile(const std::wstring& path);

    void Release();
    // True once a document with at least its document element is loaded.
    bool IsValid() const;
    MarkupNode RootNode();

    void SetPreserveWhitespace(bool preserve) { preserveWhitespace_ = preserve; }
    bool PreserveWhitespace() const { return preserveWhitespace_; }

    const wchar_t* ErrorText() const { return errorText_; }
    const wchar_t* ErrorPlace() const { return errorPlace_; }

    // Files above this size are refused.
    static constexpr uint64_t kMaxFileBytes = 4u * 1024u * 1024u;

private:
    friend class MarkupNode;

    struct Element {
        int32_t namePos;
        int32_t child;
        int32_t next;
        int32_t parent;
        int32_t textPos; // for a self-closing element: its cut "/"
    };

    bool Parse();
    bool ParseAttributes(wchar_t*& p);
    // Decodes in place up to `terminator` (or the end of the text); returns
    // the decoded end and leaves `p` on the terminator.
    wchar_t* DecodeInPlace(wchar_t*& p, wchar_t terminator);
    bool CloseTag(wchar_t*& p, int32_t element);
    int32_t AppendElement(int32_t namePos, int32_t parent, int32_t previous);
    bool Fail(const wchar_t* message, const wchar_t* place);
    void ClearErrors();

    int32_t ElementCount() const { return static_cast<int32_t>(elements_.size()); }
    const Element* ElementAt(int32_t index) const;
    const wchar_t* TextAt(int32_t position) const { return text_.data() + position; }

    std::vector<wchar_t> text_;     // NUL-terminated, cut and decoded by parsing
    std::vector<Element> elements_; // [0] is a placeholder; the document element is [1]
    bool preserveWhitespace_;
    // Bumped by every load and release so nodes can tell their cached
    // attribute positions belong to an older text.
    uint32_t generation_ = 0;
    wchar_t errorText_[100] = {};
    wchar_t errorPlace_[50] = {};
};

} // namespace ui
