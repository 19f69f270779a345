// Placement by the overlay, row and column layouts, visibility through
// boxes, finding by name, and invariants of a laid-out tree.
#include <functional>

#include "ControlsTestSupport.h"
#include "ui/control/HBox.h"
#include "ui/control/VBox.h"

using namespace controls_test;
using ui::Box;
using ui::Control;

namespace {

std::unique_ptr<Control> Sized(const std::wstring& attributes) {
    auto control = std::make_unique<Control>();
    control->ApplyAttributeText(attributes);
    return control;
}

// Every shown child lies inside its parent (unless `clipped` says the paint
// clips it on purpose) and boxes hold their children's invariants too.
void ExpectChildrenInside(Box& box, const std::function<bool(const Control&)>& clipped) {
    const RECT outer = box.Position();
    for (const auto& child : box.Children()) {
        if (!child->IsShown())
            continue;
        const RECT inner = child->Position();
        if (!clipped(*child)) {
            SCOPED_TRACE(testing::Message() << "child at x " << inner.left << ", y " << inner.top);
            EXPECT_GE(inner.left, outer.left);
            EXPECT_GE(inner.top, outer.top);
            EXPECT_LE(inner.right, outer.right);
            EXPECT_LE(inner.bottom, outer.bottom);
        }
        if (auto* inner_box = dynamic_cast<Box*>(child.get()))
            ExpectChildrenInside(*inner_box, clipped);
    }
}

} // namespace

TEST(OverlayLayout, ChildrenArePlacedByTheirOwnMarginRegardlessOfSiblings) {
    Box header;
    auto* minimise = Add(header, Sized(L"width=\"30\" height=\"30\" margin=\"870,30,0,0\""));
    auto* close = Add(header, Sized(L"width=\"auto\" height=\"auto\" margin=\"905,30,0,0\" normalimage=\"" +
                                    ImagePath(L"rgb.png") + L"\""));
    header.Place(Rect(14, 14, 991, 655));
    EXPECT_TRUE(SameRect(Rect(14 + 870, 44, 14 + 900, 74), minimise->Position()));
    EXPECT_TRUE(SameRect(Rect(14 + 905, 44, 14 + 910, 47), close->Position()));
}

TEST(OverlayLayout, ACentredFixedChildLandsInTheMiddleOfTheBox) {
    Box root;
    auto* loading = Add(root, std::make_unique<Box>());
    loading->SetAttributeValue(L"margin", L"0,60,0,0");
    auto* picture = Add(*loading, Sized(L"valign=\"center\" halign=\"center\" width=\"360\" height=\"240\""));
    root.Place(Rect(0, 0, 977, 641));
    EXPECT_TRUE(SameRect(Rect(0, 60, 977, 641), loading->Position()));
    EXPECT_TRUE(SameRect(Rect(308, 60 + 170, 308 + 360, 60 + 170 + 240), picture->Position()));
}

TEST(RowLayout, StretchChildrenShareTheLeftoverFirstOnesFirst) {
    ui::HBox row;
    row.SetAttributeValue(L"childmargin", L"5");
    Add(row, Sized(L"width=\"20\""));
    auto* first = Add(row, Sized(L"width=\"stretch\""));
    Add(row, Sized(L"width=\"30\" visible=\"false\""));
    auto* second = Add(row, Sized(L"width=\"stretch\""));
    // 20 + 2 gaps of 5 = 30 fixed; 111 - 30 = 81 => 41 and 40.
    row.Place(Rect(0, 0, 111, 10));
    EXPECT_TRUE(SameRect(Rect(25, 0, 66, 10), first->Position()));
    EXPECT_TRUE(SameRect(Rect(71, 0, 111, 10), second->Position()));

    // 5 leftover pixels between two stretch children: 3 and 2.
    ui::HBox pair;
    auto* left = Add(pair, Sized(L"width=\"stretch\""));
    auto* right = Add(pair, Sized(L"width=\"stretch\""));
    pair.Place(Rect(0, 0, 5, 4));
    EXPECT_EQ(3, left->Position().right - left->Position().left);
    EXPECT_TRUE(SameRect(Rect(3, 0, 5, 4), right->Position()));
}

TEST(ColumnLayout, ChildrenStackWithMarginsAndHiddenOnesTakeNoSpace) {
    ui::VBox column;
    column.SetAttributeValue(L"padding", L"2,3,2,3");
    auto* top = Add(column, Sized(L"height=\"10\" margin=\"0,1,0,1\""));
    auto* hidden = Add(column, Sized(L"height=\"50\""));
    auto* bottom = Add(column, Sized(L"height=\"10\" width=\"8\" halign=\"right\""));
    hidden->SetShown(false);
    column.Place(Rect(0, 0, 40, 100));
    EXPECT_TRUE(SameRect(Rect(2, 4, 38, 14), top->Position()));
    EXPECT_TRUE(SameRect(Rect(30, 15, 38, 25), bottom->Position()));

    // An auto-sized box whose children are all hidden needs only its padding.
    Box autoBox;
    autoBox.ApplyAttributeText(L"width=\"auto\" height=\"auto\" padding=\"1,2,3,4\"");
    Add(autoBox, Sized(L"width=\"12\" height=\"10\""))->SetShown(false);
    const SIZE needed = autoBox.MeasureSize(100, 100);
    EXPECT_EQ(4, needed.cx);
    EXPECT_EQ(6, needed.cy);
}

TEST(BoxVisibility, ShowingABoxAgainRestoresExactlyTheChildrenThatWereVisible) {
    Box outer;
    auto* inner = Add(outer, std::make_unique<Box>());
    auto* shown = Add(*inner, std::make_unique<Control>());
    auto* hidden = Add(*inner, std::make_unique<Control>());
    hidden->SetShown(false);

    outer.SetShown(false);
    EXPECT_FALSE(shown->IsShown());
    EXPECT_TRUE(shown->IsVisibleFlag());
    EXPECT_FALSE(inner->IsShown());

    outer.SetShown(true);
    EXPECT_TRUE(shown->IsShown());
    EXPECT_TRUE(inner->IsShown());
    EXPECT_FALSE(hidden->IsShown());

    // A child added to a hidden box is hidden with it.
    outer.SetShown(false);
    auto* late = Add(*inner, std::make_unique<Control>());
    EXPECT_FALSE(late->IsShown());
    outer.SetShown(true);
    EXPECT_TRUE(late->IsShown());
}

TEST(BoxFinding, FindByNameIgnoresCaseAndFindsNothingForAnEmptyName) {
    Box card;
    auto* ctrlbox = Add(card, std::make_unique<Box>());
    Add(*ctrlbox, std::make_unique<Control>());  // unnamed
    auto* name = Add(*ctrlbox, Sized(L"name=\"GAMENAME\""));
    ctrlbox->SetControlName(L"ctrlbox");
    EXPECT_EQ(name, card.FindByName(L"gamename"));
    EXPECT_EQ(ctrlbox, card.FindByName(L"CtrlBox"));
    EXPECT_EQ(nullptr, card.FindByName(L""));
    EXPECT_EQ(nullptr, card.FindByName(L"gamever"));
}

TEST(BoxChildren, InsertMoveAndRemoveKeepTheOrderAndRefuseBadIndexes) {
    Box box;
    auto* a = Add(box, std::make_unique<Control>());
    auto* b = Add(box, std::make_unique<Control>());
    EXPECT_FALSE(box.AppendChild(nullptr));
    EXPECT_FALSE(box.InsertChild(std::make_unique<Control>(), 3));
    auto* c = std::make_unique<Control>().release();
    EXPECT_TRUE(box.InsertChild(std::unique_ptr<Control>(c), 0));
    EXPECT_EQ(c, box.ChildAt(0));
    EXPECT_TRUE(box.MoveChild(c, 2));
    EXPECT_EQ(a, box.ChildAt(0));
    EXPECT_EQ(c, box.ChildAt(2));
    EXPECT_FALSE(box.MoveChild(a, 3));
    EXPECT_EQ(box.ChildAt(1), b);
    EXPECT_EQ(&box, b->ParentBox());
    EXPECT_TRUE(box.RemoveChild(b));
    EXPECT_FALSE(box.RemoveChildAt(2));
    EXPECT_EQ(-1, box.IndexOfChild(b));
    EXPECT_EQ(1, box.IndexOfChild(c));
}

TEST(LayoutInvariants, ALaidOutCardKeepsEveryVisibleChildInsideUnlessClippedOnPurpose) {
    Box root;
    root.SetAttributeValue(L"bkcolor", L"blue");
    Add(root, Sized(L"width=\"440\" height=\"150\" margin=\"40,40,0,0\" borderround=\"45,45\""));
    auto cardContent = std::make_unique<Box>();
    cardContent->ApplyAttributeText(L"width=\"440\" height=\"150\" margin=\"500,40,0,0\"");
    auto* second = Add(root, std::move(cardContent));
    auto* background =
        Add(*second, Sized(L"name=\"Backimg\" valign=\"center\" halign=\"center\" width=\"440\" height=\"250\""));
    auto* ctrl = Add(*second, std::make_unique<Box>());
    auto* start = Add(*ctrl, std::make_unique<Box>());
    start->ApplyAttributeText(L"width=\"auto\" height=\"auto\" margin=\"340,105,0,0\"");
    Add(*start, Sized(L"width=\"80\" height=\"31\""));
    auto* progress = Add(*ctrl, std::make_unique<ui::HBox>());
    progress->ApplyAttributeText(L"margin=\"0,70,0,0\" visible=\"false\"");
    Add(*progress, Sized(L"width=\"405\" height=\"4\" margin=\"15,40,0,0\""));
    root.Place(Rect(0, 0, 977, 641));

    EXPECT_TRUE(SameRect(Rect(500, 40 - 50, 940, 240), background->Position()));
    EXPECT_TRUE(SameRect(Rect(840, 145, 920, 176), start->Position()));
    ExpectChildrenInside(root, [](const Control& c) { return c.GetControlName() == L"Backimg"; });
}
