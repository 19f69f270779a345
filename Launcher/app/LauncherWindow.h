#pragma once
// The launcher's one window and the owner of everything the launcher knows
// at run time: the six game slots, the remote configuration, the working
// folders, the local settings file, the two tool drivers and the pre-launch
// patcher. Its operations live in files named after them
// (BasicForm_<Operation>.cpp).
//
// Threads: the form is made and shown on the UI thread. The configuration,
// menu auto-hide and install/update workers run on detached threads; they
// never touch a control themselves but hand every visible change to the UI
// thread with PostToUi, in the order the workflows make them.
#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "Launcher/console/Aria2Control.h"
#include "Launcher/patch/FileListPatcher.h"
#include "Launcher/config/GameCard.h"
#include "Launcher/net/HttpDownloader.h"
#include "Launcher/config/LauncherConfig.h"
#include "Launcher/console/SevenZipControl.h"
#include "ui/core/WindowImplBase.h"

namespace pillar {
class MessageLoopProxy;
}
namespace ui {
class Box;
class Control;
struct EventArgs;
}  // namespace ui

// Class name of the launcher window.
extern const wchar_t LauncherClassName[];


class LauncherWindow : public ui::WindowImplBase, public virtual pillar::SupportWeakCallback {
public:
    static constexpr int kCardCount = 6;

    LauncherWindow();
    ~LauncherWindow() override;

    // --- overrides of the window base ------------------------------------------------
    std::wstring WindowClassName() const override;
    void OnSkinReady() override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    std::wstring SkinFolder() const override;
    std::wstring SkinFile() const override;

    // --- operations, each in BasicForm_<name>.cpp ------------------------------------
    // Every button click of the window bubbles up to this (UI thread).
    bool OnClicked(ui::EventArgs* event);
    // Configuration worker: fetch, version check, title, logo, cards,
    // shortcut, language, then the cards replace the loading picture.
    bool FetchConfig();
    // Hides the selected card's menu once the pointer has left it.
    bool AutoHideMenu();
    // Install worker: download with aria2c, unpack with 7-Zip, show the start button.
    void InstallGame();
    // Update worker: fetch the update list, repair the game, start it.
    void UpdateAndLaunch();
    // Starts the selected card's game in its own folder.
    bool LaunchGame();
    // 0 English, anything else Chinese: button texts, flag buttons, stored value.
    void SetLanguage(int language);
    // Replaces the launcher with the executable at `upgradeUrl`; ends the process.
    [[noreturn]] void RunSelfUpdate(const std::string& upgradeUrl);
    // Saves a shell link on the desktop; true when the link file was saved.
    bool CreateDesktopShortcut(const std::wstring& targetPath, const std::wstring& workingFolder,
                               const std::wstring& arguments, const std::wstring& linkFileName,
                               const std::wstring& iconPath);

    // --- UI-thread hand-off ----------------------------------------------------------
    // Queues `task` on the UI loop (order kept). From the UI thread itself it
    // is queued too, never run inline. False when the UI loop is gone.
    bool PostToUi(std::function<void()> task);
    bool IsUiThread() const;

    // The box of card `index` (0..5), or null before OnSkinReady.
    ui::Box* CardBox(int index) const;

    // --- state read by the workflows and their tests ----------------------------------
    const std::array<GameCard, kCardCount>& Slots() const { return slots; }
    int SelectedCard() const { return selectedCard.load(); }
    int Busy() const { return busy.load(); }
    const std::wstring& BaseFolder() const { return baseFolder; }
    const std::wstring& GameFolder() const { return gameFolder; }
    const std::wstring& TmpFolder() const { return tmpFolder; }
    const std::wstring& SoftFolder() const { return softFolder; }
    const std::wstring& SettingsPath() const { return settingsPath; }

protected:
    // --- fields, in the order the launcher defines them -------------------------------
    bool dragging = false;
    POINT dragStart{0, 0};
    RECT dragRect{0, 0, 0, 0};
    ui::Control* logo = nullptr;
    ui::Control* btnEn = nullptr;
    ui::Control* btnCh = nullptr;
    ui::Control* loading = nullptr;
    ui::Control* gameCtrl = nullptr;
    std::array<ui::Box*, kCardCount> cardBoxes{};
    std::array<GameCard, kCardCount> slots;
    // Written by card clicks (UI thread), read by the workers.
    std::atomic<int> selectedCard{0};
    HttpDownloader downloader;
    LauncherConfig config;
    FileListPatcher patcher;
    std::wstring baseFolder;
    std::wstring gameFolder;
    std::wstring tmpFolder;
    std::wstring softFolder;
    std::wstring exeName;
    std::wstring settingsPath;
    Aria2Control aria2;
    SevenZipControl sevenZip;
    // Non-zero while an install or update-and-launch worker runs.
    std::atomic<int> busy{0};

    // Beyond the launcher's original fields: the language SetLanguage applied
    // last (0 or 1), for texts the workflows show; and, per card, how many
    // downloads in a row ended without completion.
    std::atomic<int> language{0};
    std::array<int, kCardCount> failedDownloads{};

private:
    std::shared_ptr<pillar::MessageLoopProxy> uiLoop_;
    DWORD uiThreadId_ = 0;
};
