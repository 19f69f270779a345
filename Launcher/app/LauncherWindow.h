#pragma once
// The launcher's one window: the skin, the six cards, dragging, and the
// click routing that starts the workflows. It owns what the cards show and
// nothing the workflows compute: workflows run on workers and change the
// window only through their report (WindowReport), whose tasks call the
// typed setters below on the UI thread.
#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "Launcher/app/CardView.h"
#include "Launcher/config/GameCard.h"
#include "Launcher/flows/CardJobs.h"
#include "Launcher/flows/LauncherFolders.h"
#include "Launcher/flows/LauncherReport.h"
#include "Launcher/flows/StartupFlow.h"
#include "ui/control/ImageInfo.h"
#include "ui/core/WindowImplBase.h"

namespace ui {
class Box;
class Control;
struct EventArgs;
}  // namespace ui
class WindowReport;

// Class name of the launcher window.
extern const wchar_t LauncherClassName[];

class LauncherWindow : public ui::WindowImplBase, public virtual pillar::SupportWeakCallback {
public:
    LauncherWindow();
    ~LauncherWindow() override;

    // --- the window base ------------------------------------------------------------
    std::wstring WindowClassName() const override;
    void OnSkinReady() override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    std::wstring SkinFolder() const override;
    std::wstring SkinFile() const override;

    // --- typed setters, UI thread (the workflows' reports end here) ----------------
    void ShowProgress(int card, const JobProgress& progress);
    // A card's notice stays on the card until a job starts there again; the
    // whole window's (kWholeWindow, start-up) stays until the cards show.
    // Both follow the language.
    void ShowNotice(int card, const NoticeInfo& notice);
    void ShowCardState(int card, CardState state);
    // A card job's worker has ended: the cards take clicks again.
    void EndCardJob(int card);
    void FillCard(int card, const GameCard& values, const CardContent& content);
    // `decoded`, when given, is the picture already decoded on a worker: the
    // window holds it for as long as it shows it, so the control's lookup at
    // its next paint finds it in the shared cache instead of decoding here.
    void ShowImage(WindowImage which, int card, const std::wstring& path,
                   std::shared_ptr<ui::ImageInfo> decoded = nullptr);
    // Button texts of every card, the flag that offers the other language,
    // and the stored choice.
    void SetLanguage(LauncherLanguage language);
    // The cards replace the loading picture and its notice.
    void ShowCards();
    // Ends the start-up's wait between configuration fetches: the next
    // fetch starts at once.
    void RetryStartupNow();

    // Every button click of the window bubbles up to this.
    bool OnClicked(ui::EventArgs* event);

    // The report workflows get; posts to this window's UI loop.
    std::shared_ptr<LauncherReport> Report() const;
    bool Busy() const { return busy_; }
    int SelectedCard() const { return selectedCard_; }
    CardView& Card(int index);

protected:
    // The folders and the configuration worker; tests replace them.
    virtual LauncherFolders MakeFolders() const;
    virtual void StartStartup();

    // Where the start-up worker waits between fetches; cancelled when the
    // window goes, so no worker waits on for a window that is gone.
    std::shared_ptr<StartupRetryGate> startupGate_ = std::make_shared<StartupRetryGate>();

    // Shows `state` on the card and runs `job` on a worker; tests start
    // jobs of their own.
    void StartCardJob(int card, CardState state, std::function<void()> job);

private:
    void FindControls();
    void OpenMenuUntilPointerLeaves(int card);
    // The texts of shown notices and transfer speeds in `language_`.
    void RenderNotices();

    // Window drag.
    bool dragging_ = false;
    POINT dragStart_{0, 0};
    RECT dragRect_{0, 0, 0, 0};

    ui::Control* logo_ = nullptr;
    ui::Control* btnEn_ = nullptr;
    ui::Control* btnCh_ = nullptr;
    ui::Control* loading_ = nullptr;
    ui::Control* gameCtrl_ = nullptr;
    ui::Control* loadingNotice_ = nullptr;
    std::array<CardView, kCardCount> cardViews_{};
    // The pictures start-up decoded for the logo and the cards, by picture and card.
    std::map<std::pair<WindowImage, int>, std::shared_ptr<ui::ImageInfo>> decodedImages_;
    std::array<GameCard, kCardCount> cards_{};
    // The notices shown, kept to be written again in another language.
    std::array<bool, kCardCount> noticeShown_{};
    std::array<NoticeInfo, kCardCount> notices_{};
    bool startupNoticeShown_ = false;
    NoticeInfo startupNotice_;
    std::array<JobProgress, kCardCount> progress_{};

    int selectedCard_ = 0;
    // A card job runs: every card button waits.
    bool busy_ = false;
    LauncherLanguage language_ = kEnglish;
    LauncherFolders folders_;
    std::shared_ptr<CardJobTools> tools_;
    std::shared_ptr<WindowReport> report_;
    pillar::WeakCallbackFlag menuWatch_;
};
