#pragma once
#include <windows.h>

namespace ui {

// Keeps GDI+ started for its lifetime (GdiplusStartup / GdiplusShutdown).
class GdiPlusSession {
public:
    GdiPlusSession();
    ~GdiPlusSession();
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;

    bool IsRunning() const { return token_ != 0; }
    // Whether any session has GDI+ started now; GDI+ objects may only be
    // deleted while one has.
    static bool AnyRunning();

private:
    ULONG_PTR token_ = 0;
};

} // namespace ui
