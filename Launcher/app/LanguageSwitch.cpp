#include "Launcher/app/LauncherWindow.h"

#include "Launcher/app/LanguageTexts.h"
#include "ui/control/Box.h"
#include "ui/control/Control.h"

namespace {

void SetButtonText(ui::Box* card, const wchar_t* name, const wchar_t* text) {
    if (!card) return;
    if (ui::Control* button = card->FindByName(name)) button->SetAttributeValue(L"text", text);
}

} // namespace

void LauncherWindow::SetLanguage(int value) {
    const LauncherLanguage chosen = LanguageOf(value);
    auto apply = [this, chosen] {
        const CardButtonTexts& texts = ButtonTextsOf(chosen);
        // Hidden cards too: one may be shown later with the right texts.
        for (ui::Box* card : cardBoxes) {
            SetButtonText(card, L"btn_download", texts.download);
            SetButtonText(card, L"btn_link1", texts.link1);
            SetButtonText(card, L"btn_link2", texts.link2);
            SetButtonText(card, L"btn_start", texts.start);
        }
        // The visible flag offers the other language.
        if (btnEn) btnEn->ShowAnimated(chosen == kChinese);
        if (btnCh) btnCh->ShowAnimated(chosen == kEnglish);
        language = chosen;
        StoreLanguage(settingsPath, chosen);
    };
    if (IsUiThread())
        apply();
    else
        PostToUi(apply);
}
