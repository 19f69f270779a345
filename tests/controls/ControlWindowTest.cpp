// Controls hosted by a real (hidden) native window: focus, names and the
// delayed destruction of removed children.
#include <vector>

#include "ControlsTestSupport.h"
#include "ui/core/Window.h"

using namespace controls_test;
using ui::Box;
using ui::Control;

namespace {

class HostWindow : public ui::Window {
public:
    std::wstring WindowClassName() const override { return L"ControlsTestHost"; }
};

// Counts its own destruction; attached to a control it dies with it.
struct DeathMark : ui::UserData {
    explicit DeathMark(int& deaths) : deaths_(deaths) {}
    ~DeathMark() override { ++deaths_; }
    int& deaths_;
};

class WindowHosted : public ::testing::Test {
protected:
    void SetUp() override {
        HWND hwnd = window_.Create(nullptr, L"controls", WS_POPUP, 0, false, RECT{0, 0, 200, 100});
        ASSERT_NE(nullptr, hwnd);
        window_.Init(hwnd);
        auto root = std::make_unique<Box>();
        root_ = root.get();
        window_.BindRoot(std::move(root));
    }

    void PumpPending() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }

    std::unique_ptr<Control> Named(const std::wstring& name, int& deaths) {
        auto control = std::make_unique<Control>();
        control->SetControlName(name);
        control->SetAttachedObject(std::make_unique<DeathMark>(deaths));
        return control;
    }

    HostWindow window_;
    Box* root_ = nullptr;
};

} // namespace

TEST_F(WindowHosted, HidingTheFocusedControlOrItsBoxClearsTheWindowsFocus) {
    auto* box = Add(*root_, std::make_unique<Box>());
    auto* control = Add(*box, std::make_unique<Control>());
    control->TakeFocus();
    ASSERT_EQ(control, window_.FocusControl());
    EXPECT_TRUE(control->HasFocus());
    control->SetShown(false);
    EXPECT_EQ(nullptr, window_.FocusControl());
    EXPECT_FALSE(control->HasFocus());

    control->SetShown(true);
    control->TakeFocus();
    ASSERT_EQ(control, window_.FocusControl());
    box->SetShown(false);
    EXPECT_EQ(nullptr, window_.FocusControl());

    // "nofocus" refuses focus whatever its value.
    box->SetShown(true);
    auto* refusing = Add(*box, std::make_unique<Control>());
    refusing->SetAttributeValue(L"nofocus", L"false");
    refusing->TakeFocus();
    EXPECT_EQ(nullptr, window_.FocusControl());
}

TEST_F(WindowHosted, ARemovedChildLivesUntilTheCurrentMessageIsDoneAndItsNameGoesWithIt) {
    int deaths = 0;
    auto* box = Add(*root_, std::make_unique<Box>());
    auto* control = Add(*box, Named(L"doomed", deaths));
    EXPECT_EQ(control, window_.FindInWindow(L"doomed"));

    std::vector<std::string> log;
    control->AddHandler(ui::EventKind::Select, [&](ui::EventArgs* event) {
        box->RemoveChild(event->Sender);
        log.push_back("removed");
        return true;
    });
    control->AddHandler(ui::EventKind::All, [&](ui::EventArgs* event) {
        // Still safe to use: destruction waits for the window.
        log.push_back(event->Sender->GetControlName() == L"doomed" ? "alive" : "wrong");
        return true;
    });
    ui::EventArgs select(ui::EventKind::Select, control);
    control->DispatchEvent(select);
    EXPECT_EQ((std::vector<std::string>{"removed", "alive"}), log);
    EXPECT_EQ(0, box->ChildCount());
    EXPECT_EQ(0, deaths);

    PumpPending();
    EXPECT_EQ(1, deaths);
    EXPECT_EQ(nullptr, window_.FindInWindow(L"doomed"));
}

TEST_F(WindowHosted, ChildrenAddedLaterRegisterTheirWholeSubtreeByName) {
    int deaths = 0;
    auto card = std::make_unique<Box>();
    card->SetControlName(L"game1_box");
    Add(*card, Named(L"gamename", deaths));
    Add(*root_, std::move(card));
    EXPECT_NE(nullptr, window_.FindInWindow(L"game1_box"));
    Control* name = window_.FindInWindow(L"gamename");
    ASSERT_NE(nullptr, name);
    EXPECT_EQ(&window_, name->HostWindow());

    // Without deferral the box destroys a removed child at once.
    root_->SetDefersDestroy(false);
    root_->RemoveAllChildren();
    EXPECT_EQ(1, deaths);
    EXPECT_EQ(nullptr, window_.FindInWindow(L"gamename"));
}
