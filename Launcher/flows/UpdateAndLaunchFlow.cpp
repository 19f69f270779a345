#include <string>

#include "Launcher/app/LauncherWindow.h"
#include "Launcher/app/CardView.h"
#include "pillar/EndProcessAtOnce.h"
#include "pillar/TextConversion.h"
#include "ui/control/Box.h"

void LauncherWindow::UpdateAndLaunch() {
    const int index = selectedCard.load();
    const GameCard& slot = slots[index];
    busy.store(1);

    if (!downloader.Fetch(slot.upgradeLink)) pillar::EndProcessAtOnce();
    const std::string listText = downloader.GetContent();
    patcher.progress = [this, index](int percent) {
        PostToUi([this, index, percent] { ShowCardProgress(CardBox(index), percent); });
    };
    patcher.SetLocations(slot.upgradePath, pillar::WideToMultiByte(gameFolder, CP_ACP) + slot.folderName + "\\");
    const int32_t result = patcher.Run(listText);

    // A game whose files cannot be brought up to date is not started.
    if (result != FileListPatcher::Ok) pillar::EndProcessAtOnce();

    LaunchGame();
    PostToUi([this, index] {
        ui::Box* card = CardBox(index);
        ShowCardProgress(card, 100);
        ShowCardPart(card, kProgressBox, false);
        ShowCardPart(card, kStartBox, true);
        busy.store(0);
    });
}
