#pragma once
// Running one handler list of a table, shared by controls and boxes.
#include <memory>

#include "pillar/WeakCallback.h"
#include "ui/core/EventArgs.h"

namespace ui {

// Runs the list of `kind` in insertion order until a handler returns false.
// A list that exists replaces `result` with its outcome; an absent list
// leaves it. Runs a copy, so handlers may add handlers or destroy the owner.
// Returns false when the owner (whose weak flag is `owner`) was destroyed by
// a handler: the caller must then stop without touching it.
bool RunHandlerList(const EventHandlerMap& table, EventKind kind, EventArgs& event, bool& result,
                    const std::weak_ptr<pillar::WeakFlag>& owner);

// The list of the event's kind, then (for any other kind) the "all" list.
bool RunHandlersWithAll(const EventHandlerMap& table, EventArgs& event, bool& result,
                        const std::weak_ptr<pillar::WeakFlag>& owner);

} // namespace ui
