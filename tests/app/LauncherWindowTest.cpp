// The launcher window with its real skin, made but never shown and without
// its configuration worker: language switching, and the reports of the
// workflows reaching its cards on the UI thread.
#include <gtest/gtest.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <thread>

#include "Launcher/app/LauncherWindow.h"
#include "pillar/ShellLink.h"
#include "pillar/MessageLoop.h"
#include "support/TestHttpServer.h"
#include "ui/control/Box.h"
#include "ui/control/Label.h"
#include "ui/core/UiGlobals.h"

namespace {

constexpr const wchar_t* kCardButtons[] = {L"btn_download", L"btn_link1", L"btn_link2", L"btn_start"};

// The real window, its settings file in a scratch folder and no
// configuration worker.
class TestForm : public LauncherWindow {
public:
    explicit TestForm(std::wstring folder) : folder_(std::move(folder)) {}
    std::wstring Text(int card, const wchar_t* name) {
        auto* label = dynamic_cast<ui::LabelTemplate<ui::Control>*>(Card(card).Box()->FindByName(name));
        return label ? label->DisplayText() : L"<missing>";
    }
    bool Visible(const wchar_t* name) const { return FindInWindow(name)->IsVisibleFlag(); }
    bool CardPartVisible(int card, const wchar_t* name) {
        ui::Control* part = Card(card).Box()->FindByName(name);
        return part && part->IsVisibleFlag();
    }

protected:
    LauncherFolders MakeFolders() const override { return LauncherFolders::Below(folder_ + L"\\", L"Launcher.exe"); }
    void StartStartup() override {}

private:
    std::wstring folder_;
};

class LauncherWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ui::UiGlobals::OpenSkinArchive(""));
        ui::UiGlobals::Startup(L"resources\\", nullptr, false, L"themes\\default", L"lang\\zh_CN");
        folder_ = testsupport::MakeScratchFolder(L"launcher-window");
    }
    void TearDown() override {
        if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);  // the form deletes itself
        ui::UiGlobals::CloseSkinArchive();
        ui::UiGlobals::Shutdown();
        testsupport::RemoveTree(folder_);
    }
    TestForm* MakeForm() {
        auto* form = new TestForm(folder_);
        window_ = form->Create(nullptr, LauncherClassName, 0x00CE0000, 0);
        return window_ ? form : nullptr;
    }
    std::wstring StoredLanguage() const {
        wchar_t stored[16] = {};
        ::GetPrivateProfileStringW(L"LAUNCHER", L"Language", nullptr, stored, 16,
                                   (folder_ + L"\\GameSetting.INI").c_str());
        return stored;
    }
    void ExpectCardTexts(TestForm& form, const wchar_t* const (&texts)[4]) {
        for (int card = 0; card < kCardCount; ++card) {
            for (int i = 0; i < 4; ++i) EXPECT_EQ(texts[i], form.Text(card, kCardButtons[i])) << card << " " << i;
        }
    }
    // Runs the UI loop until the tasks queued so far (and those they queue
    // at once) have run.
    static void RunQueuedTasks(pillar::UIMessageLoop& loop) {
        loop.QueueTask([&loop] { loop.Quit(); });
        loop.Run();
    }

    std::wstring folder_;
    HWND window_ = nullptr;
};

const wchar_t* const kSkinTexts[4] = {L"Download", L"Link", L"Link", L"Start"};
const wchar_t* const kEnglishTexts[4] = {L"Download", L"Website", L"Register", L"Start"};
const wchar_t* const kChineseTexts[4] = {L"下载游戏", L"官方网站", L"注册", L"启动"};

} // namespace

TEST_F(LauncherWindowTest, LanguageSetsEveryCardTheFlagsAndTheStoredValue) {
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    form->Card(3).Box()->ShowAnimated(false);  // an unavailable card gets the texts too

    form->SetLanguage(kChinese);
    ExpectCardTexts(*form, kChineseTexts);
    EXPECT_TRUE(form->Visible(L"btn_en"));
    EXPECT_FALSE(form->Visible(L"btn_ch"));
    EXPECT_EQ(L"1", StoredLanguage());

    form->SetLanguage(kEnglish);
    ExpectCardTexts(*form, kEnglishTexts);
    EXPECT_FALSE(form->Visible(L"btn_en"));
    EXPECT_TRUE(form->Visible(L"btn_ch"));
    EXPECT_EQ(L"0", StoredLanguage());
}

TEST_F(LauncherWindowTest, ReportsFromAWorkerWaitForTheUiLoopAndKeepTheirOrder) {
    pillar::UIMessageLoop loop;  // the form's reports post to this thread's loop
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    std::shared_ptr<LauncherReport> report = form->Report();
    std::thread worker([report] {
        report->LanguageChosen(kChinese);
        report->LanguageChosen(kEnglish);
        report->LanguageChosen(kChinese);
        JobProgress progress;
        for (progress.percent = 0; progress.percent <= 40; ++progress.percent) report->Progress(2, progress);
        report->CardStateChanged(2, CardState::Working);
    });
    worker.join();
    ExpectCardTexts(*form, kSkinTexts);  // nothing touched from the worker
    EXPECT_EQ(L"", StoredLanguage());
    EXPECT_FALSE(form->CardPartVisible(2, L"progress_box"));

    RunQueuedTasks(loop);
    ExpectCardTexts(*form, kChineseTexts);  // the last call decides
    EXPECT_EQ(L"1", StoredLanguage());
    EXPECT_EQ(L"40%", form->Text(2, L"progresstext"));  // the newest of the coalesced values
    EXPECT_TRUE(form->CardPartVisible(2, L"progress_box"));
    EXPECT_FALSE(form->CardPartVisible(2, L"start_box"));
}

TEST_F(LauncherWindowTest, ANoticeStaysReadableBeforeTheCardIsGivenBack) {
    pillar::UIMessageLoop loop;
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    std::shared_ptr<LauncherReport> report = form->Report();
    report->CardStateChanged(1, CardState::Working);
    report->Notice(1, NoticeInfo{NoticeKind::DownloadFailed});
    report->CardStateChanged(1, CardState::NotInstalled);
    RunQueuedTasks(loop);
    EXPECT_EQ(L"Download failed", form->Text(1, L"progresstext"));
    EXPECT_TRUE(form->CardPartVisible(1, L"progress_box")) << "the notice went at once";

    // The card comes back once the notice has been shown long enough.
    const DWORD start = ::GetTickCount();
    while (form->CardPartVisible(1, L"progress_box") && ::GetTickCount() - start < 10000) {
        loop.QueueDelayedTask([&loop] { loop.Quit(); }, 100000);
        loop.Run();
    }
    EXPECT_FALSE(form->CardPartVisible(1, L"progress_box"));
    EXPECT_FALSE(form->CardPartVisible(1, L"start_box"));
    EXPECT_GE(::GetTickCount() - start, 2500u);
}

TEST_F(LauncherWindowTest, ReportsForAClosedWindowDoNothing) {
    pillar::UIMessageLoop loop;
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    std::shared_ptr<LauncherReport> report = form->Report();  // a worker still holds it
    report->Title(L"queued before the close");
    ::DestroyWindow(window_);  // the form deletes itself with its window
    report->LanguageChosen(kChinese);
    report->Progress(0, JobProgress{});
    RunQueuedTasks(loop);
    EXPECT_EQ(L"", StoredLanguage());
}

