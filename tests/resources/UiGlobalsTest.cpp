#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ResourceTestSupport.h"
#include "ui/control/ImageInfo.h"
#include "ui/core/UiGlobals.h"

using resources_test::DataPath;
using resources_test::ReadWholeFile;
using ui::UiGlobals;

TEST(ArchiveName, ResolvesSeparatorsDotsAndParentSteps) {
    EXPECT_EQ(UiGlobals::ToArchiveName(L"resources\\themes\\default\\basic\\..\\public\\bk\\bk_shadow.png"),
              L"resources/themes/default/public/bk/bk_shadow.png");
    EXPECT_EQ(UiGlobals::ToArchiveName(L"\\\\a\\\\b//c"), L"a/b/c");
    EXPECT_EQ(UiGlobals::ToArchiveName(L"/a/b.xml"), L"a/b.xml");
    EXPECT_EQ(UiGlobals::ToArchiveName(L"./a/./b/./c.xml"), L"a/b/c.xml");
    EXPECT_EQ(UiGlobals::ToArchiveName(L"a/b/../../c.xml"), L"c.xml");
    // A parent step with nothing before it is dropped alone.
    EXPECT_EQ(UiGlobals::ToArchiveName(L"../a.xml"), L"a.xml");
    EXPECT_EQ(UiGlobals::ToArchiveName(L"a/../../b/c.xml"), L"b/c.xml");
    // Names that merely contain dots are names.
    EXPECT_EQ(UiGlobals::ToArchiveName(L"a/..b/.c/d..png"), L"a/..b/.c/d..png");
    EXPECT_EQ(UiGlobals::ToArchiveName(L""), L"");
    EXPECT_EQ(UiGlobals::ToArchiveName(L"\\"), L"");
}

TEST(ResourceRoot, GetsATrailingSeparatorOnlyWhenMissing) {
    UiGlobals::SetResourceRoot(L"resources\\themes\\default");
    EXPECT_EQ(UiGlobals::ResourceRoot(), L"resources\\themes\\default\\");
    UiGlobals::SetResourceRoot(L"skin/");
    EXPECT_EQ(UiGlobals::ResourceRoot(), L"skin/");
    UiGlobals::SetResourceRoot(L"skin\\");
    EXPECT_EQ(UiGlobals::ResourceRoot(), L"skin\\");
    UiGlobals::SetResourceRoot(L"");
    EXPECT_EQ(UiGlobals::ResourceRoot(), L"");
}

TEST(Registries, ColorsAndStyleClasses) {
    UiGlobals::AddNamedColor(L"white", L"#FFFFFFFF");
    UiGlobals::AddNamedColor(L"dim", L"#80102030");
    EXPECT_EQ(UiGlobals::NamedColor(L"white"), 0xFFFFFFFFu);
    EXPECT_EQ(UiGlobals::NamedColor(L"dim"), 0x80102030u);
    UiGlobals::AddNamedColor(L"dim", L"#ff0000ff");
    EXPECT_EQ(UiGlobals::NamedColor(L"dim"), 0xFF0000FFu);
    EXPECT_FALSE(UiGlobals::HasNamedColor(L"nothing"));
    EXPECT_EQ(UiGlobals::NamedColor(L"nothing"), 0u);

    UiGlobals::AddStyleClass(L"btn", L"width=\"20\" height=\"10\"");
    EXPECT_EQ(UiGlobals::StyleClassAttributes(L"btn"), L"width=\"20\" height=\"10\"");
    EXPECT_EQ(UiGlobals::StyleClassAttributes(L"Btn"), L"");
}

TEST(Registries, FontsResolveFacesIdsAndTheDefault) {
    UiGlobals::Shutdown();
    HFONT system = UiGlobals::AddNamedFont(L"sys", L"system", 14, true, false, false, true);
    ASSERT_NE(system, nullptr);
    ui::FontRecord* record = UiGlobals::GetFontRecord(L"sys");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->faceName, L"\u5FAE\u8F6F\u96C5\u9ED1"); // Windows 6.0 and later
    EXPECT_EQ(record->size, 14);

    LOGFONTW lf{};
    ASSERT_EQ(::GetObjectW(system, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, -14);
    EXPECT_GE(lf.lfWeight, FW_BOLD);
    EXPECT_LE(lf.lfWeight, 1000);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_STREQ(lf.lfFaceName, L"\u5FAE\u8F6F\u96C5\u9ED1");

    // An empty id is the number of fonts registered so far.
    HFONT second = UiGlobals::AddNamedFont(L"", L"Arial", 12, false, true, true, false);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(UiGlobals::GetFont(L"1"), second);
    ASSERT_EQ(::GetObjectW(second, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_TRUE(lf.lfItalic);

    EXPECT_EQ(UiGlobals::GetFont(L""), system);
    EXPECT_EQ(UiGlobals::GetFont(L"missing"), nullptr);

    // Re-registering an id replaces (and frees) the earlier font.
    HFONT replaced = UiGlobals::AddNamedFont(L"sys", L"Arial", 20, false, false, false, false);
    EXPECT_EQ(UiGlobals::GetFont(L"sys"), replaced);
    EXPECT_EQ(::GetObjectType(system), 0u) << "the replaced font handle must be deleted";
    EXPECT_EQ(UiGlobals::FontCount(), 2u);

    UiGlobals::Shutdown();
    EXPECT_EQ(UiGlobals::FontCount(), 0u);
    EXPECT_EQ(UiGlobals::GetFont(L""), nullptr);
    EXPECT_EQ(::GetObjectType(replaced), 0u);
}

TEST(Registries, FontSizesFollowTheDpiScaleOnlyWhenAdapting) {
    UiGlobals::SetDpiScale(150);
    UiGlobals::SetAdaptDpi(false);
    LOGFONTW lf{};
    ::GetObjectW(UiGlobals::AddNamedFont(L"a", L"Arial", 12, false, false, false, false), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -12);
    UiGlobals::SetAdaptDpi(true);
    ::GetObjectW(UiGlobals::AddNamedFont(L"b", L"Arial", 12, false, false, false, false), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -18);
    EXPECT_EQ(UiGlobals::GetFontRecord(L"b")->size, 12);
    UiGlobals::SetAdaptDpi(false);
    UiGlobals::SetDpiScale(100);
    UiGlobals::Shutdown();
}

namespace {

// Works inside the fixture folder with the fixture archive open (or not),
// and a decoder that records what it was asked to decode.
class SkinLookup : public ::testing::Test {
protected:
    struct DecodeCall {
        std::wstring path;
        std::string bytes;
        bool fromFile;
    };

    void SetUp() override {
        wchar_t cwd[MAX_PATH];
        ::GetCurrentDirectoryW(MAX_PATH, cwd);
        savedDirectory_ = cwd;
        ASSERT_TRUE(::SetCurrentDirectoryW(DataPath(L"").c_str()));
        archiveBytes_ = ReadWholeFile(DataPath(L"fixture.zip"));
        ASSERT_FALSE(archiveBytes_.empty());
        UiGlobals::SetImageDecoder([this](const std::wstring& path, const void* bytes, size_t size) {
            DecodeCall call{path, std::string(), bytes == nullptr};
            if (bytes) {
                call.bytes.assign(static_cast<const char*>(bytes), size);
            } else {
                call.bytes = ReadWholeFile(path);
                if (call.bytes.empty()) return std::shared_ptr<ui::ImageInfo>();
            }
            calls_.push_back(call);
            auto image = std::make_shared<ui::ImageInfo>();
            image->SetFullPath(path);
            image->SetCached(true);
            return image;
        });
        UiGlobals::SetResourceRoot(L"fixture\\themes\\t");
    }
    void TearDown() override {
        UiGlobals::CloseSkinArchive();
        UiGlobals::SetImageDecoder(nullptr);
        UiGlobals::Strings().Clear();
        ::SetCurrentDirectoryW(savedDirectory_.c_str());
    }
    void OpenArchive() { ASSERT_TRUE(UiGlobals::OpenSkinArchiveFromMemory(archiveBytes_.data(), archiveBytes_.size(), "")); }

    std::vector<DecodeCall> calls_;

private:
    std::wstring savedDirectory_;
    std::string archiveBytes_;
};

} // namespace

TEST_F(SkinLookup, MarkupComesFromTheArchiveFirstThenFromDisk) {
    OpenArchive();
    std::string text;
    ASSERT_TRUE(UiGlobals::ReadMarkup(L"window.xml", text));
    EXPECT_EQ(text, "<Window from=\"archive\"/>\n");
    ASSERT_TRUE(UiGlobals::ReadMarkup(L"only_disk.xml", text));
    EXPECT_EQ(text, "<Window from=\"disk-only\"/>\n");
    EXPECT_FALSE(UiGlobals::ReadMarkup(L"nowhere.xml", text));
    ASSERT_TRUE(UiGlobals::ReadMarkup(L"<Window size=\"1,2\"/>", text));
    EXPECT_EQ(text, "<Window size=\"1,2\"/>");
    // An absolute path is used unchanged.
    ASSERT_TRUE(UiGlobals::ReadMarkup(DataPath(L"fixture/themes/t/window.xml"), text));
    EXPECT_EQ(text, "<Window from=\"disk\"/>\n");

    UiGlobals::CloseSkinArchive();
    ASSERT_TRUE(UiGlobals::ReadMarkup(L"window.xml", text));
    EXPECT_EQ(text, "<Window from=\"disk\"/>\n");
}

TEST_F(SkinLookup, ArchiveDataIsTheMemberOrNothing) {
    EXPECT_FALSE(UiGlobals::GetArchiveData(L"fixture\\themes\\t\\window.xml")) << "no archive open";
    OpenArchive();
    size_t size = 0;
    ui::GlobalMemoryBlock block = UiGlobals::GetArchiveData(L"fixture\\themes\\t\\img\\..\\..\\shared\\c.png", &size);
    ASSERT_TRUE(block);
    ASSERT_EQ(size, 9u);
    ui::GlobalMemoryLock lock(block.Get());
    EXPECT_EQ(std::string(static_cast<const char*>(lock.Data()), size), "ARCHIVE-C");
    EXPECT_FALSE(UiGlobals::GetArchiveData(L"fixture\\themes\\t\\img\\b.png"));
    EXPECT_FALSE(UiGlobals::GetArchiveData(L"FIXTURE\\themes\\t\\window.xml"));
    EXPECT_FALSE(UiGlobals::GetArchiveData(L""));
}

TEST_F(SkinLookup, ImagesComeFromTheArchiveFirstThenFromDisk) {
    OpenArchive();
    auto a = UiGlobals::AcquireImage(L"fixture\\themes\\t\\img\\a.png");
    ASSERT_TRUE(a);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_FALSE(calls_[0].fromFile);
    EXPECT_EQ(calls_[0].bytes, "ARCHIVE-A");

    auto b = UiGlobals::AcquireImage(L"fixture/themes/t//img/b.png");
    ASSERT_TRUE(b);
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_TRUE(calls_[1].fromFile);
    EXPECT_EQ(calls_[1].path, L"fixture\\themes\\t\\img\\b.png");
    EXPECT_EQ(calls_[1].bytes, "DISK-B");

    // Climbing out of the window folder reaches the sibling folder's member.
    auto c = UiGlobals::AcquireImage(L"fixture\\themes\\t\\..\\shared\\c.png");
    ASSERT_TRUE(c);
    EXPECT_EQ(calls_.back().bytes, "ARCHIVE-C");

    EXPECT_FALSE(UiGlobals::AcquireImage(L"fixture\\themes\\t\\img\\none.png"));

    UiGlobals::CloseSkinArchive();
    a.reset();
    auto fromDisk = UiGlobals::AcquireImage(L"fixture\\themes\\t\\img\\a.png");
    ASSERT_TRUE(fromDisk);
    EXPECT_TRUE(calls_.back().fromFile);
    EXPECT_EQ(calls_.back().bytes, "DISK-A");
}

TEST_F(SkinLookup, ImagesAreSharedWhileHeldAndDecodedAgainAfterRelease) {
    OpenArchive();
    const size_t before = UiGlobals::CachedImageCount();
    auto first = UiGlobals::AcquireImage(L"fixture\\themes\\t\\img\\a.png");
    // The same image under another spelling of its path.
    auto second = UiGlobals::AcquireImage(L"fixture/themes/t/img/../img/a.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(calls_.size(), 1u);
    EXPECT_EQ(UiGlobals::CachedImageCount(), before + 1);

    std::weak_ptr<ui::ImageInfo> watch = first;
    first.reset();
    EXPECT_FALSE(watch.expired());
    second.reset();
    EXPECT_TRUE(watch.expired()) << "the image must be freed with its last user";
    EXPECT_EQ(UiGlobals::CachedImageCount(), before) << "no dead entry may stay in the cache";

    auto again = UiGlobals::AcquireImage(L"fixture\\themes\\t\\img\\a.png");
    ASSERT_TRUE(again);
    EXPECT_EQ(calls_.size(), 2u);
}

TEST_F(SkinLookup, LanguageStringsComeOnlyFromAnOpenArchive) {
    OpenArchive();
    UiGlobals::LoadLanguage(L"fixture\\", L"lang\\xx");
    EXPECT_EQ(UiGlobals::Strings().LookupString(L"STR_SOURCE"), L"archive");
    EXPECT_EQ(UiGlobals::Strings().LookupString(L"STR_MULTI"), L"one\ntwo");

    // Missing from the archive: the disk file is not consulted.
    UiGlobals::LoadLanguage(L"fixture\\", L"lang\\yy");
    EXPECT_EQ(UiGlobals::Strings().LookupString(L"STR_SOURCE"), L"archive");
    UiGlobals::Strings().Clear();
    UiGlobals::LoadLanguage(L"fixture\\", L"lang\\yy");
    EXPECT_EQ(UiGlobals::Strings().Size(), 0u);

    UiGlobals::CloseSkinArchive();
    UiGlobals::LoadLanguage(L"fixture\\", L"lang\\yy");
    EXPECT_EQ(UiGlobals::Strings().LookupString(L"STR_SOURCE"), L"disk yy");
}

namespace {

class RecordingGlobalStyles : public ui::ISkinBuilderService {
public:
    bool LoadGlobalStyles(const std::wstring& markup) override {
        loaded.push_back(markup);
        // What the builder would see for it right now.
        resourceRootThen = UiGlobals::ResourceRoot();
        return true;
    }
    std::shared_ptr<ui::SkinBuilder> NewBuilder() override { return nullptr; }
    ui::Control* Create(ui::SkinBuilder&, const std::wstring&, const ui::CreateControlCallback&) override {
        return nullptr;
    }
    std::vector<std::wstring> loaded;
    std::wstring resourceRootThen;
};

} // namespace

TEST_F(SkinLookup, StartupSetsTheSkinFolderStylesLanguageAndRenderer) {
    OpenArchive();
    RecordingGlobalStyles builder;
    UiGlobals::SetSkinBuilderService(&builder);
    bool asked = false;
    UiGlobals::Startup(L"fixture\\", [&asked](const std::wstring&) -> ui::Control* {
        asked = true;
        return nullptr;
    }, false, L"themes\\t", L"lang\\xx");

    EXPECT_EQ(UiGlobals::ResourceRoot(), L"fixture\\themes\\t\\");
    ASSERT_EQ(builder.loaded.size(), 1u);
    EXPECT_EQ(builder.loaded[0], L"global.xml");
    EXPECT_EQ(builder.resourceRootThen, L"fixture\\themes\\t\\");
    EXPECT_EQ(UiGlobals::Strings().LookupString(L"STR_SOURCE"), L"archive");
    EXPECT_NE(UiGlobals::GetRenderFactory(), nullptr);
    ASSERT_TRUE(UiGlobals::GetCreateControlCallback());
    UiGlobals::GetCreateControlCallback()(L"Anything");
    EXPECT_TRUE(asked);

    UiGlobals::SetSkinBuilderService(nullptr);
    UiGlobals::DeleteRenderFactory();
    EXPECT_EQ(UiGlobals::GetRenderFactory(), nullptr);
    UiGlobals::Shutdown();
    UiGlobals::ShutdownGdiplus();
    UiGlobals::SetCreateControlCallback(nullptr);
}

namespace {

// Stands in for the skin builder: counts parses and creations.
class FakeBuilderService : public ui::ISkinBuilderService {
public:
    bool LoadGlobalStyles(const std::wstring&) override { return true; }
    std::shared_ptr<ui::SkinBuilder> NewBuilder() override {
        ++builders;
        // Any distinct object serves as the opaque builder.
        return std::shared_ptr<ui::SkinBuilder>(reinterpret_cast<ui::SkinBuilder*>(new int(builders)),
                                                [](ui::SkinBuilder* b) { delete reinterpret_cast<int*>(b); });
    }
    ui::Control* Create(ui::SkinBuilder& builder, const std::wstring& markup,
                        const ui::CreateControlCallback&) override {
        markups.push_back(markup);
        lastBuilder = *reinterpret_cast<int*>(&builder);
        return markup == L"broken.xml" ? nullptr : reinterpret_cast<ui::Control*>(&controlStandIn);
    }
    int builders = 0;
    int lastBuilder = 0;
    int controlStandIn = 0;
    std::vector<std::wstring> markups;
};

} // namespace

TEST(BuilderCache, ParsesOnceAndReusesTheParsedDocument) {
    FakeBuilderService service;
    UiGlobals::SetSkinBuilderService(&service);
    EXPECT_NE(UiGlobals::BuildFromCache(L"item.xml", nullptr), nullptr);
    EXPECT_NE(UiGlobals::BuildFromCache(L"item.xml", nullptr), nullptr);
    EXPECT_EQ(service.builders, 1);
    ASSERT_EQ(service.markups.size(), 2u);
    EXPECT_EQ(service.markups[0], L"item.xml");
    EXPECT_EQ(service.markups[1], L"") << "the cached builder reuses its parsed document";

    // A markup that yields no control is not cached.
    EXPECT_EQ(UiGlobals::BuildFromCache(L"broken.xml", nullptr), nullptr);
    EXPECT_EQ(UiGlobals::BuildFromCache(L"broken.xml", nullptr), nullptr);
    EXPECT_EQ(service.builders, 3);
    UiGlobals::SetSkinBuilderService(nullptr);
}

TEST(ImageCache, ThreadsSharingImagesLeaveNoDeadEntries) {
    std::atomic<int> decodes{0};
    UiGlobals::SetImageDecoder([&decodes](const std::wstring&, const void*, size_t) {
        ++decodes;
        return std::make_shared<ui::ImageInfo>();
    });
    const size_t before = UiGlobals::CachedImageCount();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 20000; ++i) {
                auto a = UiGlobals::AcquireImage(L"threads\\img" + std::to_wstring(i % 7) + L".png");
                auto b = UiGlobals::AcquireImage(L"threads/img" + std::to_wstring((i + t) % 7) + L".png");
                if (!a || !b) ADD_FAILURE() << "acquire failed";
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(UiGlobals::CachedImageCount(), before);
    EXPECT_GE(decodes.load(), 7);
    UiGlobals::SetImageDecoder(nullptr);
}
