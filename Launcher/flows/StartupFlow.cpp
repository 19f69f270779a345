#include "Launcher/app/LauncherWindow.h"

#include "Launcher/config/CardContent.h"
#include "Launcher/app/CardView.h"
#include "Launcher/flows/DesktopShortcutFlag.h"
#include "Launcher/app/LanguageTexts.h"
#include "Launcher/config/LauncherUrls.h"
#include "ui/control/Box.h"
#include "ui/control/Control.h"

namespace {

ui::Control* FindInCard(ui::Box* card, const wchar_t* name) { return card ? card->FindByName(name) : nullptr; }

void SetText(ui::Box* card, const wchar_t* name, const std::wstring& text) {
    if (ui::Control* control = FindInCard(card, name)) control->SetAttributeValue(L"text", text);
}

// UI thread: the card's box, start button and labels.
void ShowCardContent(ui::Box* card, const CardContent& content) {
    if (!card) return;
    if (!content.shown) {
        card->ShowAnimated(false);
        return;
    }
    ShowCardPart(card, kStartBox, content.installed);
    SetText(card, L"gamename", content.name);
    SetText(card, L"gamever", content.type);
    SetText(card, L"gametext", content.text);
}

} // namespace

bool LauncherWindow::FetchConfig() {
    // The form's own downloader fetches the configuration; the images get
    // one of this thread's own.
    HttpDownloader images;
    if (!downloader.Fetch(kConfigUrl)) return false;
    config.Parse(downloader.GetContent());
    if (NeedsSelfUpdate(config)) RunSelfUpdate(config.GetString("Launcher", "UpgradeLink"));

    const LauncherContent launcher = ReadLauncherContent(config);
    PostToUi([this, title = launcher.title] { SetWindowTitle(title); });

    // Fetches `url` into the tmp folder as `fileName` and shows it on the
    // control that `find` gives (looked up on the UI thread). A failed fetch,
    // or a name that is not a plain file name, saves nothing and leaves the
    // control with its skin image.
    auto showImage = [this, &images](const std::string& url, const std::wstring& fileName, auto find) {
        if (url.empty() || !images.Fetch(url)) return;
        const std::wstring path = DownloadedImagePath(tmpFolder, fileName.empty() ? images.GetFileNameW() : fileName);
        if (path.empty() || !images.SaveToFileW(path)) return;
        PostToUi([find, path] {
            if (ui::Control* control = find()) control->SetBackgroundImage(path);
        });
    };

    showImage(launcher.logoUrl, L"Logo.png", [this] { return logo; });
    for (int i = 0; i < kCardCount; ++i) {
        ui::Box* card = cardBoxes[i];
        const CardContent content = ReadCardContent(config, i, gameFolder, slots[i]);
        PostToUi([card, content] { ShowCardContent(card, content); });
        if (!content.shown) continue;
        showImage(content.iconUrl, std::wstring(), [card] { return FindInCard(card, L"Icon"); });
        showImage(content.backImageUrl, std::wstring(), [card] { return FindInCard(card, L"Backimg"); });
    }

    MakeDesktopShortcutOnce(settingsPath, [this, &launcher] {
        const std::wstring self = baseFolder + L"\\" + exeName;
        return CreateDesktopShortcut(self, baseFolder + L"\\", std::wstring(), launcher.linkName + L".lnk", self);
    });
    SetLanguage(ReadStoredLanguage(settingsPath));
    PostToUi([this] {
        if (loading) loading->ShowAnimated(false);
        if (gameCtrl) gameCtrl->ShowAnimated(true);
    });
    return true;
}
