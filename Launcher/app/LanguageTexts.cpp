#include "Launcher/app/LanguageTexts.h"

namespace {

const CardButtonTexts kEnglishTexts{L"Download", L"Website", L"Register", L"Start"};
const CardButtonTexts kChineseTexts{L"下载游戏", L"官方网站", L"注册", L"启动"};

} // namespace

const CardButtonTexts& ButtonTextsOf(LauncherLanguage language) {
    return language == kEnglish ? kEnglishTexts : kChineseTexts;
}

std::wstring ProgressValueText(int percent) { return std::to_wstring(percent); }

std::wstring ProgressLabelText(int percent) { return std::to_wstring(percent) + L"%"; }

std::wstring NoticeText(NoticeKind notice, LauncherLanguage language) {
    const bool english = language == kEnglish;
    switch (notice) {
    case NoticeKind::DownloadFailed:
        return english ? L"Download failed" : L"下载失败";
    case NoticeKind::UnpackFailed:
        return english ? L"Unpacking failed" : L"解压失败";
    }
    return std::wstring();
}
