#include "Launcher/app/CardView.h"

#include "Launcher/app/LanguageTexts.h"
#include "ui/control/Box.h"
#include "ui/control/Control.h"

namespace {

const wchar_t kMenuBox[] = L"menu_box";
const wchar_t kStartBox[] = L"start_box";
const wchar_t kProgressBox[] = L"progress_box";
const wchar_t kNoticeText[] = L"noticetext";

} // namespace

ui::Control* CardView::Find(const wchar_t* name) const { return box_ ? box_->FindByName(name) : nullptr; }

void CardView::ShowPart(const wchar_t* name, bool show) {
    if (ui::Control* part = Find(name)) part->ShowAnimated(show);
}

void CardView::SetText(const wchar_t* name, const std::wstring& text) {
    if (ui::Control* control = Find(name)) control->SetAttributeValue(L"text", text);
}

void CardView::ShowContent(const CardContent& content) {
    if (!box_) return;
    if (!content.shown) {
        box_->ShowAnimated(false);
        return;
    }
    ShowPart(kStartBox, content.installed);
    SetText(L"gamename", content.name);
    SetText(L"gamever", content.type);
    SetText(L"gametext", content.text);
}

void CardView::ShowState(CardState state) {
    if (state == CardState::Working) ShowPart(kMenuBox, false);
    ShowPart(kStartBox, state == CardState::Installed);
    ShowPart(kProgressBox, state == CardState::Working);
    if (box_) box_->MarkDirty();
}

void CardView::ShowProgress(const JobProgress& progress, LauncherLanguage language) {
    if (ui::Control* bar = Find(L"progressbar")) bar->SetAttributeValue(L"value", ProgressValueText(progress.percent));
    SetText(L"progresstext", ProgressLabelText(progress.percent));
    SetText(L"progressinfo", TransferText(progress, language));
}

void CardView::ShowNotice(const std::wstring& text) {
    SetText(kNoticeText, text);
    ShowPart(kNoticeText, true);
}

void CardView::HideNotice() { ShowPart(kNoticeText, false); }

void CardView::ShowMenu(bool show) { ShowPart(kMenuBox, show); }

bool CardView::IsMenuShown() const {
    ui::Control* menu = Find(kMenuBox);
    return menu && menu->IsVisibleFlag();
}

bool CardView::MenuContains(POINT point) const {
    ui::Control* menu = Find(kMenuBox);
    if (!menu) return false;
    const RECT rect = menu->GetBounds(true);
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

void CardView::ShowButtonTexts(LauncherLanguage language) {
    const CardButtonTexts& texts = ButtonTextsOf(language);
    SetText(L"btn_download", texts.download);
    SetText(L"btn_link1", texts.link1);
    SetText(L"btn_link2", texts.link2);
    SetText(L"btn_start", texts.start);
}

void CardView::ShowImage(WindowImage which, const std::wstring& path) {
    if (ui::Control* control = Find(which == WindowImage::CardIcon ? L"Icon" : L"Backimg"))
        control->SetBackgroundImage(path);
}
