#include "ui/core/MarkupNode.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/MarkupDocument.h"

namespace ui {

MarkupNode::MarkupNode(MarkupDocument* document, int32_t index) : document_(document), index_(index) {}

bool MarkupNode::IsValid() const { return document_ && document_->ElementAt(index_) != nullptr; }

MarkupNode MarkupNode::ParentNode() const {
    if (!IsValid()) return MarkupNode();
    return MarkupNode(document_, document_->ElementAt(index_)->parent);
}

MarkupNode MarkupNode::FirstChild() const {
    if (!IsValid()) return MarkupNode();
    return MarkupNode(document_, document_->ElementAt(index_)->child);
}

MarkupNode MarkupNode::NextSibling() const {
    if (!IsValid()) return MarkupNode();
    return MarkupNode(document_, document_->ElementAt(index_)->next);
}

bool MarkupNode::HasChildNodes() const { return IsValid() && document_->ElementAt(index_)->child != 0; }

const wchar_t* MarkupNode::NodeName() const {
    if (!IsValid()) return L"";
    return document_->TextAt(document_->ElementAt(index_)->namePos);
}

const wchar_t* MarkupNode::NodeText() const {
    if (!IsValid()) return L"";
    return document_->TextAt(document_->ElementAt(index_)->textPos);
}

void MarkupNode::FillAttributeCache() {
    if (cacheFilled_ && cacheGeneration_ == document_->generation_) return;
    cacheFilled_ = true;
    cacheGeneration_ = document_->generation_;
    attributeCount_ = 0;

    // Parsing left, after the element name's NUL: for each attribute its name
    // (NUL-cut), blanks, "=", the opening quote, the decoded value (NUL-cut)
    // and blanks; the list ends at ">" or at the cut "/" of a self-closing tag,
    // which is the element's text position.
    const MarkupDocument::Element* element = document_->ElementAt(index_);
    const wchar_t* text = document_->TextAt(0);
    const int32_t end = element->textPos;
    int32_t q = element->namePos + static_cast<int32_t>(std::wcslen(text + element->namePos)) + 1;
    while (attributeCount_ < kMaxAttributes && q < end) {
        while (q < end && text[q] != 0 && text[q] <= L' ') ++q;
        if (q >= end || text[q] == 0 || text[q] == L'>') break;
        const int32_t namePos = q;
        while (q < end && text[q] != 0) ++q;
        ++q;
        while (q < end && text[q] != L'"') ++q;
        if (q >= end) break;
        const int32_t valuePos = ++q;
        while (text[q] != 0) ++q;
        ++q;
        attributes_[attributeCount_++] = AttributePair{namePos, valuePos};
    }
}

int MarkupNode::AttributeCount() {
    if (!IsValid()) return 0;
    FillAttributeCache();
    return attributeCount_;
}

bool MarkupNode::HasAttributeList() { return AttributeCount() > 0; }

const wchar_t* MarkupNode::AttributeName(int index) {
    if (index < 0 || index >= AttributeCount()) return L"";
    return document_->TextAt(attributes_[index].namePos);
}

const wchar_t* MarkupNode::AttributeValue(int index) {
    if (index < 0 || index >= AttributeCount()) return L"";
    return document_->TextAt(attributes_[index].valuePos);
}

int MarkupNode::FindAttribute(const wchar_t* name) {
    if (!name) return -1;
    const int count = AttributeCount();
    for (int i = 0; i < count; ++i) {
        if (std::wcscmp(document_->TextAt(attributes_[i].namePos), name) == 0) return i;
    }
    return -1;
}

bool MarkupNode::AttributeValue(const wchar_t* name, wchar_t* out, size_t outChars) {
    const int i = FindAttribute(name);
    if (i < 0) return false;
    if (!out || outChars == 0) return true;
    const wchar_t* value = document_->TextAt(attributes_[i].valuePos);
    const size_t limit = std::min(kMaxValueChars, outChars - 1);
    size_t n = 0;
    for (; n < limit && value[n]; ++n) out[n] = value[n];
    out[n] = 0;
    return true;
}

bool MarkupNode::AttributeValue(const wchar_t* name, std::wstring& out) {
    const int i = FindAttribute(name);
    if (i < 0) return false;
    const wchar_t* value = document_->TextAt(attributes_[i].valuePos);
    out.assign(value, std::min(kMaxValueChars, std::wcslen(value)));
    return true;
}

} // namespace ui
