#include "Launcher/flows/SelfUpdate.h"

#include <windows.h>

const wchar_t kNewLauncherName[] = L"New_Launcher.exe";
const wchar_t kUpdateBatchName[] = L"update.bat";
const wchar_t kUpdateErrorCaption[] = L"Zadu Rizodi";

std::wstring BuildUpdateBatch(const std::wstring& baseFolder, const std::wstring& exeName) {
    // The folder already ends in "\"; the extra separators below are part
    // of the file's established text and the file system accepts them.
    const std::wstring oldExe = L"\"" + baseFolder + L"\\" + exeName + L"\"";
    std::wstring text = L"@echo off\r\n:try\r\nchoice /t 1 /d y >nul\r\n";
    text += L"del " + oldExe + L"\r\n";
    text += L"if exist  " + oldExe + L" goto :try\r\n";
    text += L"rename \"" + baseFolder + L"\\" + L"\\" + kNewLauncherName + L"\" \"" + exeName + L"\"\r\n";
    text += L"start \"\" " + oldExe + L"\r\n";
    text += L"ie4uinit.exe -show\r\n";
    text += L"del \"%~nx0\"";
    return text;
}

bool IsWindowsExecutable(const void* bytes, size_t size) {
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    return data != nullptr && size >= 2 && data[0] == 'M' && data[1] == 'Z';
}

std::wstring UpdateErrorText(int code) {
    wchar_t text[256] = {};
    ::wsprintfW(text, L"更新时遇到了错误，ID  %d", code);
    return text;
}
