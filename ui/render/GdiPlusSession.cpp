#include "ui/render/GdiPlusSession.h"

#include <atomic>

#include "ui/render/GdiPlusFontCache.h"
#include "ui/render/GdiPlusHeaders.h"

namespace ui {

namespace {

std::atomic<int> g_running{0};

} // namespace

GdiPlusSession::GdiPlusSession() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        token_ = token;
        ++g_running;
    }
}

GdiPlusSession::~GdiPlusSession() {
    if (!token_) return;
    GdiPlusFontCache::Instance().Clear();
    --g_running;
    Gdiplus::GdiplusShutdown(token_);
}

bool GdiPlusSession::AnyRunning() { return g_running > 0; }

} // namespace ui
