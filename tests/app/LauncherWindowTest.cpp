// The launcher window with its real skin, made but never shown and without
// its configuration worker: language switching, and the reports of the
// workflows reaching its cards on the UI thread.
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "Launcher/app/LanguageTexts.h"
#include "Launcher/app/LauncherWindow.h"
#include "pillar/ShellLink.h"
#include "pillar/MessageLoop.h"
#include "pillar/WholeFile.h"
#include "support/TestHttpServer.h"
#include "support/TestPng.h"
#include "ui/control/ImageInfo.h"
#include "ui/control/ImageSlot.h"
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
    std::wstring WindowText(const wchar_t* name) const {
        auto* label = dynamic_cast<ui::LabelTemplate<ui::Control>*>(FindInWindow(name));
        return label ? label->DisplayText() : L"<missing>";
    }
    // A card job that does nothing, started as a click would start one.
    void RunJob(int card) { StartCardJob(card, CardState::Working, [] {}); }
    std::shared_ptr<StartupRetryGate> Gate() const { return startupGate_; }
    // One layout pass at the skin's size, as the first paint would do.
    void Lay() { RootBox()->Place(RECT{0, 0, 977, 641}); }
    // The cards in the layout without the fade that brings them on screen.
    void RevealCards() { FindInWindow(L"gamectrl")->SetShown(true); }

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
    // Runs the UI loop until the form's card job has ended (its worker's
    // end is a posted task).
    static void WaitUntilFree(pillar::UIMessageLoop& loop, TestForm& form) {
        const DWORD start = ::GetTickCount();
        while (form.Busy() && ::GetTickCount() - start < 10000) {
            loop.QueueDelayedTask([&loop] { loop.Quit(); }, 50 * 1000);
            loop.Run();
        }
        ASSERT_FALSE(form.Busy());
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

TEST_F(LauncherWindowTest, ACardNoticeStaysUntilTheNextJobAndFollowsTheLanguage) {
    pillar::UIMessageLoop loop;
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    std::shared_ptr<LauncherReport> report = form->Report();
    form->RunJob(1);
    report->Notice(1, NoticeInfo{NoticeKind::DownloadFailed});
    report->CardStateChanged(1, CardState::NotInstalled);
    RunQueuedTasks(loop);
    WaitUntilFree(loop, *form);

    // The card is usable again at once, and the notice outlives the old
    // three seconds on the card's own label; the percent label keeps its text.
    EXPECT_FALSE(form->CardPartVisible(1, L"progress_box"));
    loop.QueueDelayedTask([&loop] { loop.Quit(); }, 3500 * 1000);
    loop.Run();
    EXPECT_TRUE(form->CardPartVisible(1, L"noticetext"));
    EXPECT_EQ(L"Download failed", form->Text(1, L"noticetext"));
    EXPECT_EQ(L"0%", form->Text(1, L"progresstext"));
    EXPECT_FALSE(form->CardPartVisible(0, L"noticetext")) << "only its own card";

    // It lies inside its card, clear of the start button.
    form->Card(1).ShowState(CardState::Installed);
    form->ShowCards();
    form->Lay();
    const RECT card = form->Card(1).Box()->GetBounds(true);
    const RECT notice = form->Card(1).Box()->FindByName(L"noticetext")->GetBounds(true);
    const RECT start = form->Card(1).Box()->FindByName(L"start_box")->GetBounds(true);
    EXPECT_GT(notice.right - notice.left, 200);
    EXPECT_GT(start.right - start.left, 40);
    EXPECT_GE(notice.left, card.left);
    EXPECT_LE(notice.right, card.right);
    EXPECT_LE(notice.right, start.left);

    form->SetLanguage(kChinese);
    EXPECT_EQ(L"下载失败", form->Text(1, L"noticetext"));

    // A new job on the card clears it; the next notice shows in Chinese.
    form->RunJob(1);
    EXPECT_FALSE(form->CardPartVisible(1, L"noticetext"));
    report->Notice(1, NoticeInfo{NoticeKind::NotEnoughSpace, 3 * 1024 * 1024, L"C:\\"});
    RunQueuedTasks(loop);
    EXPECT_EQ(L"C:\\ 需要 3.0 MB 可用空间", form->Text(1, L"noticetext"));
    WaitUntilFree(loop, *form);
}

TEST_F(LauncherWindowTest, StartUpNoticeShowsOnTheLoadingScreenInTheCurrentLanguage) {
    pillar::UIMessageLoop loop;
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    EXPECT_FALSE(form->Visible(L"loading_notice"));
    form->Report()->Notice(kWholeWindow, NoticeKind::ConfigUnreachable);
    RunQueuedTasks(loop);
    EXPECT_TRUE(form->Visible(L"loading_notice"));
    EXPECT_EQ(NoticeText(NoticeKind::ConfigUnreachable, kEnglish), form->WindowText(L"loading_notice"));
    form->SetLanguage(kChinese);
    EXPECT_EQ(NoticeText(NoticeKind::ConfigUnreachable, kChinese), form->WindowText(L"loading_notice"));

    // A click on it ends the start-up's pause at once; the window's end
    // ends it for good.
    std::shared_ptr<StartupRetryGate> gate = form->Gate();
    form->RetryStartupNow();
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(gate->Wait(20000));
    EXPECT_LT(::GetTickCount() - start, 5000u);

    form->ShowCards();
    EXPECT_FALSE(form->Visible(L"loading_notice"));
    EXPECT_TRUE(form->Visible(L"gamectrl"));
    ::DestroyWindow(window_);  // the form deletes itself with its window
    const DWORD closed = ::GetTickCount();
    EXPECT_FALSE(gate->Wait(20000));
    EXPECT_LT(::GetTickCount() - closed, 5000u);
}

TEST_F(LauncherWindowTest, SpeedAndTimeLeftShowBesideThePercentInBothLanguages) {
    pillar::UIMessageLoop loop;
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    JobProgress progress;
    progress.percent = 37;
    progress.bytesPerSecond = 2621440;  // 2.5 MB/s
    progress.secondsLeft = 150;
    form->Report()->Progress(2, progress);
    RunQueuedTasks(loop);
    EXPECT_EQ(L"37%", form->Text(2, L"progresstext"));
    EXPECT_EQ(L"2.5 MB/s \u00B7 3 min left", form->Text(2, L"progressinfo"));
    form->SetLanguage(kChinese);
    EXPECT_EQ(L"2.5 MB/s \u00B7 剩余 3 分钟", form->Text(2, L"progressinfo"));

    // A repair knows its speed but not the time left.
    progress.secondsLeft = 0;
    progress.bytesPerSecond = 900;
    form->ShowProgress(2, progress);
    EXPECT_EQ(L"900 B/s", form->Text(2, L"progressinfo"));
    EXPECT_EQ(L"1 h 1 min left", TransferText(JobProgress{0, 0, 0, 1, 3601}, kEnglish).substr(8));
    EXPECT_EQ(L"", TransferText(JobProgress{50, 0, 0, 0, 30}, kEnglish));
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


// Start-up's pictures are decoded on the reporting worker: the UI thread
// only swaps them in (its layout finds them in the shared cache), an icon of
// any size stays inside the icon's place, and a file that is no picture
// leaves the skin's picture instead of an empty card.
TEST_F(LauncherWindowTest, PicturesDecodeOnTheWorkerStayInTheirPlaceAndABadFileLeavesTheSkinsPicture) {
    pillar::UIMessageLoop loop;
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    const std::wstring icon = folder_ + L"\\icon.png";
    const std::wstring back = folder_ + L"\\back.png";
    ASSERT_TRUE(pillar::WriteWholeFile(icon, testsupport::MakePng(200, 120, "a large icon")));
    ASSERT_TRUE(pillar::WriteWholeFile(back, std::string("<html>an error page, not a picture</html>")));
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<int> decodesOnUi{0}, decodesElsewhere{0};
    ui::RegisterImageDecoder();
    ui::UiGlobals::SetImageDecoder([&](const std::wstring& path, const void* bytes, size_t size) {
        if (path.find(folder_) == 0) ++(::GetCurrentThreadId() == uiThread ? decodesOnUi : decodesElsewhere);
        return ui::DecodeImageForCache(path, bytes, size);
    });

    std::shared_ptr<LauncherReport> report = form->Report();
    std::thread worker([report, icon, back] {
        report->Image(WindowImage::CardIcon, 0, icon);
        report->Image(WindowImage::CardBackground, 1, back);
    });
    worker.join();
    RunQueuedTasks(loop);
    form->RevealCards();
    form->Lay();
    ui::RegisterImageDecoder();

    ui::Control* shownIcon = form->Card(0).Box()->FindByName(L"Icon");
    ASSERT_NE(nullptr, shownIcon);
    EXPECT_EQ(icon, shownIcon->BackgroundImageString());
    ASSERT_NE(nullptr, shownIcon->Background().slot.image) << "the layout sized the icon by its picture";
    EXPECT_EQ(200, shownIcon->Background().slot.image->Width());
    EXPECT_EQ(0, decodesOnUi.load());
    EXPECT_EQ(2, decodesElsewhere.load());  // the icon, and the file that is no picture
    const RECT place = shownIcon->Position();
    EXPECT_LE(place.right - place.left, 36);
    EXPECT_LE(place.bottom - place.top, 40);
    EXPECT_EQ(L"card_bg.png", form->Card(1).Box()->FindByName(L"Backimg")->BackgroundImageString());
}
