// Handler tables, bubbling through boxes and the click behind a press and release.
#include <vector>

#include "ControlsTestSupport.h"

using namespace controls_test;
using ui::EventArgs;
using ui::EventKind;

namespace {

ui::EventHandler Record(std::vector<std::string>& log, const char* name, bool result) {
    return [&log, name, result](EventArgs*) {
        log.push_back(name);
        return result;
    };
}

EventArgs EventFor(ui::Control* sender, EventKind kind, POINT point = POINT{0, 0}) {
    EventArgs event(kind, sender);
    event.MousePoint = point;
    return event;
}

} // namespace

TEST(ControlEvents, AllHandlersRunAfterAKindHandlerSaidStopAndDecideTheOutcome) {
    ui::Box box;
    auto* control = Add(box, std::make_unique<ui::Control>());
    std::vector<std::string> log;
    box.AddBubbledHandler(EventKind::Select, Record(log, "parent", true));
    control->AddHandler(EventKind::Select, Record(log, "code", false));
    control->AddHandler(EventKind::Select, Record(log, "code-after-stop", true));
    control->AddHandler(EventKind::All, Record(log, "all", true));
    control->AddMarkupHandler(EventKind::Select, Record(log, "markup", true));

    EventArgs event = EventFor(control, EventKind::Select);
    control->DispatchEvent(event);
    EXPECT_EQ((std::vector<std::string>{"code", "all", "markup", "parent"}), log);
}

TEST(ControlEvents, AStoppingCodeHandlerWithoutAllSkipsMarkupAndTheDefaultReaction) {
    ui::Box box;
    auto* control = Add(box, std::make_unique<ui::Control>());
    std::vector<std::string> log;
    box.AddBubbledHandler(EventKind::Select, Record(log, "parent", true));
    control->AddHandler(EventKind::Select, Record(log, "code", false));
    control->AddMarkupHandler(EventKind::All, Record(log, "markup", true));

    EventArgs event = EventFor(control, EventKind::Select);
    control->DispatchEvent(event);
    EXPECT_EQ((std::vector<std::string>{"code"}), log);
}

TEST(ControlEvents, AHandlerThatDestroysItsControlEndsTheDispatch) {
    ui::Box box;
    auto* control = Add(box, std::make_unique<ui::Control>());
    std::vector<std::string> log;
    control->AddHandler(EventKind::Select, [&](EventArgs*) {
        log.push_back("remove");
        box.RemoveChild(control);  // no window: destroyed at once
        return true;
    });
    control->AddHandler(EventKind::All, Record(log, "all", true));
    box.AddBubbledHandler(EventKind::Select, Record(log, "parent", true));

    EventArgs event = EventFor(control, EventKind::Select);
    control->DispatchEvent(event);
    EXPECT_EQ((std::vector<std::string>{"remove"}), log);
    EXPECT_EQ(0, box.ChildCount());
}

TEST(ControlEvents, EventsBubbleThroughEveryAncestorUntilABubbledHandlerStops) {
    ui::Box root;
    auto* card = Add(root, std::make_unique<ui::Box>());
    auto* button = Add(*card, std::make_unique<ui::Control>());
    std::vector<std::string> log;
    root.AddBubbledHandler(EventKind::Click, Record(log, "root", true));
    card->AddBubbledHandler(EventKind::All, Record(log, "card", true));

    EventArgs click = EventFor(button, EventKind::Click);
    button->DispatchEvent(click);
    EXPECT_EQ((std::vector<std::string>{"card", "root"}), log);

    log.clear();
    card->AddMarkupBubbledHandler(EventKind::Click, Record(log, "card-markup-stop", false));
    button->DispatchEvent(click);
    EXPECT_EQ((std::vector<std::string>{"card", "card-markup-stop"}), log);
}

TEST(ControlEvents, MouseEventsOfAControlWithoutMouseGoToItsParent) {
    ui::Box box;
    auto* control = Add(box, std::make_unique<CountingControl>());
    control->Place(Rect(0, 0, 10, 10));
    control->SetAttributeValue(L"mouse", L"false");
    std::vector<std::string> log;
    box.AddBubbledHandler(EventKind::ButtonDown, Record(log, "parent", true));

    EventArgs down = EventFor(control, EventKind::ButtonDown, POINT{5, 5});
    control->DispatchEvent(down);
    EXPECT_EQ((std::vector<std::string>{"parent"}), log);
    EXPECT_FALSE(control->IsMousePressed());
}

TEST(ControlEvents, AClickIsAPressAndAReleaseInsideTheSameControl) {
    CountingControl control;
    control.Place(Rect(10, 10, 50, 30));

    EventArgs down = EventFor(&control, EventKind::ButtonDown, POINT{20, 20});
    control.DispatchEvent(down);
    EXPECT_EQ(ui::kStatePushed, control.VisualState());
    EventArgs upInside = EventFor(&control, EventKind::ButtonUp, POINT{49, 29});
    control.DispatchEvent(upInside);
    EXPECT_EQ(1, control.triggers);
    EXPECT_EQ(ui::kStateHot, control.VisualState());

    control.DispatchEvent(down);
    EventArgs upOutside = EventFor(&control, EventKind::ButtonUp, POINT{50, 20});
    control.DispatchEvent(upOutside);
    EXPECT_EQ(1, control.triggers);
    EXPECT_EQ(ui::kStateNormal, control.VisualState());

    // A release without a press does nothing; a disabled control cannot be pressed.
    control.DispatchEvent(upInside);
    control.SetInteractive(false);
    control.DispatchEvent(down);
    control.DispatchEvent(upInside);
    EXPECT_EQ(1, control.triggers);
    EXPECT_EQ(ui::kStateDisabled, control.VisualState());
}

TEST(ControlEvents, EventNamesOfMarkupMapToFixedKinds) {
    EXPECT_EQ(EventKind::All, ui::EventKindFromName(L"all"));
    EXPECT_EQ(EventKind::RightButtonDown, ui::EventKindFromName(L"rbuttondown"));
    EXPECT_EQ(41, static_cast<int>(EventKind::Click));
    // There is no name for the click; names are case-sensitive.
    EXPECT_EQ(EventKind::None, ui::EventKindFromName(L"click"));
    EXPECT_EQ(EventKind::None, ui::EventKindFromName(L"KeyDown"));
}
