#include "Launcher/app/LauncherWindow.h"

#include "pillar/EndProcessAtOnce.h"
#include "Launcher/flows/SelfUpdate.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"

namespace {

[[noreturn]] void FailUpdate(int code) {
    ::MessageBoxW(nullptr, UpdateErrorText(code).c_str(), kUpdateErrorCaption, MB_OK);
    pillar::EndProcessAtOnce();
}

} // namespace

// Every way out ends the process at once; the window's own shutdown does
// not run.
void LauncherWindow::RunSelfUpdate(const std::string& upgradeUrl) {
    // Anything but a program (an error page sent with status 200) would
    // leave a launcher that can never start again.
    if (!downloader.Fetch(upgradeUrl) || !IsWindowsExecutable(downloader.buffer, downloader.size)) FailUpdate(1);
    const std::string folder = pillar::WideToMultiByte(baseFolder, CP_ACP);
    const std::string exe = pillar::WideToMultiByte(exeName, CP_ACP);
    if (!downloader.SaveToFile(folder + kNewLauncherName)) FailUpdate(2);
    const std::string batch = folder + "\\" + kUpdateBatchName;
    if (!pillar::WriteWholeFile(pillar::AnsiToWide(batch), BuildUpdateBatch(folder, exe))) FailUpdate(3);
    ::WinExec(("cmd /c " + batch).c_str(), SW_HIDE);
    pillar::EndProcessAtOnce();
}
