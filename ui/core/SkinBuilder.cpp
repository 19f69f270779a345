#include "ui/core/SkinBuilder.h"

#include <string>
#include <vector>

#include "ui/control/AttributeValues.h"
#include "ui/control/Box.h"
#include "ui/control/Control.h"
#include "ui/core/SkinRootSettings.h"
#include "ui/core/Window.h"

namespace ui {

namespace {

// A skin that includes itself would otherwise recurse until the stack runs out.
constexpr int kMaxIncludeDepth = 32;
int g_includeDepth = 0;

bool IsResourceElement(const std::wstring& name) {
    return name == L"Image" || name == L"Font" || name == L"Class" || name == L"TextColor";
}

std::wstring Attribute(MarkupNode& node, const wchar_t* name) {
    std::wstring value;
    node.AttributeValue(name, value);
    return value;
}

std::vector<std::wstring> SplitAtSpaces(const std::wstring& text) {
    std::vector<std::wstring> words;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find(L' ', pos);
        const size_t stop = end == std::wstring::npos ? text.size() : end;
        if (stop > pos) words.push_back(text.substr(pos, stop - pos));
        pos = stop + 1;
    }
    return words;
}

// Class elements go to the window (Window root) or the registry (Global
// root); Font and TextColor only count in the global file.
void RegisterResources(MarkupNode root, const std::wstring& rootName, Window* window) {
    const bool global = rootName == L"Global";
    for (MarkupNode node = root.FirstChild(); node.IsValid(); node = node.NextSibling()) {
        const std::wstring name = node.NodeName();
        if (name == L"Class") {
            const std::wstring className = Attribute(node, L"name");
            if (className.empty()) continue;
            if (global)
                UiGlobals::AddStyleClass(className, ClassAttributeText(node));
            else if (rootName == L"Window" && window)
                window->AddWindowClass(className, ClassAttributeText(node));
        } else if (global && name == L"Font") {
            RegisterFontElement(node);
        } else if (global && name == L"TextColor") {
            RegisterTextColorElement(node);
        }
    }
}

MarkupNode FirstControlElement(MarkupNode root) {
    MarkupNode node = root.FirstChild();
    while (node.IsValid() && IsResourceElement(node.NodeName())) node = node.NextSibling();
    return node;
}

void ApplyElementAttributes(MarkupNode& node, Control& control) {
    const int count = node.AttributeCount();
    for (int i = 0; i < count; ++i) control.SetAttributeValue(node.AttributeName(i), node.AttributeValue(i));
}

// Event and BubbledEvent: for every listed type and receiver, a handler
// (living no longer than `parent`) that applies the attribute text to the
// receiver and lets handling go on.
void AttachEventActions(MarkupNode& node, Control* parent, bool bubbled) {
    if (!parent) return;
    Box* box = dynamic_cast<Box*>(parent);
    if (bubbled && !box) return;
    const std::wstring attributes = Attribute(node, L"applyattribute");
    const std::vector<std::wstring> receivers = SplitAtSpaces(Attribute(node, L"receiver"));
    for (const std::wstring& type : SplitAtSpaces(Attribute(node, L"type"))) {
        const EventKind kind = EventKindFromName(type);
        for (const std::wstring& receiver : receivers) {
            EventHandler action = parent->MakeWeakCallback(
                [parent, receiver, attributes](EventArgs*) { return parent->ApplyAttributeTo(receiver, attributes); });
            if (bubbled)
                box->AddMarkupBubbledHandler(kind, std::move(action));
            else
                parent->AddMarkupHandler(kind, std::move(action));
        }
    }
}

// The first control made at a level is its result; without a parent it is
// handed to `keep` and later ones are let go.
void TakeResult(Control*& first, std::unique_ptr<Control>& made, std::unique_ptr<Control>* keep) {
    if (first) return;
    first = made.get();
    if (keep) *keep = std::move(made);
}

} // namespace

SkinBuilder::SkinBuilder() = default;

bool SkinBuilder::LoadMarkup(const std::wstring& markup) {
    if (markup.empty()) return document_.IsValid();
    if (markup[0] == L'<') return document_.LoadText(markup.c_str());
    std::string bytes;
    if (!UiGlobals::ReadMarkup(markup, bytes)) {
        document_.Release();
        return false;
    }
    return document_.LoadBuffer(bytes.data(), bytes.size());
}

Control* SkinBuilder::Create(const std::wstring& markup, const CreateControlCallback& callback, Window* window,
                             Box* parent, Control* root) {
    if (!LoadMarkup(markup)) return nullptr;
    if (callback) callback_ = callback;

    MarkupNode top = document_.RootNode();
    const std::wstring rootName = top.NodeName();
    if (rootName == L"Window" && window && window->NativeHandle()) ApplyWindowAttributes(top, *window);
    if (rootName == L"Global") ApplyGlobalAttributes(top);
    RegisterResources(top, rootName, window);

    MarkupNode first = FirstControlElement(top);
    if (!first.IsValid()) return nullptr;
    if (root) {
        ApplyElementAttributes(first, *root);
        if (first.HasChildNodes()) ParseChildren(first, root, window, nullptr);
        return root;
    }
    std::unique_ptr<Control> result;
    Control* made = ParseChildren(top, parent, window, parent ? nullptr : &result);
    return parent ? made : result.release();
}

Control* SkinBuilder::ParseChildren(MarkupNode node, Control* parent, Window* window, std::unique_ptr<Control>* keep) {
    Control* first = nullptr;
    for (MarkupNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
        const std::wstring name = child.NodeName();
        if (IsResourceElement(name)) continue;
        if (name == L"Include") {
            std::unique_ptr<Control> included;
            Control* made = Include(child, parent, window, parent ? nullptr : &included);
            if (made && !first) {
                first = made;
                if (keep) *keep = std::move(included);
            }
            continue;
        }
        std::unique_ptr<Control> control = MakeControl(name);
        if (!control) {
            if (name == L"Event" || name == L"BubbledEvent") AttachEventActions(child, parent, name == L"BubbledEvent");
            continue;
        }

        control->AttachTo(window);
        ApplyElementAttributes(child, *control);
        if (child.HasChildNodes()) ParseChildren(child, control.get(), window, nullptr);

        if (!parent) {
            TakeResult(first, control, keep);
            continue;
        }
        Box* box = dynamic_cast<Box*>(parent);
        if (!box) break;  // only containers take children: the rest of this level is dropped
        Control* added = control.get();
        if (!box->AppendChild(std::move(control))) continue;
        if (!first) first = added;
    }
    return first;
}

Control* SkinBuilder::Include(MarkupNode node, Control* parent, Window* window, std::unique_ptr<Control>* keep) {
    std::wstring source;
    if (!node.AttributeValue(L"source", source)) return nullptr;
    std::wstring countText;
    const int count = node.AttributeValue(L"count", countText) ? ReadInt(countText) : 1;
    Box* box = dynamic_cast<Box*>(parent);
    if ((parent && !box) || g_includeDepth >= kMaxIncludeDepth) return nullptr;

    Control* first = nullptr;
    ++g_includeDepth;
    for (int i = 0; i < count; ++i) {
        SkinBuilder builder;
        std::unique_ptr<Control> made(builder.Create(source, callback_, window, box, nullptr));
        if (box) {
            // The box owns what was added to it.
            Control* added = made.release();
            if (!first) first = added;
            continue;
        }
        TakeResult(first, made, keep);
    }
    --g_includeDepth;
    return first;
}

std::unique_ptr<Control> SkinBuilder::MakeControl(const std::wstring& name) const {
    if (std::unique_ptr<Control> builtIn = MakeControlByName(name)) return builtIn;
    if (name == L"Event" || name == L"BubbledEvent") return nullptr;
    if (const CreateControlCallback& global = UiGlobals::GetCreateControlCallback()) {
        if (Control* made = global(name)) return std::unique_ptr<Control>(made);
    }
    if (callback_) {
        if (Control* made = callback_(name)) return std::unique_ptr<Control>(made);
    }
    return nullptr;
}

} // namespace ui
