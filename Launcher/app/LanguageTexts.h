#pragma once
// Every text the window shows that is not in the skin: the card buttons in
// the two interface languages, the progress texts and the notices.
#include <cstdint>
#include <string>

#include "Launcher/config/LanguageSetting.h"
#include "Launcher/flows/LauncherReport.h"

struct CardButtonTexts {
    const wchar_t* download;  // "btn_download"
    const wchar_t* link1;     // "btn_link1"
    const wchar_t* link2;     // "btn_link2"
    const wchar_t* start;     // "btn_start"
};

const CardButtonTexts& ButtonTextsOf(LauncherLanguage language);

// "37" for the bar's "value" attribute.
std::wstring ProgressValueText(int percent);
// "37%" for the label's "text" attribute.
std::wstring ProgressLabelText(int percent);

// "1.5 GB", "350 MB", "12 KB", "900 B": one decimal below ten units.
std::wstring SizeText(int64_t bytes);

// Beside the percent: "2.5 MB/s · 3 min left" ("2.5 MB/s · 剩余 3 分钟")
// while downloading, the speed alone when the time left is unknown (a
// repair), and nothing when the speed is unknown.
std::wstring TransferText(const JobProgress& progress, LauncherLanguage language);

// The notice in `language`.
std::wstring NoticeText(const NoticeInfo& notice, LauncherLanguage language);
