#include "Launcher/app/ClickRoute.h"

namespace {

const wchar_t kCardControlsBox[] = L"ctrlbox";
const wchar_t* const kCardBoxes[] = {L"game1_box", L"game2_box", L"game3_box",
                                     L"game4_box", L"game5_box", L"game6_box"};

struct NamedAction {
    const wchar_t* name;
    ClickAction action;
};

const NamedAction kCardActions[] = {
    {L"menubtn", ClickAction::OpenMenu},    {L"btn_download", ClickAction::Download},
    {L"btn_link1", ClickAction::OpenLink1}, {L"btn_link2", ClickAction::OpenLink2},
    {L"btn_start", ClickAction::Start},
};

const NamedAction kWindowActions[] = {
    {L"btn_en", ClickAction::English},       {L"btn_ch", ClickAction::Chinese},
    {L"btn_qq", ClickAction::CommunityLink}, {L"btn_zy", ClickAction::Homepage},
    {L"closebtn", ClickAction::Close},       {L"loading_notice", ClickAction::RetryStartup},
};

template <size_t N>
ClickAction Lookup(const NamedAction (&table)[N], const std::wstring& name) {
    for (const NamedAction& entry : table) {
        if (name == entry.name) return entry.action;
    }
    return ClickAction::None;
}

int CardIndex(const std::wstring& name) {
    for (int i = 0; i < static_cast<int>(sizeof(kCardBoxes) / sizeof(kCardBoxes[0])); ++i) {
        if (name == kCardBoxes[i]) return i;
    }
    return -1;
}

} // namespace

ClickRoute RouteClick(const std::wstring& sender, const std::vector<std::wstring>& ancestry, bool busy) {
    ClickRoute route;
    size_t controls = 0;
    while (controls < ancestry.size() && ancestry[controls] != kCardControlsBox) ++controls;
    route.cardButton = controls < ancestry.size();
    if (!route.cardButton) {
        route.action = Lookup(kWindowActions, sender);
        return route;
    }
    if (busy) {
        route.ignored = true;
        return route;
    }
    if (controls + 1 < ancestry.size()) route.card = CardIndex(ancestry[controls + 1]);
    route.action = Lookup(kCardActions, sender);
    return route;
}
