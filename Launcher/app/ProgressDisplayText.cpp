#include "Launcher/app/ProgressDisplayText.h"

std::wstring ProgressValueText(int percent) { return std::to_wstring(percent); }

std::wstring ProgressLabelText(int percent) { return std::to_wstring(percent) + L"%"; }

std::wstring InstallFailureText(ArchiveInstall::Result result, int language) {
    const bool english = language == 0;
    switch (result) {
    case ArchiveInstall::Result::DownloadFailed:
        return english ? L"Download failed" : L"\u4E0B\u8F7D\u5931\u8D25";  // 下载失败
    case ArchiveInstall::Result::UnpackFailed:
        return english ? L"Unpacking failed" : L"\u89E3\u538B\u5931\u8D25";  // 解压失败
    case ArchiveInstall::Result::Installed:
        break;
    }
    return std::wstring();
}
