// Click routing over the launcher's own skin: which card a button belongs to,
// what it does, and what a running workflow blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Launcher/app/ClickRoute.h"
#include "builder/LauncherSkinFixture.h"

using builder_test::LauncherSkin;
using builder_test::SkinHost;

namespace {

std::vector<std::wstring> AncestryOf(const ui::Control* control) {
    std::vector<std::wstring> names;
    for (const ui::Box* box = control->ParentBox(); box; box = box->ParentBox()) names.push_back(box->GetControlName());
    return names;
}

ClickRoute Click(SkinHost& host, const std::wstring& card, const std::wstring& button, bool busy) {
    ui::Control* sender = nullptr;
    if (card.empty()) {
        sender = host.FindInWindow(button);
    } else if (auto* box = dynamic_cast<ui::Box*>(host.FindInWindow(card))) {
        sender = box->FindByName(button);
    }
    if (!sender) {
        ADD_FAILURE() << "no control " << std::string(button.begin(), button.end());
        return ClickRoute{};
    }
    return RouteClick(sender->GetControlName(), AncestryOf(sender), busy);
}

} // namespace

TEST_F(LauncherSkin, CardButtonsActOnTheCardOfTheirControlBox) {
    SkinHost* host = CreateHost();
    ASSERT_NE(host, nullptr);
    const wchar_t* const cards[] = {L"game1_box", L"game2_box", L"game3_box",
                                    L"game4_box", L"game5_box", L"game6_box"};
    const std::pair<const wchar_t*, ClickAction> buttons[] = {
        {L"menubtn", ClickAction::OpenMenu},    {L"btn_download", ClickAction::Download},
        {L"btn_link1", ClickAction::OpenLink1}, {L"btn_link2", ClickAction::OpenLink2},
        {L"btn_start", ClickAction::Start}};
    for (int card = 0; card < 6; ++card) {
        for (const auto& button : buttons) {
            ClickRoute route = Click(*host, cards[card], button.first, false);
            EXPECT_TRUE(route.cardButton);
            EXPECT_FALSE(route.ignored);
            EXPECT_EQ(route.card, card);
            EXPECT_EQ(route.action, button.second);
        }
    }
    // Anything else inside a card is a card control without an action.
    ClickRoute label = Click(*host, L"game2_box", L"gamename", false);
    EXPECT_TRUE(label.cardButton);
    EXPECT_EQ(label.card, 1);
    EXPECT_EQ(label.action, ClickAction::None);
}

TEST_F(LauncherSkin, WhileBusyCardButtonsAreIgnoredAndWindowButtonsStillWork) {
    SkinHost* host = CreateHost();
    ASSERT_NE(host, nullptr);
    for (const wchar_t* button : {L"menubtn", L"btn_download", L"btn_start", L"btn_link1"}) {
        ClickRoute route = Click(*host, L"game4_box", button, true);
        EXPECT_TRUE(route.ignored);
        EXPECT_EQ(route.card, -1) << "an ignored click must not change the selected card";
        EXPECT_EQ(route.action, ClickAction::None);
    }
    const std::pair<const wchar_t*, ClickAction> windowButtons[] = {
        {L"btn_en", ClickAction::English},       {L"btn_ch", ClickAction::Chinese},
        {L"btn_qq", ClickAction::CommunityLink}, {L"btn_zy", ClickAction::Homepage},
        {L"closebtn", ClickAction::Close},       {L"minbtn", ClickAction::None},
        {L"loading_notice", ClickAction::RetryStartup}};
    for (const auto& button : windowButtons) {
        for (bool busy : {false, true}) {
            ClickRoute route = Click(*host, L"", button.first, busy);
            EXPECT_FALSE(route.cardButton);
            EXPECT_FALSE(route.ignored);
            EXPECT_EQ(route.action, button.second);
        }
    }
}

TEST(ClickRoute, NamesMatchExactlyAndOnlyACardBoxSelectsACard) {
    const std::vector<std::wstring> inCard = {L"start_box", L"ctrlbox", L"game5_box", L"gamectrl"};
    EXPECT_EQ(RouteClick(L"btn_start", inCard, false).card, 4);
    EXPECT_EQ(RouteClick(L"Btn_Start", inCard, false).action, ClickAction::None);
    // A control box outside any card box: still a card control, no card.
    ClickRoute stray = RouteClick(L"btn_start", {L"ctrlbox", L"elsewhere"}, false);
    EXPECT_TRUE(stray.cardButton);
    EXPECT_EQ(stray.card, -1);
    EXPECT_EQ(stray.action, ClickAction::Start);
    // The name comparison of boxes is exact too.
    EXPECT_EQ(RouteClick(L"btn_start", {L"CtrlBox", L"game1_box"}, false).cardButton, false);
    EXPECT_EQ(RouteClick(L"btn_start", {L"ctrlbox", L"Game1_box"}, false).card, -1);
}
