#pragma once
// A cursor into a MarkupDocument's element table. Cheap to copy; the strings
// it returns point into the document and stay valid until the document is
// reloaded or released. A node that is not valid returns empty strings.
#include <cstddef>
#include <cstdint>
#include <string>

namespace ui {

class MarkupDocument;

class MarkupNode {
public:
    // Attributes beyond this count on one element are not exposed.
    static constexpr int kMaxAttributes = 64;
    // The by-name lookup copies at most this many characters of a value.
    static constexpr size_t kMaxValueChars = 499;

    MarkupNode() = default;
    MarkupNode(MarkupDocument* document, int32_t index);

    bool IsValid() const;
    MarkupNode ParentNode() const;
    MarkupNode FirstChild() const;
    MarkupNode NextSibling() const;
    bool HasChildNodes() const;

    const wchar_t* NodeName() const;
    const wchar_t* NodeText() const;

    int AttributeCount();
    bool HasAttributeList();
    // Out-of-range indexes give an empty string.
    const wchar_t* AttributeName(int index);
    const wchar_t* AttributeValue(int index);
    // Case-sensitive lookup; copies at most kMaxValueChars characters (and at
    // most outChars - 1) plus a terminating NUL. False when the name is absent.
    bool AttributeValue(const wchar_t* name, wchar_t* out, size_t outChars);
    bool AttributeValue(const wchar_t* name, std::wstring& out);

private:
    void FillAttributeCache();
    int FindAttribute(const wchar_t* name);

    MarkupDocument* document_ = nullptr;
    int32_t index_ = 0;

    // Filled on first use; positions are offsets into the document text.
    struct AttributePair {
        int32_t namePos;
        int32_t valuePos;
    };
    bool cacheFilled_ = false;
    uint32_t cacheGeneration_ = 0;
    int32_t attributeCount_ = 0;
    AttributePair attributes_[kMaxAttributes] = {};
};

} // namespace ui
