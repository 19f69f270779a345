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

#include "Launcher/Aria2Control.h"
#include "Launcher/EnsureFolder.h"
#include "Launcher/FileListPatcher.h"
#include "Launcher/GameSlot.h"
#include "Launcher/HttpDownloader.h"
#include "Launcher/LauncherConfig.h"
#include "Launcher/_7zControl.h"
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

class BasicForm;
// The one form; the plain-function progress callbacks and the progress timer
// reach it through this. Set at the start of OnSkinReady.
extern BasicForm* g_launcherForm;

class BasicForm : public ui::WindowImplBase, public virtual pillar::SupportWeakCallback {
public:
    static constexpr int kSlotCount = 6;

    BasicForm();
    ~BasicForm() override;

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
    // Shows updateProgress on the selected card (UI thread, progress timer).
    void RefreshUpdateProgress();
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
    const std::array<GameSlot, kSlotCount>& Slots() const { return slots; }
    int SelectedSlot() const { return selectedSlot.load(); }
    int Busy() const { return busy.load(); }
    const std::wstring& BaseFolder() const { return baseFolder; }
    const std::wstring& GameFolder() const { return gameFolder; }
    const std::wstring& TmpFolder() const { return tmpFolder; }
    const std::wstring& SoftFolder() const { return softFolder; }
    const std::wstring& SettingsPath() const { return settingsPath; }

    // Plain-function progress callbacks of the pre-launch update.
    static void OnUpdateProgress(int percent);
    static void OnFileProgress(int percent);

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
    std::array<ui::Box*, kSlotCount> gameBoxes{};
    std::array<GameSlot, kSlotCount> slots;
    // Written by card clicks (UI thread), read by the workers.
    std::atomic<int> selectedSlot{0};
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
    _7zControl sevenZip;
    // Non-zero while an install or update-and-launch worker runs.
    std::atomic<int> busy{0};
    std::atomic<int> updateProgress{0};
    std::atomic<int> fileProgress{0};
    UINT_PTR timerId = 0;

    // Beyond the launcher's original fields: the language SetLanguage applied
    // last (0 or 1), for texts the workflows show; and, per card, how many
    // downloads in a row ended without completion.
    std::atomic<int> language{0};
    std::array<int, kSlotCount> failedDownloads{};

private:
    std::shared_ptr<pillar::MessageLoopProxy> uiLoop_;
    DWORD uiThreadId_ = 0;
};
