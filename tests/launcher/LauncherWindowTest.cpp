// The launcher window with its real skin, made but never shown and without
// its configuration worker: language switching and the hand-off of worker
// changes to the UI thread; and the shell links the first start saves.
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

// The lookups of the real OnSkinReady; no configuration worker, and the
// settings file in a scratch folder.
class TestForm : public LauncherWindow {
public:
    explicit TestForm(std::wstring settings) : settings_(std::move(settings)) {}
    void OnSkinReady() override {
        settingsPath = settings_;
        btnEn = FindInWindow(L"btn_en");
        btnCh = FindInWindow(L"btn_ch");
        const wchar_t* boxes[] = {L"game1_box", L"game2_box", L"game3_box", L"game4_box", L"game5_box", L"game6_box"};
        for (int i = 0; i < kCardCount; ++i) cardBoxes[i] = dynamic_cast<ui::Box*>(FindInWindow(boxes[i]));
    }
    std::wstring Text(int card, const wchar_t* name) const {
        auto* label = dynamic_cast<ui::LabelTemplate<ui::Control>*>(CardBox(card)->FindByName(name));
        return label ? label->DisplayText() : L"<missing>";
    }
    bool Visible(const wchar_t* name) const { return FindInWindow(name)->IsVisibleFlag(); }

private:
    std::wstring settings_;
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
        auto* form = new TestForm(SettingsPath());
        window_ = form->Create(nullptr, LauncherClassName, 0x00CE0000, 0);
        return window_ ? form : nullptr;
    }
    std::wstring SettingsPath() const { return folder_ + L"\\GameSetting.INI"; }
    std::wstring StoredLanguage() const {
        wchar_t stored[16] = {};
        ::GetPrivateProfileStringW(L"LAUNCHER", L"Language", nullptr, stored, 16, SettingsPath().c_str());
        return stored;
    }
    void ExpectCardTexts(TestForm& form, const wchar_t* const (&texts)[4]) {
        for (int card = 0; card < LauncherWindow::kCardCount; ++card) {
            for (int i = 0; i < 4; ++i) EXPECT_EQ(texts[i], form.Text(card, kCardButtons[i])) << card << " " << i;
        }
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
    form->CardBox(3)->ShowAnimated(false);  // an unavailable card gets the texts too

    form->SetLanguage(5);
    ExpectCardTexts(*form, kChineseTexts);
    EXPECT_TRUE(form->Visible(L"btn_en"));
    EXPECT_FALSE(form->Visible(L"btn_ch"));
    EXPECT_EQ(L"1", StoredLanguage());

    form->SetLanguage(0);
    ExpectCardTexts(*form, kEnglishTexts);
    EXPECT_FALSE(form->Visible(L"btn_en"));
    EXPECT_TRUE(form->Visible(L"btn_ch"));
    EXPECT_EQ(L"0", StoredLanguage());
}

TEST_F(LauncherWindowTest, WorkerChangesWaitForTheUiLoopAndKeepTheirOrder) {
    pillar::UIMessageLoop loop;  // the form hands worker changes to this thread's loop
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    std::thread worker([form] {
        EXPECT_FALSE(form->IsUiThread());
        form->SetLanguage(1);
        form->SetLanguage(0);
        form->SetLanguage(1);
    });
    worker.join();
    ExpectCardTexts(*form, kSkinTexts);  // nothing touched from the worker
    EXPECT_EQ(L"", StoredLanguage());

    loop.QueueTask([&loop] { loop.Quit(); });
    loop.Run();
    ExpectCardTexts(*form, kChineseTexts);  // the last call decides
    EXPECT_EQ(L"1", StoredLanguage());
}

TEST_F(LauncherWindowTest, TasksQueuedForAClosedWindowDoNothing) {
    pillar::UIMessageLoop loop;
    TestForm* form = MakeForm();
    ASSERT_NE(nullptr, form);
    auto ran = std::make_shared<int>(0);
    EXPECT_TRUE(form->PostToUi([ran] { ++*ran; }));
    EXPECT_EQ(0, *ran);  // queued, not run inline, even on the UI thread
    ASSERT_TRUE(form->PostToUi([ran] { ++*ran; }));
    ::DestroyWindow(window_);  // the form deletes itself with its window
    loop.QueueTask([&loop] { loop.Quit(); });
    loop.Run();
    EXPECT_EQ(0, *ran);
}

TEST(ShellLinkFile, SavedLinkPointsAtTheProgramAndStartsInItsFolder) {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    const std::wstring folder = testsupport::MakeScratchFolder(L"launcher-link");
    const std::wstring link = pillar::LinkPathIn(folder, L"Nova Games.lnk");
    ASSERT_EQ(folder + L"\\Nova Games.lnk", link);
    const pillar::ShellLinkProperties saved{L"C:\\Games\\Launcher.exe", L"C:\\Games\\", L"", L"C:\\Games\\Launcher.exe"};
    EXPECT_TRUE(pillar::SaveShellLink(link, saved));
    pillar::ShellLinkProperties loaded;
    ASSERT_TRUE(pillar::LoadShellLink(link, loaded));
    EXPECT_EQ(saved.targetPath, loaded.targetPath);
    EXPECT_EQ(saved.workingFolder, loaded.workingFolder);
    EXPECT_EQ(saved.iconPath, loaded.iconPath);
    EXPECT_FALSE(pillar::SaveShellLink(folder + L"\\missing\\x.lnk", saved));
    testsupport::RemoveTree(folder);
    ::CoUninitialize();
}

TEST(ShellLinkFile, LinkNamesFromTheConfigurationStayInTheFolder) {
    EXPECT_EQ(L"D:\\Desk\\.lnk", pillar::LinkPathIn(L"D:\\Desk", L".lnk"));  // an empty LinkName
    for (const wchar_t* unsafe : {L"..\\..\\Windows\\x.lnk", L"a/b.lnk", L"C:x.lnk", L"..", L""}) {
        EXPECT_TRUE(pillar::LinkPathIn(L"D:\\Desk", unsafe).empty()) << unsafe;
    }
    EXPECT_TRUE(pillar::LinkPathIn(L"D:\\Desk", std::wstring(MAX_PATH, L'a') + L".lnk").empty());
}
