#pragma once
// The launcher's one window: the skin, the six cards, dragging, and the
// click routing that starts the workflows. It owns what the cards show and
// nothing the workflows compute: workflows run on workers and change the
// window only through their report (WindowReport), whose tasks call the
// typed setters below on the UI thread.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "Launcher/app/CardView.h"
#include "Launcher/config/GameCard.h"
#include "Launcher/flows/CardJobs.h"
#include "Launcher/flows/LauncherFolders.h"
#include "Launcher/flows/LauncherReport.h"
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
    void ShowNotice(int card, const NoticeInfo& notice);
    // The card's parts; after a notice, once the notice has been read.
    void ShowCardState(int card, CardState state);
    // A card job's worker has ended: the cards take clicks again, after the
    // job's notice once the notice has been read.
    void EndCardJob(int card);
    void FillCard(int card, const GameCard& values, const CardContent& content);
    void ShowImage(WindowImage which, int card, const std::wstring& path);
    // Button texts of every card, the flag that offers the other language,
    // and the stored choice.
    void SetLanguage(LauncherLanguage language);
    // The cards replace the loading picture.
    void ShowCards();

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

    // How long a notice stays before its card is usable again.
    static constexpr int64_t kNoticeMs = 3000;

private:
    void FindControls();
    void StartCardJob(int card, CardState state, std::function<void()> job);
    void OpenMenuUntilPointerLeaves(int card);

    // Window drag.
    bool dragging_ = false;
    POINT dragStart_{0, 0};
    RECT dragRect_{0, 0, 0, 0};

    ui::Control* logo_ = nullptr;
    ui::Control* btnEn_ = nullptr;
    ui::Control* btnCh_ = nullptr;
    ui::Control* loading_ = nullptr;
    ui::Control* gameCtrl_ = nullptr;
    std::array<CardView, kCardCount> cardViews_{};
    std::array<GameCard, kCardCount> cards_{};
    // When each card's last notice may give way to its next state.
    std::array<DWORD, kCardCount> noticeUntil_{};
    // A card whose next state waits for its notice to be read; the end of
    // its job waits with it.
    std::array<bool, kCardCount> stateHeld_{};
    std::array<bool, kCardCount> endHeld_{};

    int selectedCard_ = 0;
    // A card job runs: every card button waits.
    bool busy_ = false;
    LauncherLanguage language_ = kEnglish;
    LauncherFolders folders_;
    std::shared_ptr<CardJobTools> tools_;
    std::shared_ptr<WindowReport> report_;
    pillar::WeakCallbackFlag menuWatch_;
};
