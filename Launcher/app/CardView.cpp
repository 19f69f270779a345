// Compiled with the form (it needs the UI library), not into the services.
#include "Launcher/app/CardView.h"

#include "Launcher/app/ProgressDisplayText.h"
#include "ui/control/Box.h"

const wchar_t kMenuBox[] = L"menu_box";
const wchar_t kStartBox[] = L"start_box";
const wchar_t kProgressBox[] = L"progress_box";

namespace {

void SetCardAttribute(ui::Box* card, const wchar_t* control, const wchar_t* attribute, const std::wstring& value) {
    if (!card) return;
    if (ui::Control* found = card->FindByName(control)) found->SetAttributeValue(attribute, value);
}

} // namespace

void ShowCardProgress(ui::Box* card, int percent) {
    SetCardAttribute(card, L"progressbar", L"value", ProgressValueText(percent));
    SetCardAttribute(card, L"progresstext", L"text", ProgressLabelText(percent));
}

void ShowCardNotice(ui::Box* card, const std::wstring& text) {
    SetCardAttribute(card, L"progresstext", L"text", text);
}

void ShowCardPart(ui::Box* card, const wchar_t* part, bool show) {
    if (!card) return;
    if (ui::Control* found = card->FindByName(part)) found->ShowAnimated(show);
}

bool IsCardPartShown(ui::Box* card, const wchar_t* part) {
    ui::Control* found = card ? card->FindByName(part) : nullptr;
    return found && found->IsVisibleFlag();
}
