#include "ui/control/HandlerLists.h"

namespace ui {

bool RunHandlerList(const EventHandlerMap& table, EventKind kind, EventArgs& event, bool& result,
                    const std::weak_ptr<pillar::WeakFlag>& owner) {
    auto it = table.find(kind);
    if (it == table.end())
        return true;
    // A copy: a handler may append to this list or destroy the table's owner.
    const EventHandlerList handlers = it->second;
    bool listResult = true;
    for (const EventHandler& handler : handlers) {
        const bool keepGoing = !handler || handler(&event);
        if (owner.expired())
            return false;
        if (!keepGoing) {
            listResult = false;
            break;
        }
    }
    result = listResult;
    return true;
}

bool RunHandlersWithAll(const EventHandlerMap& table, EventArgs& event, bool& result,
                        const std::weak_ptr<pillar::WeakFlag>& owner) {
    if (!RunHandlerList(table, event.Type, event, result, owner))
        return false;
    if (event.Type == EventKind::All)
        return true;
    return RunHandlerList(table, EventKind::All, event, result, owner);
}

} // namespace ui
