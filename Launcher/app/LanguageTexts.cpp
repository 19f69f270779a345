#include "Launcher/app/LanguageTexts.h"

#include <cwchar>

namespace {

const CardButtonTexts kEnglishTexts{L"Download", L"Website", L"Register", L"Start"};
const CardButtonTexts kChineseTexts{L"下载游戏", L"官方网站", L"注册", L"启动"};

} // namespace

const CardButtonTexts& ButtonTextsOf(LauncherLanguage language) {
    return language == kEnglish ? kEnglishTexts : kChineseTexts;
}

std::wstring ProgressValueText(int percent) { return std::to_wstring(percent); }

std::wstring ProgressLabelText(int percent) { return std::to_wstring(percent) + L"%"; }

std::wstring SizeText(int64_t bytes) {
    static const wchar_t* const units[] = {L"B", L"KB", L"MB", L"GB", L"TB"};
    if (bytes < 1024) return std::to_wstring(bytes < 0 ? 0 : bytes) + L" B";
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    wchar_t text[32];
    if (value < 10) {
        swprintf(text, 32, L"%.1f %ls", value, units[unit]);
    } else {
        swprintf(text, 32, L"%.0f %ls", value, units[unit]);
    }
    return text;
}

namespace {

// Whole minutes are rounded up, so the last minute still says "1 min".
std::wstring TimeLeftText(int64_t seconds, bool english) {
    const std::wstring n = std::to_wstring(seconds);
    if (seconds < 60) return english ? n + L" s left" : L"剩余 " + n + L" 秒";
    const int64_t minutes = (seconds + 59) / 60;
    if (minutes < 60) {
        const std::wstring m = std::to_wstring(minutes);
        return english ? m + L" min left" : L"剩余 " + m + L" 分钟";
    }
    const std::wstring h = std::to_wstring(minutes / 60), m = std::to_wstring(minutes % 60);
    return english ? h + L" h " + m + L" min left" : L"剩余 " + h + L" 小时 " + m + L" 分钟";
}

} // namespace

std::wstring TransferText(const JobProgress& progress, LauncherLanguage language) {
    if (progress.bytesPerSecond <= 0) return std::wstring();
    std::wstring text = SizeText(progress.bytesPerSecond) + L"/s";
    if (progress.secondsLeft > 0) text += L" \u00B7 " + TimeLeftText(progress.secondsLeft, language == kEnglish);
    return text;
}

std::wstring NoticeText(const NoticeInfo& notice, LauncherLanguage language) {
    const bool english = language == kEnglish;
    switch (notice.kind) {
    case NoticeKind::DownloadFailed:
        return english ? L"Download failed" : L"下载失败";
    case NoticeKind::UnpackFailed:
        return english ? L"Unpacking failed" : L"解压失败";
    case NoticeKind::DownloadTimedOut:
        return english ? L"Server not responding" : L"服务器无响应";
    case NoticeKind::DownloadNotFound:
        return english ? L"File not found on server" : L"服务器上没有此文件";
    case NoticeKind::DiskFull:
        return english ? L"Disk full" : L"磁盘已满";
    case NoticeKind::NotEnoughSpace:
        return english ? L"Needs " + SizeText(notice.bytesNeeded) + L" free on " + notice.drive
                       : notice.drive + L" 需要 " + SizeText(notice.bytesNeeded) + L" 可用空间";
    case NoticeKind::NetworkFailed:
        return english ? L"Network error" : L"网络错误";
    case NoticeKind::FileMissingOnServer:
        return english ? L"Game file missing on server" : L"服务器缺少游戏文件";
    case NoticeKind::FileMismatch:
        return english ? L"Downloaded file is damaged" : L"下载的文件已损坏";
    case NoticeKind::CannotWrite:
        return english ? L"Cannot write game files" : L"无法写入游戏文件";
    case NoticeKind::ConfigUnreachable:
        return english ? L"Cannot reach the server. Retrying... Click to retry now."
                       : L"无法连接服务器，正在重试……点击立即重试。";
    case NoticeKind::DownloadRefused:
        return english ? L"Download does not match the release" : L"下载的文件与发布版本不符";
    case NoticeKind::ListRefused:
        return english ? L"File list does not match the release" : L"文件列表与发布版本不符";
    case NoticeKind::GameSettingsRefused:
        return english ? L"Unsafe game settings from the server" : L"服务器的游戏设置不安全";
    case NoticeKind::LinkRefused:
        return english ? L"Not a web link" : L"不是网页链接";
    }
    return std::wstring();
}
