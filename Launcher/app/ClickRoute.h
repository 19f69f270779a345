#pragma once
// Where a button click of the launcher window leads: card buttons lie inside
// a card's "ctrlbox" and act on that card, every other button acts on the
// window. Names are compared exactly (case-sensitive).
#include <string>
#include <vector>

enum class ClickAction {
    None,
    // card buttons
    OpenMenu,      // "menubtn"
    Download,      // "btn_download"
    OpenLink1,     // "btn_link1"
    OpenLink2,     // "btn_link2"
    Start,         // "btn_start"
    // window buttons
    English,       // "btn_en"
    Chinese,       // "btn_ch"
    CommunityLink, // "btn_qq"
    Homepage,      // "btn_zy"
    Close,         // "closebtn"
    RetryStartup,  // "loading_notice": fetch the configuration again now
};

struct ClickRoute {
    bool cardButton = false;  // the sender lies inside a "ctrlbox"
    bool ignored = false;     // a card button while a workflow runs
    int card = -1;            // 0..5 when the "ctrlbox"'s parent is a card box
    ClickAction action = ClickAction::None;
};

// `ancestry` holds the names of the sender's ancestors, its parent first.
// While `busy`, a card button is ignored and carries no card or action.
ClickRoute RouteClick(const std::wstring& sender, const std::vector<std::wstring>& ancestry, bool busy);
