#include <gtest/gtest.h>

#include "ui/control/ImageSlot.h"
#include "ui/control/ImageString.h"

namespace {

void ExpectRect(const RECT& r, LONG l, LONG t, LONG rr, LONG b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rr);
    EXPECT_EQ(r.bottom, b);
}

ui::ImageAttributes Assign(const std::wstring& text, int dpi = 100) {
    ui::ImageAttributes a;
    ui::AssignImageAttributes(text, a, dpi);
    return a;
}

TEST(ImageString, PlainPathStaysTheFileWithDefaults) {
    for (const std::wstring path : {L"basic/loading.gif", L"C:\\x\\a=b.png", L"  spaced name.png"}) {
        ui::ImageAttributes a = Assign(path);
        EXPECT_EQ(a.file, path);
        EXPECT_EQ(a.attributeString, path);
        EXPECT_FALSE(a.HasDest());
        EXPECT_FALSE(a.HasFullSource());
        ExpectRect(a.corner, 0, 0, 0, 0);
        EXPECT_EQ(a.fade, 255);
        EXPECT_FALSE(a.xtiled);
        EXPECT_FALSE(a.ytiled);
        EXPECT_EQ(a.playCount, -1);
    }
}

TEST(ImageString, EveryKeyIsRead) {
    ui::ImageAttributes a = Assign(
        L"file='btn.png' dest='1,2,30,40' source='0,10,20,30' corner='3,4,5,6' fade='128' xtiled='true' "
        L"ytiled='true' playcount='2'");
    EXPECT_EQ(a.file, L"btn.png");
    ExpectRect(a.dest, 1, 2, 30, 40);
    ExpectRect(a.source, 0, 10, 20, 30);
    ExpectRect(a.corner, 3, 4, 5, 6);
    EXPECT_EQ(a.fade, 128);
    EXPECT_TRUE(a.xtiled);
    EXPECT_TRUE(a.ytiled);
    EXPECT_EQ(a.playCount, 2);
    EXPECT_TRUE(a.HasDest());

    EXPECT_EQ(Assign(L"res='icon.png'").file, L"icon.png");
    // Only the exact word turns tiling on; unknown keys change nothing.
    ui::ImageAttributes b = Assign(L"file='a.png' xtiled='TRUE' ytiled='yes' colour='red'");
    EXPECT_FALSE(b.xtiled);
    EXPECT_FALSE(b.ytiled);
    EXPECT_EQ(b.file, L"a.png");
}

TEST(ImageString, NumbersAndSeparators) {
    // One separator character after each number; blanks inside the equals are fine.
    ExpectRect(Assign(L"dest = '10 20 30 40'").dest, 10, 20, 30, 40);
    ExpectRect(Assign(L"corner='-1,+2,x,7'").corner, -1, 2, 0, 0);
    // The fade keeps 8 bits.
    EXPECT_EQ(Assign(L"fade='300'").fade, 300 & 0xFF);
    EXPECT_EQ(Assign(L"playcount='0'").playCount, 0);
    // A huge value saturates rather than wrapping into something else.
    EXPECT_EQ(Assign(L"playcount='99999999999999'").playCount, 2147483647);
}

TEST(ImageString, MalformedItemsStopReadingButKeepEarlierOnes) {
    // No space after the closing quote: only the file is read.
    ui::ImageAttributes glued = Assign(L"file='a.png'dest='1,2,3,4'");
    EXPECT_EQ(glued.file, L"a.png");
    EXPECT_FALSE(glued.HasDest());

    ui::ImageAttributes unquoted = Assign(L"file='a.png' fade=100 dest='1,2,3,4'");
    EXPECT_EQ(unquoted.file, L"a.png");
    EXPECT_EQ(unquoted.fade, 255);
    EXPECT_FALSE(unquoted.HasDest());

    ui::ImageAttributes unclosed = Assign(L"fade='9' file='a.png");
    EXPECT_EQ(unclosed.fade, 9);
    EXPECT_EQ(unclosed.file, L"fade='9' file='a.png");

    // An empty value is skipped, the next item is still read.
    ui::ImageAttributes empty = Assign(L"file='' fade='7'");
    EXPECT_EQ(empty.file, L"file='' fade='7'");
    EXPECT_EQ(empty.fade, 7);
}

TEST(ImageString, DestScaleAppliesToLaterDestOnly) {
    ExpectRect(Assign(L"dest='10,20,30,40'", 150).dest, 15, 30, 45, 60);
    ExpectRect(Assign(L"destscale='false' dest='10,20,30,40'", 150).dest, 10, 20, 30, 40);
    ExpectRect(Assign(L"dest='10,20,30,40' destscale='false'", 150).dest, 15, 30, 45, 60);
    // Source and corner are image pixels and never scaled.
    ExpectRect(Assign(L"source='10,20,30,40' corner='2,2,2,2'", 200).source, 10, 20, 30, 40);
}

TEST(ImageString, ModifyStringParsesOverExistingAttributes) {
    ui::ImageAttributes a = Assign(L"file='a.png' fade='10' dest='1,1,5,5'");
    ui::ParseImageString(L"fade='200'", a, 100);
    EXPECT_EQ(a.fade, 200);
    EXPECT_EQ(a.file, L"a.png");
    ExpectRect(a.dest, 1, 1, 5, 5);
}

TEST(ImageString, AssignResetsSlotState) {
    ui::ImageSlot slot;
    slot.AssignImageString(L"file='a.png' fade='10' dest='1,1,5,5' playcount='3'");
    slot.currentFrame = 4;
    slot.completedLoops = 2;
    slot.playing = true;
    slot.AssignImageString(L"b.png");
    EXPECT_EQ(slot.attributes.file, L"b.png");
    EXPECT_EQ(slot.attributes.fade, 255);
    EXPECT_FALSE(slot.attributes.HasDest());
    EXPECT_EQ(slot.attributes.playCount, -1);
    EXPECT_EQ(slot.currentFrame, 0u);
    EXPECT_EQ(slot.completedLoops, 0);
    EXPECT_FALSE(slot.playing);
}

TEST(ImagePath, RelativeFilesJoinTheFolderAndDotsResolve) {
    EXPECT_EQ(ui::ResolveImagePath(L"resources\\themes\\default\\basic\\", L"..\\public\\bk\\bk_shadow.png"),
              L"resources\\themes\\default\\public\\bk\\bk_shadow.png");
    EXPECT_EQ(ui::ResolveImagePath(L"skin\\", L"./a/../b.png"), L"skin\\b.png");
    EXPECT_EQ(ui::ResolveImagePath(L"skin\\", L"C:\\icons\\x.png"), L"C:\\icons\\x.png");
    EXPECT_EQ(ui::ResolveImagePath(L"skin\\", L"Z:/tmp/../icons/x.png"), L"Z:\\icons\\x.png");
    // ".." cannot climb above a drive root, but a relative path keeps leading ones.
    EXPECT_EQ(ui::ResolveImagePath(L"", L"C:\\..\\x.png"), L"C:\\x.png");
    EXPECT_EQ(ui::ResolveImagePath(L"a\\", L"..\\..\\x.png"), L"..\\x.png");
}

} // namespace
