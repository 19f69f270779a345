#pragma once
// Changes to one card's controls, found by name inside the card's box. UI
// thread only; workers post them (LauncherWindow::PostToUi). A null card or a
// missing control changes nothing.
#include <string>

namespace ui {
class Box;
}

// The progress display: "progressbar" gets the value, "progresstext" the
// percentage followed by "%".
void ShowCardProgress(ui::Box* card, int percent);
// Puts `text` on the card's progress label instead of a percentage.
void ShowCardNotice(ui::Box* card, const std::wstring& text);
// Shows or hides one named part of the card ("menu_box", "start_box",
// "progress_box").
void ShowCardPart(ui::Box* card, const wchar_t* part, bool show);
// Whether that part is visible now.
bool IsCardPartShown(ui::Box* card, const wchar_t* part);

extern const wchar_t kMenuBox[];
extern const wchar_t kStartBox[];
extern const wchar_t kProgressBox[];
