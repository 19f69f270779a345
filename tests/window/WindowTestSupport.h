#pragma once
// A hidden native window with a small control tree, driven by messages sent
// straight to its window procedure, and a record of the events each control
// receives.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/GdiplusEnvironment.h"
#include "ui/control/Box.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"
#include "ui/render/RenderFactory_GdiPlus.h"

namespace window_test {

class TestWindow : public ui::Window {
public:
    std::wstring WindowClassName() const override { return L"WindowTestsWindow"; }
    // Keeps the window: the tests look at the close request only.
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_CLOSE) return ui::Window::ProcessMessage(message, wParam, lParam);
        closeCode = static_cast<int>(wParam);
        return 0;
    }
    int closeCode = -1;
};

struct Received {
    const ui::Control* control;
    ui::EventKind kind;
    bool operator==(const Received& other) const { return control == other.control && kind == other.kind; }
};

class WindowTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 200;

    void SetUp() override {
        if (!ui::UiGlobals::GetRenderFactory())
            ui::UiGlobals::SetRenderFactory(std::make_unique<ui::RenderFactory_GdiPlus>());
        window_ = std::make_unique<TestWindow>();
        hwnd_ = window_->Create(nullptr, L"", WS_POPUP, 0, layered_, RECT{0, 0, kWidth, kHeight});
        ASSERT_NE(hwnd_, nullptr);
        window_->Init(hwnd_);
        auto root = std::make_unique<ui::Box>();
        root_ = root.get();
        window_->BindRoot(std::move(root));
    }

    void TearDown() override { window_.reset(); }

    // A control of a fixed size at `x`, `y` inside `parent` (the root by default).
    template <typename T = ui::Control>
    T* Add(const std::wstring& name, int x, int y, int width, int height, ui::Box* parent = nullptr) {
        auto control = std::make_unique<T>();
        T* raw = control.get();
        raw->SetControlName(name);
        raw->SetWidthSpec(width, true, false);
        raw->SetHeightSpec(height, false);
        raw->SetMarginRect(RECT{x, y, 0, 0}, false);
        raw->AddHandler(ui::EventKind::All, [this, raw](ui::EventArgs* event) {
            received_.push_back({raw, event->Type});
            return true;
        });
        (parent ? parent : root_)->AppendChild(std::move(control));
        return raw;
    }

    // Lays the tree out (the first paint arranges it) and forgets the events so far.
    void Arrange() {
        SendMessageW(hwnd_, WM_PAINT, 0, 0);
        received_.clear();
    }

    LRESULT Send(UINT message, int x, int y, WPARAM wParam = 0) {
        return SendMessageW(hwnd_, message, wParam, MAKELPARAM(x, y));
    }

    // The events of `kind` that `control` received.
    int Count(const ui::Control* control, ui::EventKind kind) const {
        int count = 0;
        for (const Received& each : received_) count += each == Received{control, kind} ? 1 : 0;
        return count;
    }

    // Runs the posted messages of the window for a while.
    void Pump(DWORD milliseconds, const std::function<bool()>& done = {}) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds && !(done && done())) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }

    bool layered_ = false;
    std::unique_ptr<TestWindow> window_;
    HWND hwnd_ = nullptr;
    ui::Box* root_ = nullptr;
    std::vector<Received> received_;
};

} // namespace window_test
