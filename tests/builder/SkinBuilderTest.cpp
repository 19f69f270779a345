#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BuilderTestSupport.h"
#include "ui/control/Box.h"
#include "ui/control/Button.h"
#include "ui/control/Progress.h"
#include "ui/core/SkinBuilder.h"
#include "ui/core/UiGlobals.h"
#include "ui/core/Window.h"

using ui::UiGlobals;

namespace {

std::unique_ptr<ui::Control> Build(const std::wstring& markup, ui::Window* window = nullptr,
                                   const ui::CreateControlCallback& callback = {}) {
    ui::SkinBuilder builder;
    return std::unique_ptr<ui::Control>(builder.Create(markup, callback, window));
}

ui::Box* AsBox(const std::unique_ptr<ui::Control>& control) { return dynamic_cast<ui::Box*>(control.get()); }

} // namespace

TEST(SkinBuilderTree, FirstOfSeveralRootControlsIsTheResult) {
    auto made = Build(L"<Window><Class name=\"unused\"/><Control name=\"first\"/><Label name=\"second\"/></Window>");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetControlName(), L"first");

    EXPECT_EQ(Build(L"<Window><Class name=\"only\"/><Font/></Window>"), nullptr) << "no control element";
    EXPECT_EQ(Build(L"<Window><Control name='single'/></Window>"), nullptr) << "a document that does not parse";
    EXPECT_EQ(Build(L"no_such_skin_file.xml"), nullptr);
}

TEST(SkinBuilderTree, UnknownElementsAndChildrenOfNonContainersAreDropped) {
    auto made = Build(
        L"<Window><Box>"
        L"<Mystery><Control name=\"lost\"/></Mystery>"
        L"<Button name=\"button\"><Control name=\"inside_button\"/><Control name=\"also_lost\"/></Button>"
        L"<Control name=\"kept\"/>"
        L"</Box></Window>");
    ui::Box* box = AsBox(made);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->ChildCount(), 2);
    EXPECT_EQ(box->ChildAt(0)->GetControlName(), L"button");
    EXPECT_EQ(box->ChildAt(1)->GetControlName(), L"kept");
    EXPECT_EQ(box->FindByName(L"lost"), nullptr);
    EXPECT_EQ(box->FindByName(L"inside_button"), nullptr);

    // A callback makes what the table does not know, children included.
    auto called = Build(L"<Window><Box><Mystery name=\"made\"><Control name=\"child\"/></Mystery></Box></Window>",
                        nullptr, [](const std::wstring& name) -> ui::Control* {
                            return name == L"Mystery" ? new ui::Box : nullptr;
                        });
    ASSERT_NE(AsBox(called), nullptr);
    ui::Control* mystery = AsBox(called)->FindByName(L"made");
    ASSERT_NE(mystery, nullptr);
    EXPECT_NE(static_cast<ui::Box*>(mystery)->FindByName(L"child"), nullptr);
}

TEST(SkinBuilderTree, ElementsOfUnbuiltControlsStillLoad) {
    auto made = Build(
        L"<Window><Box><TabBox/><TileBox/><ChildBox/><Option/><CheckBox/><OptionBox/><CheckBoxBox/><Slider/>"
        L"<ScrollBar/><Combo/><RichEdit/><ListBox/><HListBox/><VListBox/><TileListBox/><VirtualListBox/>"
        L"<ListContainerElement><Control/></ListContainerElement><TreeView/><TreeNode/><CircleProgress/>"
        L"<button/></Box></Window>");
    ASSERT_NE(AsBox(made), nullptr);
    EXPECT_EQ(AsBox(made)->ChildCount(), 20) << "all but the lower-case \"button\"";
    EXPECT_EQ(dynamic_cast<ui::Box*>(AsBox(made)->ChildAt(16))->ChildCount(), 1) << "list items hold controls";
}

TEST(SkinBuilderInclude, CountRepeatsTheSourceInPlace) {
    builder_test::ScratchSkinFolder folder;
    ASSERT_TRUE(folder.Write(L"item.xml", "<Window><Label name=\"item\" text=\"x\"/></Window>"));
    auto made = Build(
        L"<Window><Box>"
        L"<Control name=\"before\"/>"
        L"<Include source=\"item.xml\" count=\"3\"/>"
        L"<Include source=\"item.xml\" count=\"0\"/>"
        L"<Include count=\"2\"/>"
        L"<Control name=\"after\"/>"
        L"</Box></Window>");
    ui::Box* box = AsBox(made);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->ChildCount(), 5);
    EXPECT_EQ(box->ChildAt(0)->GetControlName(), L"before");
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(box->ChildAt(i)->GetControlName(), L"item");
    EXPECT_EQ(box->ChildAt(4)->GetControlName(), L"after");
}

TEST(SkinBuilderInclude, ASkinThatIncludesItselfStops) {
    builder_test::ScratchSkinFolder folder;
    ASSERT_TRUE(folder.Write(L"loop.xml", "<Window><Box name=\"level\"><Include source=\"loop.xml\"/></Box></Window>"));
    auto made = Build(L"loop.xml");
    ASSERT_NE(AsBox(made), nullptr);
    int depth = 0;
    for (ui::Control* level = made.get(); level; ++depth) {
        ui::Box* box = dynamic_cast<ui::Box*>(level);
        level = box && box->ChildCount() > 0 ? box->ChildAt(0) : nullptr;
    }
    EXPECT_GT(depth, 1);
    EXPECT_LT(depth, 100);
}

TEST(SkinBuilderClasses, ClassTextsAndTheValueForms) {
    ui::SkinBuilder builder;
    EXPECT_EQ(builder.Create(L"<Global>"
                             L"<Class name=\"t_ready\" value=\"  width=&quot;10&quot; height=&quot;20&quot;\"/>"
                             L"<Class name=\"t_value\" _value=\"7\"/>"
                             L"<Class name=\"t_mixed\" width=\"5\" _value=\"3\" bkcolor=\"t_red\"/>"
                             L"<Class name=\"t_mixed_later\" width=\"5\"/>"
                             L"<Class name=\"t_mixed_later\" width=\"6\"/>"
                             L"</Global>"),
              nullptr);
    EXPECT_EQ(UiGlobals::StyleClassAttributes(L"t_ready"), L"width=\"10\" height=\"20\"");
    EXPECT_EQ(UiGlobals::StyleClassAttributes(L"t_value"), L"value=\"7\"");
    EXPECT_EQ(UiGlobals::StyleClassAttributes(L"t_mixed"), L"width=\"5\" value=\"3\" bkcolor=\"t_red\"");
    EXPECT_EQ(UiGlobals::StyleClassAttributes(L"t_mixed_later"), L"width=\"6\"");

    auto bar = Build(L"<Window><Progress class=\"t_value\"/></Window>");
    ASSERT_NE(dynamic_cast<ui::Progress*>(bar.get()), nullptr);
    EXPECT_EQ(static_cast<ui::Progress*>(bar.get())->Value(), 7.0) << "\"_value\" reaches the control as \"value\"";
}

TEST(SkinBuilderClasses, GlobalClassWinsAndOwnAttributesComeLast) {
    ui::SkinBuilder global;
    global.Create(L"<Global><Class name=\"t_both\" width=\"11\" height=\"12\"/></Global>");
    ui::Window window;
    auto made = Build(L"<Window>"
                      L"<Class name=\"t_both\" width=\"22\"/>"
                      L"<Class name=\"t_window_only\" height=\"33\"/>"
                      L"<Box><Control name=\"a\" class=\"t_both\"/>"
                      L"<Control name=\"b\" class=\"t_both t_window_only\"/>"
                      L"<Control name=\"c\" class=\"t_both\" width=\"44\"/></Box>"
                      L"</Window>",
                      &window);
    ui::Box* box = AsBox(made);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(window.StyleClassAttributes(L"t_both"), L"width=\"22\"") << "the window keeps its own class";
    EXPECT_EQ(box->FindByName(L"a")->FixedWidth(), 11);
    EXPECT_EQ(box->FindByName(L"b")->FixedHeight(), 33);
    EXPECT_EQ(box->FindByName(L"c")->FixedWidth(), 44);
}

TEST(SkinBuilderEvents, ActionsRunForListedKindsOnly) {
    auto made = Build(
        L"<Window><Box name=\"host\">"
        L"<Event type=\"click\" receiver=\"./target\" applyattribute=\"width=&quot;50&quot;\"/>"
        L"<Event type=\"buttondown  mouseenter\" receiver=\"./target ./TARGET2\" "
        L"applyattribute=\"height=&quot;60&quot;\"/>"
        L"<BubbledEvent type=\"keydown\" receiver=\"./target2\" applyattribute=\"width=&quot;70&quot;\"/>"
        L"<Control name=\"target\" width=\"10\" height=\"10\"/>"
        L"<Control name=\"target2\" width=\"10\" height=\"10\"/>"
        L"</Box></Window>");
    ui::Box* host = AsBox(made);
    ASSERT_NE(host, nullptr);
    ui::Control* target = host->FindByName(L"target");
    ui::Control* target2 = host->FindByName(L"target2");

    host->RaiseEvent(ui::EventKind::Click);
    EXPECT_EQ(target->FixedWidth(), 10) << "\"click\" is no markup event name: its handler never fires";

    host->RaiseEvent(ui::EventKind::ButtonDown);
    EXPECT_EQ(target->FixedHeight(), 60);
    EXPECT_EQ(target2->FixedHeight(), 60) << "receivers are found ignoring case";

    ui::EventArgs key(ui::EventKind::KeyDown, target);
    target->DispatchEvent(key);
    EXPECT_EQ(target2->FixedWidth(), 70) << "a bubbled action sees its descendants' events";
}
