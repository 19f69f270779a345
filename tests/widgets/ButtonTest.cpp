#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "WidgetTestSupport.h"
#include "ui/control/Box.h"
#include "ui/control/Button.h"
#include "ui/core/Window.h"

namespace {

class TestWindow : public ui::Window {
public:
    std::wstring WindowClassName() const override { return L"WidgetsTestWindow"; }
};

// A hidden native window holding one 80 x 30 button at (10, 10), driven
// by the messages a person's mouse and keyboard would send.
class ButtonInWindow : public ::testing::Test {
protected:
    void SetUp() override {
        hwnd_ = window_.Create(nullptr, L"buttons", WS_POPUP, 0, false, RECT{0, 0, 200, 100});
        ASSERT_NE(hwnd_, nullptr);
        window_.Init(hwnd_);
        auto root = std::make_unique<ui::Box>();
        auto button = std::make_unique<ui::Button>();
        button->SetAttributeValue(L"width", L"80");
        button->SetAttributeValue(L"height", L"30");
        button->SetAttributeValue(L"margin", L"10,10,0,0");
        button->AddClickHandler([this](ui::EventArgs*) {
            ++clicks_;
            return true;
        });
        button_ = button.get();
        root->AppendChild(std::move(button));
        window_.BindRoot(std::move(root));
        window_.RootBox()->Place(RECT{0, 0, 200, 100});
    }
    void TearDown() override {
        if (hwnd_) ::DestroyWindow(hwnd_);
    }

    void Mouse(UINT message, int x, int y) { ::SendMessageW(hwnd_, message, 0, MAKELPARAM(x, y)); }
    void Key(UINT message, WPARAM key) { ::SendMessageW(hwnd_, message, key, 0); }

    TestWindow window_;
    HWND hwnd_ = nullptr;
    ui::Button* button_ = nullptr;
    int clicks_ = 0;
};

} // namespace

TEST_F(ButtonInWindow, ClickNeedsPressAndReleaseInsideTheButton) {
    Mouse(WM_MOUSEMOVE, 20, 20);
    Mouse(WM_LBUTTONDOWN, 20, 20);
    EXPECT_EQ(button_->VisualState(), ui::kStatePushed);
    Mouse(WM_MOUSEMOVE, 150, 80);
    Mouse(WM_LBUTTONUP, 150, 80);
    EXPECT_EQ(clicks_, 0) << "released outside";
    EXPECT_EQ(button_->VisualState(), ui::kStateNormal);

    Mouse(WM_MOUSEMOVE, 30, 25);
    Mouse(WM_LBUTTONDOWN, 30, 25);
    Mouse(WM_LBUTTONUP, 31, 26);
    EXPECT_EQ(clicks_, 1);
}

TEST_F(ButtonInWindow, SpaceOrReturnOnTheFocusedButtonClicksOnce) {
    window_.SetFocus(button_);
    ASSERT_EQ(window_.FocusControl(), button_);
    Key(WM_KEYDOWN, VK_SPACE);
    Key(WM_CHAR, L' ');
    Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(clicks_, 1);

    Key(WM_KEYDOWN, VK_RETURN);
    Key(WM_KEYUP, VK_RETURN);
    EXPECT_EQ(clicks_, 2);

    Key(WM_KEYDOWN, 'A');
    Key(WM_KEYUP, 'A');
    EXPECT_EQ(clicks_, 2);

    button_->SetAcceptsKeyboard(false);
    Key(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(clicks_, 2) << "a button that ignores the keyboard";
}
