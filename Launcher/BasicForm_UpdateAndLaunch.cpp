#include <string>

#include "Launcher/BasicForm.h"
#include "Launcher/CardDisplay.h"
#include "Launcher/EndProcessAtOnce.h"
#include "pillar/TextConversion.h"
#include "ui/control/Box.h"

namespace {

constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressTimerMs = 100;

void CALLBACK UpdateTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_launcherForm) g_launcherForm->RefreshUpdateProgress();
}

} // namespace

void BasicForm::OnUpdateProgress(int percent) {
    if (g_launcherForm) g_launcherForm->updateProgress.store(percent);
}

void BasicForm::OnFileProgress(int percent) {
    if (g_launcherForm) g_launcherForm->fileProgress.store(percent);
}

void BasicForm::RefreshUpdateProgress() {
    // A tick that was already queued when the timer was killed.
    if (timerId == 0) return;
    ShowCardProgress(CardBox(selectedSlot.load()), updateProgress.load());
}

void BasicForm::UpdateAndLaunch() {
    const int index = selectedSlot.load();
    const GameSlot& slot = slots[index];
    busy.store(1);
    // The timer belongs to the window, so the UI thread sets and kills it.
    PostToUi([this] { timerId = SetTimer(NativeHandle(), kProgressTimerId, kProgressTimerMs, UpdateTimerProc); });

    if (!downloader.Fetch(slot.upgradeLink)) EndProcessAtOnce();
    const std::string listText = downloader.GetContent();
    patcher.progress = &BasicForm::OnUpdateProgress;
    patcher.downloader.progress = &BasicForm::OnFileProgress;
    patcher.SetLocations(slot.upgradePath, pillar::WideToMultiByte(gameFolder, CP_ACP) + slot.folderName + "\\");
    const int32_t result = patcher.Run(listText);

    PostToUi([this] {
        if (timerId != 0) KillTimer(NativeHandle(), timerId);
        timerId = 0;
    });
    // A game whose files cannot be brought up to date is not started.
    if (result != FileListPatcher::Ok) EndProcessAtOnce();

    LaunchGame();
    PostToUi([this, index] {
        ui::Box* card = CardBox(index);
        ShowCardProgress(card, 100);
        ShowCardPart(card, kProgressBox, false);
        ShowCardPart(card, kStartBox, true);
        busy.store(0);
    });
}
