#include "Launcher/app/LauncherWindow.h"

#include <windowsx.h>

#include "pillar/DetachedThread.h"
#include "pillar/FileSystem.h"
#include "pillar/MessageLoop.h"
#include "pillar/MessageLoopProxy.h"
#include "pillar/TextConversion.h"
#include "ui/control/Box.h"
#include "ui/control/Control.h"

const wchar_t LauncherClassName[] = L"Basic";

namespace {

constexpr const wchar_t* kCardBoxNames[LauncherWindow::kCardCount] = {L"game1_box", L"game2_box", L"game3_box",
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

} // namespace

// The form is made on the UI thread (UiThread::Init), so that thread's loop
// is the one workers post to.
LauncherWindow::LauncherWindow() : uiThreadId_(::GetCurrentThreadId()) {
    if (pillar::MessageLoop* loop = pillar::MessageLoop::Current()) uiLoop_ = loop->Proxy();
}

LauncherWindow::~LauncherWindow() = default;

std::wstring LauncherWindow::WindowClassName() const { return LauncherClassName; }
std::wstring LauncherWindow::SkinFolder() const { return L"basic"; }
std::wstring LauncherWindow::SkinFile() const { return L"basic.xml"; }

void LauncherWindow::OnSkinReady() {
    baseFolder = CurrentFolder() + L"\\";
    exeName = ModuleFileName();
    settingsPath = baseFolder + L"GameSetting.INI";
    gameFolder = baseFolder + L"Game\\";
    tmpFolder = baseFolder + L"tmp\\";
    softFolder = baseFolder + L"soft\\";
    for (const std::wstring* folder : {&gameFolder, &tmpFolder, &softFolder}) pillar::MakeParentFolders(*folder);
    const std::string tools = pillar::WideToUtf8(softFolder);
    aria2.SetToolPath(tools + "aria2c.exe");
    sevenZip.SetToolPath(tools + "7z.exe");

    logo = FindInWindow(L"Logo");
    btnEn = FindInWindow(L"btn_en");
    btnCh = FindInWindow(L"btn_ch");
    loading = FindInWindow(L"loading");
    gameCtrl = FindInWindow(L"gamectrl");
    for (int i = 0; i < kCardCount; ++i) cardBoxes[i] = dynamic_cast<ui::Box*>(FindInWindow(kCardBoxNames[i]));

    // The English look until the stored language is applied.
    ShowControl(btnEn, false);
    ShowControl(btnCh, true);

    if (ui::Box* root = RootBox()) root->AddBubbledHandler(ui::EventKind::Click, MakeWeakCallback(&LauncherWindow::OnClicked, this));

    pillar::StartDetachedThread([this] { FetchConfig(); });
}

LRESULT LauncherWindow::OnClose(UINT, WPARAM, LPARAM, bool& handled) {
    ::PostQuitMessage(0);
    handled = false;
    return 0;
}

// --- window drag: the whole window moves with the pointer while the left
// button is down, wherever it was pressed ------------------------------------------

LRESULT LauncherWindow::OnLButtonDown(UINT, WPARAM, LPARAM lParam, bool& handled) {
    dragStart = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    dragging = true;
    ::GetWindowRect(NativeHandle(), &dragRect);
    handled = false;
    return 0;
}

LRESULT LauncherWindow::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
    dragging = false;
    handled = false;
    return 0;
}

LRESULT LauncherWindow::OnMouseMove(UINT, WPARAM wParam, LPARAM, bool& handled) {
    handled = false;
    // A release outside the window never arrives here; a move without the
    // button ends the drag instead of letting the window follow the pointer.
    if (dragging && (wParam & MK_LBUTTON) == 0) dragging = false;
    if (!dragging) return 0;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(NativeHandle(), &cursor);
    ::OffsetRect(&dragRect, cursor.x - dragStart.x, cursor.y - dragStart.y);
    ::SetWindowPos(NativeHandle(), nullptr, dragRect.left, dragRect.top, 0, 0, SWP_NOSIZE);
    return 0;
}

// --- UI-thread hand-off --------------------------------------------------------------

bool LauncherWindow::PostToUi(std::function<void()> task) {
    if (!uiLoop_) return false;
    // Weak, so a task still queued when the window has gone does nothing.
    return uiLoop_->QueueTask(MakeWeakCallback(std::move(task)));
}

bool LauncherWindow::IsUiThread() const { return ::GetCurrentThreadId() == uiThreadId_; }

ui::Box* LauncherWindow::CardBox(int index) const {
    return index >= 0 && index < kCardCount ? cardBoxes[index] : nullptr;
}
