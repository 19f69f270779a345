#include "Launcher/flows/SelfUpdate.h"

#include <windows.h>

const char kNewLauncherName[] = "New_Launcher.exe";
const char kUpdateBatchName[] = "update.bat";
const wchar_t kUpdateErrorCaption[] = L"Zadu Rizodi";

std::string BuildUpdateBatch(const std::string& baseFolder, const std::string& exeName) {
    // The folder already ends in "\"; the extra separators below are part
    // of the file's established text and the file system accepts them.
    const std::string oldExe = "\"" + baseFolder + "\\" + exeName + "\"";
    std::string text = "@echo off\r\n:try\r\nchoice /t 1 /d y >nul\r\n";
    text += "del " + oldExe + "\r\n";
    text += "if exist  " + oldExe + " goto :try\r\n";
    text += "rename \"" + baseFolder + "\\" + "\\" + kNewLauncherName + "\" \"" + exeName + "\"\r\n";
    text += "start \"\" " + oldExe + "\r\n";
    text += "ie4uinit.exe -show\r\n";
    text += "del \"%~nx0\"";
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
