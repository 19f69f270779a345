#pragma once
// Shared pieces of the image tests: GDI+ for the whole program, the test
// images on disk, a stand-in for the control that shows images, and a
// bounded message pump for the UI timers.
#include <windows.h>

#include <functional>
#include <string>

#include "support/GdiplusEnvironment.h"
#include "ui/control/BackgroundImage.h"
#include "ui/control/ImageHost.h"

namespace images_test {

inline std::wstring DataPath(const std::wstring& name) { return std::wstring(IMAGES_TEST_DATA) + name; }
inline std::wstring DataFolder() { return IMAGES_TEST_DATA; }

class FakeHost : public ui::ImageHost {
public:
    RECT rect{0, 0, 20, 20};
    RECT paint{0, 0, 20, 20};
    std::wstring folder = IMAGES_TEST_DATA;
    ui::BackgroundImage* background = nullptr;
    int dirtyCount = 0;
    int stoppedCount = 0;
    std::function<void()> onDirty;

    RECT ImageHostRect() const override { return rect; }
    RECT ImagePaintRect() const override { return paint; }
    std::wstring ImageResourceFolder() const override { return folder; }
    void MarkImageDirty() override {
        ++dirtyCount;
        if (onDirty)
            onDirty();
    }
    ui::BackgroundImage* HostBackgroundImage() override { return background; }
    void OnBackgroundAnimationStopped() override { ++stoppedCount; }
};

// Dispatches messages (the UI timers run from them) until `done` is true or
// `timeoutMs` passed; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

} // namespace images_test
