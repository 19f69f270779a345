#pragma once
// Sees a window's messages before the framework does.
#include <windows.h>

namespace ui {

class IUIMessageFilter {
public:
    virtual ~IUIMessageFilter() = default;
    // Sets `handled` to end processing with the returned result.
    virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

} // namespace ui
