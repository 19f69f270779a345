// Link stand-in for the window services controls call. The controls tests
// build every tree without a window, so reaching any of these is a fault.
#include <cstdio>
#include <cstdlib>

#include "ui/control/Box.h"
#include "ui/core/Window.h"

namespace ui {

namespace {
[[noreturn]] void Unreachable(const char* what) {
    std::fprintf(stderr, "window service %s called in a windowless test\n", what);
    std::abort();
}
} // namespace

void Window::Invalidate(const RECT&) { Unreachable("Invalidate"); }
void Window::RequestArrange() { Unreachable("RequestArrange"); }
void Window::SetFocus(Control*) { Unreachable("SetFocus"); }
void Window::QueueForCleanup(std::unique_ptr<Control>) { Unreachable("QueueForCleanup"); }
void Window::AdoptControl(Control*, Box*) { Unreachable("AdoptControl"); }
void Window::ReleaseTree(Control*) { Unreachable("ReleaseTree"); }
Control* Window::FindInWindow(const std::wstring&) const { Unreachable("FindInWindow"); }
std::wstring Window::StyleClassAttributes(const std::wstring&) const { Unreachable("StyleClassAttributes"); }
void Window::SendEvent(Control*, EventKind, WPARAM, LPARAM, wchar_t) { Unreachable("SendEvent"); }

} // namespace ui
