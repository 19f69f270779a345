#pragma once
// One card on the window: the only place that knows the names of a card's
// skin controls. UI thread only. A null card box or a missing control
// changes nothing.
#include <windows.h>

#include <string>

#include "Launcher/config/CardContent.h"
#include "Launcher/config/LanguageSetting.h"
#include "Launcher/flows/LauncherReport.h"

namespace ui {
class Box;
class Control;
}

class CardView {
public:
    CardView() = default;
    explicit CardView(ui::Box* box) : box_(box) {}

    ui::Box* Box() const { return box_; }

    // Labels, and the card shown or hidden.
    void ShowContent(const CardContent& content);
    // Which of menu, start button and progress box show.
    void ShowState(CardState state);
    // "progressbar" gets the percent, "progresstext" the percent and "%",
    // "progressinfo" the speed and time left.
    void ShowProgress(const JobProgress& progress, LauncherLanguage language);
    // "noticetext" says what went wrong, until HideNotice.
    void ShowNotice(const std::wstring& text);
    void HideNotice();
    void ShowMenu(bool show);
    bool IsMenuShown() const;
    // The menu's rectangle in the window's client coordinates.
    bool MenuContains(POINT point) const;
    void ShowButtonTexts(LauncherLanguage language);
    void ShowImage(WindowImage which, const std::wstring& path);

private:
    ui::Control* Find(const wchar_t* name) const;
    void ShowPart(const wchar_t* name, bool show);
    void SetText(const wchar_t* name, const std::wstring& text);

    ui::Box* box_ = nullptr;
};
