#include "ui/render/GdiPlusSession.h"

#include "ui/render/GdiPlusFontCache.h"
#include "ui/render/GdiPlusHeaders.h"

namespace ui {

GdiPlusSession::GdiPlusSession() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_ = token;
}

GdiPlusSession::~GdiPlusSession() {
    if (!token_) return;
    GdiPlusFontCache::Instance().Clear();
    Gdiplus::GdiplusShutdown(token_);
}

} // namespace ui
