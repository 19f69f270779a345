#include "Launcher/app/LauncherWindow.h"

#include <windowsx.h>

#include "Launcher/app/LanguageTexts.h"
#include "Launcher/app/WindowReport.h"
#include "Launcher/config/LauncherUrls.h"
#include "Launcher/flows/StartupFlow.h"
#include "pillar/WorkerThread.h"
#include "pillar/MessageLoop.h"
#include "pillar/MessageLoopProxy.h"
#include "ui/control/Box.h"
#include "ui/control/Control.h"

const wchar_t LauncherClassName[] = L"Basic";

namespace {

constexpr const wchar_t* kCardBoxNames[kCardCount] = {L"game1_box", L"game2_box", L"game3_box",
                                                      L"game4_box", L"game5_box", L"game6_box"};

std::wstring CurrentFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

// The running program's file name: its module path after the last "\".
std::wstring ModuleFileName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full = path;
    const size_t slash = full.rfind(L'\\');
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

void ShowControl(ui::Control* control, bool show) {
    if (control) control->ShowAnimated(show);
}

bool IsCard(int card) { return card >= 0 && card < kCardCount; }

} // namespace

// Made on the UI thread (UiThread::Init), so that thread's loop is the one
// the reports post to.
LauncherWindow::LauncherWindow() : tools_(std::make_shared<CardJobTools>()) {
    std::shared_ptr<pillar::MessageLoopProxy> loop;
    if (pillar::MessageLoop* current = pillar::MessageLoop::Current()) loop = current->Proxy();
    report_ = std::make_shared<WindowReport>(*this, std::move(loop), WeakFlagOf());
}

LauncherWindow::~LauncherWindow() { startupGate_->Cancel(); }

std::wstring LauncherWindow::WindowClassName() const { return LauncherClassName; }
std::wstring LauncherWindow::SkinFolder() const { return L"basic"; }
std::wstring LauncherWindow::SkinFile() const { return L"basic.xml"; }

std::shared_ptr<LauncherReport> LauncherWindow::Report() const { return report_; }

CardView& LauncherWindow::Card(int index) { return cardViews_[IsCard(index) ? index : 0]; }

LauncherFolders LauncherWindow::MakeFolders() const {
    return LauncherFolders::Below(CurrentFolder() + L"\\", ModuleFileName());
}

void LauncherWindow::StartStartup() {
    auto flow = std::make_shared<StartupFlow>(Report(), folders_, kConfigUrl, startupGate_);
    pillar::StartDetachedThread([flow] { flow->Run(); });
}

void LauncherWindow::OnSkinReady() {
    folders_ = MakeFolders();
    folders_.Make();
    tools_->aria2.SetToolPath(folders_.soft + L"aria2c.exe");
    tools_->sevenZip.SetToolPath(folders_.soft + L"7z.exe");
    FindControls();

    // The English look until the stored language is applied.
    ShowControl(btnEn_, false);
    ShowControl(btnCh_, true);

    if (ui::Box* root = RootBox())
        root->AddBubbledHandler(ui::EventKind::Click, MakeWeakCallback(&LauncherWindow::OnClicked, this));
    StartStartup();
}

void LauncherWindow::FindControls() {
    logo_ = FindInWindow(L"Logo");
    btnEn_ = FindInWindow(L"btn_en");
    btnCh_ = FindInWindow(L"btn_ch");
    loading_ = FindInWindow(L"loading");
    gameCtrl_ = FindInWindow(L"gamectrl");
    loadingNotice_ = FindInWindow(L"loading_notice");
    for (int i = 0; i < kCardCount; ++i) cardViews_[i] = CardView(dynamic_cast<ui::Box*>(FindInWindow(kCardBoxNames[i])));
}

// --- typed setters ------------------------------------------------------------------

void LauncherWindow::ShowProgress(int card, const JobProgress& progress) {
    if (!IsCard(card)) return;
    progress_[card] = progress;
    cardViews_[card].ShowProgress(progress, language_);
}

void LauncherWindow::ShowNotice(int card, const NoticeInfo& notice) {
    if (card == kWholeWindow) {
        startupNotice_ = notice;
        startupNoticeShown_ = true;
        if (loadingNotice_) loadingNotice_->SetAttributeValue(L"text", NoticeText(notice, language_));
        ShowControl(loadingNotice_, true);
        return;
    }
    if (!IsCard(card)) return;
    notices_[card] = notice;
    noticeShown_[card] = true;
    cardViews_[card].ShowNotice(NoticeText(notice, language_));
}

void LauncherWindow::RenderNotices() {
    if (startupNoticeShown_ && loadingNotice_)
        loadingNotice_->SetAttributeValue(L"text", NoticeText(startupNotice_, language_));
    for (int card = 0; card < kCardCount; ++card) {
        if (noticeShown_[card]) cardViews_[card].ShowNotice(NoticeText(notices_[card], language_));
        cardViews_[card].ShowProgress(progress_[card], language_);
    }
}

void LauncherWindow::ShowCardState(int card, CardState state) {
    if (IsCard(card)) cardViews_[card].ShowState(state);
}

void LauncherWindow::EndCardJob(int card) {
    if (IsCard(card)) busy_ = false;
}

void LauncherWindow::FillCard(int card, const GameCard& values, const CardContent& content) {
    if (!IsCard(card)) return;
    cards_[card] = values;
    cardViews_[card].ShowContent(content);
    if (content.shown && content.pathsRefused) ShowNotice(card, NoticeKind::GameSettingsRefused);
}

void LauncherWindow::ShowImage(WindowImage which, int card, const std::wstring& path,
                               std::shared_ptr<ui::ImageInfo> decoded) {
    if (decoded) decodedImages_[{which, card}] = std::move(decoded);
    if (which == WindowImage::Logo) {
        if (logo_) logo_->SetBackgroundImage(path);
    } else if (IsCard(card)) {
        cardViews_[card].ShowImage(which, path);
    }
}

void LauncherWindow::SetLanguage(LauncherLanguage language) {
    // Hidden cards too: one may be shown later with the right texts.
    for (CardView& card : cardViews_) card.ShowButtonTexts(language);
    // The visible flag offers the other language.
    ShowControl(btnEn_, language == kChinese);
    ShowControl(btnCh_, language == kEnglish);
    language_ = language;
    StoreLanguage(folders_.settings, language);
    RenderNotices();
}

void LauncherWindow::ShowCards() {
    startupNoticeShown_ = false;
    ShowControl(loadingNotice_, false);
    ShowControl(loading_, false);
    ShowControl(gameCtrl_, true);
}

void LauncherWindow::RetryStartupNow() { startupGate_->RetryNow(); }

// --- closing and dragging -------------------------------------------------------------

LRESULT LauncherWindow::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    startupGate_->Cancel();
    ::PostQuitMessage(0);
    handled = false;
    return 0;
}

// The whole window moves with the pointer while the left button is down,
// wherever it was pressed.
LRESULT LauncherWindow::OnLButtonDown(UINT, WPARAM, LPARAM lParam, bool& handled) {
    dragStart_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    dragging_ = true;
    ::GetWindowRect(NativeHandle(), &dragRect_);
    handled = false;
    return 0;
}

LRESULT LauncherWindow::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
    dragging_ = false;
    handled = false;
    return 0;
}

LRESULT LauncherWindow::OnMouseMove(UINT, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    // A release outside the window never arrives here; a move without the
    // button ends the drag instead of letting the window follow the pointer.
    if (dragging_ && (wParam & MK_LBUTTON) == 0) dragging_ = false;
    if (!dragging_) return 0;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(NativeHandle(), &cursor);
    ::OffsetRect(&dragRect_, cursor.x - dragStart_.x, cursor.y - dragStart_.y);
    ::SetWindowPos(NativeHandle(), nullptr, dragRect_.left, dragRect_.top, 0, 0, SWP_NOSIZE);
    return 0;
}
