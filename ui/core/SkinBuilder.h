#pragma once
// Turns a skin markup file into live objects: the root element's settings go
// to a window (or, for the global style file, to UiGlobals), Class, Font and
// TextColor elements are registered, and the control elements become a tree
// of controls made by a fixed name table or by control-creation callbacks.
#include <memory>
#include <string>

#include "ui/core/MarkupDocument.h"
#include "ui/core/MarkupNode.h"
#include "ui/core/UiGlobals.h"

namespace ui {

class Box;
class Control;
class Window;

class SkinBuilder {
public:
    SkinBuilder();
    SkinBuilder(const SkinBuilder&) = delete;
    SkinBuilder& operator=(const SkinBuilder&) = delete;

    // markup: a text starting with "<" is markup; otherwise a file looked up
    // archive first, then disk; empty reuses the document loaded before.
    // callback: replaces the builder's own when not empty.
    // window: receives the window settings and window-level classes (may be null).
    // parent: top-level controls are added to it (may be null).
    // root: filled with the first control element (may be null).
    // Returns the first control made (or `root`), null when loading fails or
    // there is no control element.
    // Ownership: with a parent, the parent owns what is made; with a root,
    // the root's owner; otherwise the caller owns the returned control and
    // further top-level controls are destroyed.
    Control* Create(const std::wstring& markup, const CreateControlCallback& callback = {}, Window* window = nullptr,
                    Box* parent = nullptr, Control* root = nullptr);

    // The built-in element table ("Box", "HBox", "VBox", "Control", "Label",
    // "Button", "LabelBox", "ButtonBox", "Progress", ...); exact,
    // case-sensitive names; null for names it cannot make.
    static std::unique_ptr<Control> MakeControlByName(const std::wstring& name);

    const CreateControlCallback& ControlCallback() const { return callback_; }
    // Whether the last Create (or an earlier one) left a parsed document.
    bool HasDocument() const { return document_.IsValid(); }

private:
    bool LoadMarkup(const std::wstring& markup);
    // Builds the control elements among the children of `node`. With a
    // parent they are added to it; without one the first is handed to
    // `keep` and the rest are destroyed. Returns the first control made.
    Control* ParseChildren(MarkupNode node, Control* parent, Window* window, std::unique_ptr<Control>* keep);
    // Builds `source` `count` times at this place; returns the first
    // control made (with the same ownership rule as ParseChildren).
    Control* Include(MarkupNode node, Control* parent, Window* window, std::unique_ptr<Control>* keep);
    // The built-in table, then the global and this builder's callbacks.
    std::unique_ptr<Control> MakeControl(const std::wstring& name) const;

    MarkupDocument document_;
    CreateControlCallback callback_;
};

} // namespace ui
