#pragma once
// What the root element of a skin file sets outside the control tree: the
// attributes of a Window root (sizes, caption, shadow, ...) on the window,
// those of a Global root on the registry's default colours, and the Font,
// Class and TextColor resource elements.
#include <string>

#include "ui/core/MarkupNode.h"

namespace ui {

class Window;

// Applies every attribute of a `Window` root element, in document order.
void ApplyWindowAttributes(MarkupNode root, Window& window);
// Applies every attribute of a `Global` root element, in document order.
void ApplyGlobalAttributes(MarkupNode root);

// Registers a `Font` element with the registry when it names a face.
void RegisterFontElement(MarkupNode node);
// Registers a `TextColor` element when it has a name.
void RegisterTextColorElement(MarkupNode node);

// The attribute text of a `Class` element: every attribute but "name" as
// ` name="value"`, "value" appended as ready-made text, "_value" written as
// the attribute "value"; trimmed at the front.
std::wstring ClassAttributeText(MarkupNode node);

} // namespace ui
