#include <string>

#include "Launcher/flows/ArchiveInstall.h"
#include "Launcher/app/LauncherWindow.h"
#include "Launcher/config/CardContent.h"
#include "Launcher/app/CardView.h"
#include "Launcher/app/ProgressDisplayText.h"
#include "pillar/TextConversion.h"
#include "ui/control/Box.h"

namespace {

// The start button shows a moment before the archive goes.
constexpr DWORD kArchiveDeleteDelayMs = 1000;
// How long a failed install's notice stays before the card is usable again.
constexpr DWORD kFailureNoticeMs = 3000;

} // namespace

void LauncherWindow::InstallGame() {
    const int index = selectedCard.load();
    const GameCard& slot = slots[index];
    const std::string tmp = pillar::WideToMultiByte(tmpFolder, CP_ACP);
    const std::string games = pillar::WideToMultiByte(gameFolder, CP_ACP);

    int shown = -1;
    auto show = [this, index, &shown](int percent) {
        if (percent == shown) return;  // the display already says so
        shown = percent;
        PostToUi([this, index, percent] { ShowCardProgress(CardBox(index), percent); });
    };
    ArchiveInstall install(aria2, sevenZip);
    const ArchiveInstall::Result result = install.Run(tmp, slot.downloadLink, games, failedDownloads[index], show);

    if (result == ArchiveInstall::Result::Installed) {
        PostToUi([this, index] {
            ui::Box* card = CardBox(index);
            ShowCardPart(card, kProgressBox, false);
            ShowCardPart(card, kStartBox, true);
            if (card) card->MarkDirty();
        });
        Sleep(kArchiveDeleteDelayMs);
        DeleteFileA(install.ArchivePath().c_str());
        PostToUi([this] { busy.store(0); });
        return;
    }

    // A tool ended without completing: say so, then give the card back as it
    // was, with the start button only for a game that is there.
    PostToUi([this, index, text = InstallFailureText(result, language.load())] {
        ShowCardNotice(CardBox(index), text);
    });
    Sleep(kFailureNoticeMs);
    const bool installed = IsGameInstalled(gameFolder, slot.exePath);
    PostToUi([this, index, installed] {
        ui::Box* card = CardBox(index);
        ShowCardPart(card, kProgressBox, false);
        ShowCardPart(card, kStartBox, installed);
        busy.store(0);
    });
}
