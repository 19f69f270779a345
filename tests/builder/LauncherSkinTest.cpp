#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <utility>

#include "BuilderTestSupport.h"
#include "LauncherSkinFixture.h"
#include "ui/control/Button.h"
#include "ui/control/ShadowBox.h"
#include "ui/core/SkinBuilder.h"
#include "ui/core/UiGlobals.h"

using builder_test::LauncherSkin;
using builder_test::SkinHost;

namespace {

struct Rect {
    LONG left, top, right, bottom;
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top << ")";
}

Rect At(LONG x, LONG y, LONG width, LONG height) { return Rect{x, y, x + width, y + height}; }

// `control`'s rectangle relative to `origin`'s top-left corner.
Rect Relative(const ui::Control* control, const ui::Control* origin) {
    if (!control) return Rect{-1, -1, -1, -1};
    const RECT& r = control->Position();
    const RECT& o = origin->Position();
    return Rect{r.left - o.left, r.top - o.top, r.right - o.left, r.bottom - o.top};
}

const wchar_t* const kCards[] = {L"game1_box", L"game2_box", L"game3_box",
                                 L"game4_box", L"game5_box", L"game6_box"};
const POINT kCardOrigins[] = {{40, 100}, {500, 100}, {40, 280}, {500, 280}, {40, 460}, {500, 460}};

ui::Box* Card(SkinHost& host, int index) { return dynamic_cast<ui::Box*>(host.FindInWindow(kCards[index])); }

} // namespace

TEST_F(LauncherSkin, StartupReadsTheGlobalStylesThroughTheBuilder) {
    EXPECT_EQ(ui::UiGlobals::NamedColor(L"backcolor"), 0xFF20232Au);
    EXPECT_EQ(ui::UiGlobals::NamedColor(L"transbkblack"), 0x80000000u);
    EXPECT_EQ(ui::UiGlobals::DefaultFontId(), L"system_12");
    EXPECT_NE(ui::UiGlobals::GetFont(L"system_bold_18"), nullptr);
    EXPECT_EQ(ui::UiGlobals::DefaultTextColor(), L"textdefaultcolor");
    EXPECT_EQ(ui::UiGlobals::DefaultDisabledColor(), L"textdefaultdisablecolor");
    EXPECT_EQ(ui::UiGlobals::StyleClassAttributes(L"progress_yellow").rfind(L"value=\"0\" bkimage=", 0), 0u);
}

TEST_F(LauncherSkin, EveryNamedControlSitsWhereTheLayoutPutsIt) {
    SkinHost* host = CreateHost();
    ASSERT_NE(host, nullptr);
    EXPECT_FALSE(::IsWindowVisible(hwnd_));

    // The shadow band adds 14 pixels on every side of the 977 x 641 client.
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    EXPECT_EQ(window.right - window.left, 977 + 28);
    EXPECT_EQ(window.bottom - window.top, 641 + 28);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CAPTION, 0) << "the caption style never returns";

    // Initial visibility: the loading picture shows, the cards wait.
    ASSERT_NE(host->FindInWindow(L"loading"), nullptr);
    EXPECT_TRUE(host->FindInWindow(L"loading")->IsVisibleFlag());
    ui::Control* gamectrl = host->FindInWindow(L"gamectrl");
    ASSERT_NE(gamectrl, nullptr);
    EXPECT_FALSE(gamectrl->IsVisibleFlag());
    for (int i = 0; i < 6; ++i) {
        ui::Box* card = Card(*host, i);
        ASSERT_NE(card, nullptr) << i;
        EXPECT_FALSE(card->IsShown()) << "hidden through gamectrl";
        EXPECT_TRUE(card->IsVisibleFlag());
        EXPECT_FALSE(card->FindByName(L"progress_box")->IsVisibleFlag());
        EXPECT_FALSE(card->FindByName(L"menu_box")->IsVisibleFlag());
        EXPECT_TRUE(card->FindByName(L"start_box")->IsVisibleFlag());
    }

    // Show what the launcher shows later, then lay out once.
    gamectrl->SetShown(true);
    for (int i = 0; i < 6; ++i) {
        Card(*host, i)->FindByName(L"progress_box")->SetShown(true);
        Card(*host, i)->FindByName(L"menu_box")->SetShown(true);
    }
    LayOut(*host);

    ui::Box* shadow = host->RootBox();
    ASSERT_EQ(shadow->ChildCount(), 1);
    const ui::Control* root = shadow->ChildAt(0);
    EXPECT_EQ(Relative(root, shadow), At(14, 14, 977, 641));

    EXPECT_EQ(Relative(host->FindInWindow(L"minbtn"), root), At(870, 30, 30, 30));
    EXPECT_EQ(Relative(host->FindInWindow(L"closebtn"), root), At(905, 30, 30, 30));
    EXPECT_EQ(Relative(host->FindInWindow(L"Logo"), root), At(60, 30, 155, 45));
    EXPECT_EQ(Relative(host->FindInWindow(L"btn_zy"), root), At(750, 29, 35, 35));
    EXPECT_EQ(Relative(host->FindInWindow(L"btn_qq"), root), At(800, 30, 35, 35));
    EXPECT_EQ(Relative(host->FindInWindow(L"btn_en"), root), At(240, 40, 25, 25));
    EXPECT_EQ(Relative(host->FindInWindow(L"btn_ch"), root), At(240, 40, 25, 25));
    const auto* loading = dynamic_cast<ui::Box*>(host->FindInWindow(L"loading"));
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(Relative(loading->ChildAt(0), root), At(308, 230, 360, 240));

    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(testing::Message() << "card " << i + 1);
        ui::Box* card = Card(*host, i);
        EXPECT_EQ(Relative(card, root), At(kCardOrigins[i].x, kCardOrigins[i].y, 440, 150));
        EXPECT_EQ(Relative(card->FindByName(L"Backimg"), card), At(0, -50, 440, 250));
        EXPECT_EQ(Relative(card->FindByName(L"ctrlbox"), card), At(0, 0, 440, 150));
        EXPECT_EQ(Relative(card->FindByName(L"Icon"), card), At(10, 10, 31, 35));
        EXPECT_EQ(Relative(card->FindByName(L"menubtn"), card), At(395, 15, 27, 27));
        EXPECT_EQ(Relative(card->FindByName(L"start_box"), card), At(340, 105, 80, 31));
        EXPECT_EQ(Relative(card->FindByName(L"btn_start"), card), At(340, 105, 80, 31));
        EXPECT_EQ(Relative(card->FindByName(L"progress_box"), card), At(0, 70, 440, 80));
        EXPECT_EQ(Relative(card->FindByName(L"progressbar"), card), At(15, 110, 405, 4));
        EXPECT_EQ(Relative(card->FindByName(L"menu_box"), card), At(350, 10, 81, 74));
        EXPECT_EQ(Relative(card->FindByName(L"btn_download"), card), At(350, 10, 81, 24));
        EXPECT_EQ(Relative(card->FindByName(L"btn_link1"), card), At(350, 35, 81, 24));
        EXPECT_EQ(Relative(card->FindByName(L"btn_link2"), card), At(350, 60, 81, 24));

        // Labels size themselves to their text; only the corner is fixed.
        const Rect progressText = Relative(card->FindByName(L"progresstext"), card);
        EXPECT_EQ(progressText.left, 15) << "the later of the two margins is in force";
        EXPECT_EQ(progressText.top, 120);
        for (const auto& label : {std::make_pair(L"gamename", POINT{50, 10}), std::make_pair(L"gamever", POINT{150, 10}),
                                  std::make_pair(L"gametext", POINT{50, 35})}) {
            const Rect r = Relative(card->FindByName(label.first), card);
            EXPECT_EQ(r.left, label.second.x);
            EXPECT_EQ(r.top, label.second.y);
            EXPECT_GT(r.right - r.left, 0);
            EXPECT_GT(r.bottom - r.top, 0);
        }
    }
}

TEST_F(LauncherSkin, CaptionDragsExceptOverButtons) {
    SkinHost* host = CreateHost();
    ASSERT_NE(host, nullptr);
    LayOut(*host);
    const RECT& root = host->RootBox()->ChildAt(0)->Position();
    auto hitAt = [&](int x, int y) {
        POINT screen{root.left + x, root.top + y};
        ::ClientToScreen(hwnd_, &screen);
        return ::SendMessageW(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    };
    EXPECT_EQ(hitAt(500, 10), HTCAPTION) << "empty caption area";
    EXPECT_EQ(hitAt(70, 32), HTCAPTION) << "over the logo";
    EXPECT_EQ(hitAt(880, 32), HTCLIENT) << "over the minimise button";
    EXPECT_EQ(hitAt(500, 40), HTCLIENT) << "below the 35-pixel caption";
    EXPECT_EQ(hitAt(-7, 10), HTCLIENT) << "in the shadow band";

    EXPECT_EQ(::SendMessageW(hwnd_, WM_NCLBUTTONDBLCLK, HTCAPTION, 0), 0);
    EXPECT_FALSE(::IsZoomed(hwnd_)) << "a double click on the caption does not maximise";
}

TEST_F(LauncherSkin, MinimiseButtonMinimisesTheWindow) {
    SkinHost* host = CreateHost();
    ASSERT_NE(host, nullptr);
    ui::Control* minimise = host->FindInWindow(L"minbtn");
    ASSERT_NE(minimise, nullptr);
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    minimise->RaiseEvent(ui::EventKind::Click);
    EXPECT_TRUE(::IsIconic(hwnd_));
}

namespace {

// Collects the texts of the first "Vellum" message box to appear and
// dismisses it; gives up after the deadline.
struct MessageBoxWatch {
    std::wstring texts;
    bool seen = false;

    void Run(DWORD deadlineMs) {
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < deadlineMs) {
            if (HWND box = OwnBox()) {
                ::EnumChildWindows(box, &Collect, reinterpret_cast<LPARAM>(this));
                seen = true;
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            ::Sleep(20);
        }
    }
    // Only this process's box: another test program may show one at once.
    static HWND OwnBox() {
        for (HWND box = nullptr; (box = ::FindWindowExW(nullptr, box, L"#32770", L"Vellum"));) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(box, &process);
            if (process == ::GetCurrentProcessId()) return box;
        }
        return nullptr;
    }
    static BOOL CALLBACK Collect(HWND child, LPARAM self) {
        wchar_t text[512] = {};
        ::GetWindowTextW(child, text, 512);
        reinterpret_cast<MessageBoxWatch*>(self)->texts += std::wstring(text) + L"|";
        return TRUE;
    }
};

} // namespace

TEST_F(LauncherSkin, SkinThatYieldsNoContainerIsReportedAndNoWindowIsMade) {
    builder_test::ScratchSkinFolder folder;
    ASSERT_TRUE(folder.Write(L"leaf.xml", "<Window size=\"50,50\"><Control name=\"leaf\"/></Window>"));
    ui::SkinBuilder builder;
    std::unique_ptr<ui::Control> leaf(builder.Create(folder.Path() + L"leaf.xml"));
    ASSERT_NE(leaf, nullptr) << "the file loads; its only control is no container";
    const std::pair<std::wstring, std::wstring> skins[] = {{L"basic", L"no_such_skin.xml"}, {folder.Path(), L"leaf.xml"}};
    for (const auto& skin : skins) {
        MessageBoxWatch watch;
        std::thread watcher([&watch] { watch.Run(20000); });
        auto* host = new SkinHost(skin.first, skin.second);  // deletes itself with its failed window
        EXPECT_EQ(host->Create(nullptr, L"Launcher", builder_test::kLauncherStyle, 0), nullptr);
        watcher.join();
        ASSERT_TRUE(watch.seen);
        std::wstring path = skin.first + (skin.first.back() == L'\\' ? L"" : L"\\") + skin.second;
        EXPECT_NE(watch.texts.find(L"Failed to load xml file " + path), std::wstring::npos)
            << std::string(watch.texts.begin(), watch.texts.end());
    }
}

TEST_F(LauncherSkin, ShadowBandGoesWhileMaximisedAndReturnsOnRestore) {
    SkinHost* host = CreateHost();
    ASSERT_NE(host, nullptr);
    ui::ShadowBox* shadow = host->Shadow().ShadowContainer();
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(static_cast<ui::Box*>(shadow), host->RootBox());
    EXPECT_EQ(shadow->LayoutObject()->GetInnerPadding().left, 14);

    ::ShowWindow(hwnd_, SW_MAXIMIZE);
    EXPECT_EQ(shadow->LayoutObject()->GetInnerPadding().left, 0);
    EXPECT_EQ(host->Shadow().ShadowCorner().bottom, 0);

    ::ShowWindow(hwnd_, SW_RESTORE);
    EXPECT_EQ(shadow->LayoutObject()->GetInnerPadding().top, 14);
    EXPECT_EQ(host->Shadow().ShadowCorner().right, 14);
}
