#include "pillar/PlainFileName.h"

namespace pillar {

namespace {

template <typename Char>
DotComponent Classify(std::basic_string_view<Char> component) {
    int dots = 0;
    for (Char c : component) {
        if (c == Char('.'))
            ++dots;
        else if (c != Char(' '))
            return DotComponent::Name;
    }
    return dots >= 2 ? DotComponent::Parent : DotComponent::Self;
}

template <typename Char>
bool IsPlain(std::basic_string_view<Char> name) {
    for (Char c : name) {
        if (c == Char('\\') || c == Char('/') || c == Char(':')) return false;
    }
    // The empty name is the folder itself too.
    return Classify(name) == DotComponent::Name;
}

} // namespace

DotComponent ClassifyDotComponent(std::string_view component) { return Classify(component); }
DotComponent ClassifyDotComponent(std::wstring_view component) { return Classify(component); }

bool IsPlainFileName(std::string_view name) { return IsPlain(name); }
bool IsPlainFileName(std::wstring_view name) { return IsPlain(name); }

} // namespace pillar
