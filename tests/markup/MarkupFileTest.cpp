// Loading from files, the shipped skin files, and parsing damaged copies of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "ui/core/MarkupDocument.h"
#include "ui/core/UiGlobals.h"

namespace {

using ui::MarkupDocument;
using ui::MarkupNode;

// Wine maps the Unix root as drive Z:.
const std::string kSkinDir = std::string("Z:") + MARKUP_SKIN_DIR;

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string ReadBytes(const std::string& path) { return testsupport::ReadWholeFile(Widen(path)); }

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"markup_test_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::wstring& f : files_) ::DeleteFileW(f.c_str());
        ::RemoveDirectoryW(path_.c_str());
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring full = path_ + name;
        EXPECT_TRUE(pillar::WriteWholeFile(full, bytes));
        files_.push_back(full);
        return full;
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

TEST(MarkupFile, SizeLimitsAndOpenErrors) {
    TempFolder folder;
    MarkupDocument doc;

    // Exactly 4 MiB is accepted; one byte more is refused.
    std::string exact = "<a>";
    exact.append(MarkupDocument::kMaxFileBytes - 7, ' ');
    exact += "</a>";
    ASSERT_EQ(exact.size(), MarkupDocument::kMaxFileBytes);
    EXPECT_TRUE(doc.LoadFile(folder.Write(L"exact.xml", exact))) << doc.ErrorText();
    EXPECT_STREQ(doc.RootNode().NodeName(), L"a");

    EXPECT_FALSE(doc.LoadFile(folder.Write(L"over.xml", exact + " ")));
    EXPECT_STREQ(doc.ErrorText(), L"File too large");
    EXPECT_STREQ(doc.ErrorPlace(), L"");
    EXPECT_FALSE(doc.IsValid());

    EXPECT_FALSE(doc.LoadFile(folder.Write(L"empty.xml", "")));
    EXPECT_STREQ(doc.ErrorText(), L"File is empty");

    EXPECT_FALSE(doc.LoadFile(folder.Path() + L"missing.xml"));
    EXPECT_STREQ(doc.ErrorText(), L"Error opening file");
    EXPECT_STREQ(doc.ErrorPlace(), L"");

    // A parse error inside a file reports the place.
    EXPECT_FALSE(doc.LoadFile(folder.Write(L"bad.xml", "<a x='1'/>")));
    EXPECT_STREQ(doc.ErrorText(), L"Expected attribute value");
    EXPECT_STREQ(doc.ErrorPlace(), L"'1'/>");
}

TEST(MarkupFile, ByteOrderMarkAndRelativePaths) {
    TempFolder folder;
    folder.Write(L"bom.xml", "\xEF\xBB\xBF<Window caption=\"0,0,0,35\"/>");
    const std::wstring savedRoot = ui::UiGlobals::ResourceRoot();
    ui::UiGlobals::SetResourceRoot(folder.Path());
    MarkupDocument doc;
    const bool loaded = doc.LoadFile(L"bom.xml");
    ui::UiGlobals::SetResourceRoot(savedRoot);
    ASSERT_TRUE(loaded) << doc.ErrorText();
    EXPECT_STREQ(doc.RootNode().NodeName(), L"Window");
    EXPECT_STREQ(doc.RootNode().AttributeValue(0), L"0,0,0,35");
}

// --- the shipped skin --------------------------------------------------------

MarkupNode FindByName(MarkupNode node, const std::wstring& name) {
    for (; node.IsValid(); node = node.NextSibling()) {
        std::wstring value;
        if (node.AttributeValue(L"name", value) && value == name) return node;
        MarkupNode inner = FindByName(node.FirstChild(), name);
        if (inner.IsValid()) return inner;
    }
    return MarkupNode();
}

std::wstring Attr(MarkupNode node, const wchar_t* name) {
    std::wstring value;
    node.AttributeValue(name, value);
    return value;
}

TEST(MarkupSkin, WindowLayoutHasTheNamedControlsInPlace) {
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadFile(Widen(kSkinDir + "/basic/basic.xml"))) << doc.ErrorText() << " at " << doc.ErrorPlace();
    MarkupNode window = doc.RootNode();
    EXPECT_STREQ(window.NodeName(), L"Window");
    EXPECT_EQ(Attr(window, L"size"), L"977,641");
    EXPECT_EQ(Attr(window, L"caption"), L"0,0,0,35");
    MarkupNode root = window.FirstChild();
    EXPECT_EQ(Attr(root, L"bkcolor"), L"backcolor");
    EXPECT_FALSE(root.NextSibling().IsValid());

    MarkupNode top = root.FirstChild();
    EXPECT_EQ(Attr(top.NextSibling(), L"name"), L"loading");
    EXPECT_EQ(Attr(top.NextSibling().NextSibling(), L"name"), L"gamectrl");
    EXPECT_EQ(Attr(top.NextSibling().NextSibling(), L"visible"), L"false");

    const struct {
        const wchar_t* name;
        const wchar_t* margin;
    } header[] = {{L"minbtn", L"870,30,0,0"}, {L"Logo", L"60,30,0,0"},   {L"btn_zy", L"750,29,0,0"},
                  {L"btn_qq", L"800,30,0,0"}, {L"btn_en", L"240,40,0,0"}, {L"btn_ch", L"240,40,0,0"},
                  {L"closebtn", L"905,30,0,0"}};
    MarkupNode child = top.FirstChild();
    for (const auto& h : header) {
        ASSERT_TRUE(child.IsValid()) << h.name;
        EXPECT_EQ(Attr(child, L"name"), h.name);
        EXPECT_EQ(Attr(child, L"margin"), h.margin);
        child = child.NextSibling();
    }

    const wchar_t* margins[] = {L"40,40,0,0", L"500,40,0,0", L"40,220,0,0",
                                L"500,220,0,0", L"40,400,0,0", L"500,400,0,0"};
    for (int i = 0; i < 6; ++i) {
        MarkupNode card = FindByName(root, L"game" + std::to_wstring(i + 1) + L"_box");
        ASSERT_TRUE(card.IsValid()) << i;
        EXPECT_EQ(Attr(card, L"margin"), margins[i]);
        EXPECT_EQ(Attr(card, L"borderround"), L"45,45");
        for (const wchar_t* name : {L"Backimg", L"ctrlbox", L"Icon", L"gamename", L"gamever", L"gametext", L"menubtn",
                                    L"start_box", L"btn_start", L"progress_box", L"progressbar", L"progresstext",
                                    L"menu_box", L"btn_download", L"btn_link1", L"btn_link2"}) {
            EXPECT_TRUE(FindByName(card.FirstChild(), name).IsValid()) << name << " in card " << i + 1;
        }
        // The percentage label carries its margin twice; the later one wins.
        MarkupNode text = FindByName(card.FirstChild(), L"progresstext");
        std::vector<std::wstring> seen;
        for (int a = 0; a < text.AttributeCount(); ++a) {
            if (std::wstring(text.AttributeName(a)) == L"margin") seen.push_back(text.AttributeValue(a));
        }
        EXPECT_EQ(seen, (std::vector<std::wstring>{L"50,10,0,0", L"15,50,0,0"}));
    }
}

TEST(MarkupSkin, GlobalStylesDefineWhatTheLayoutUses) {
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadFile(Widen(kSkinDir + "/global.xml"))) << doc.ErrorText() << " at " << doc.ErrorPlace();
    MarkupNode global = doc.RootNode();
    EXPECT_STREQ(global.NodeName(), L"Global");
    std::set<std::wstring> fonts, colours, classes;
    std::wstring defaultFont;
    for (MarkupNode n = global.FirstChild(); n.IsValid(); n = n.NextSibling()) {
        const std::wstring kind = n.NodeName();
        if (kind == L"Font") {
            fonts.insert(Attr(n, L"id"));
            if (Attr(n, L"default") == L"true") defaultFont = Attr(n, L"id");
        } else if (kind == L"TextColor") {
            colours.insert(Attr(n, L"name") + L"=" + Attr(n, L"value"));
        } else if (kind == L"Class") {
            classes.insert(Attr(n, L"name"));
        }
    }
    EXPECT_EQ(defaultFont, L"system_12");
    for (const wchar_t* f : {L"system_12", L"system_14", L"system_bold_14", L"system_bold_16", L"system_bold_18"})
        EXPECT_TRUE(fonts.count(f)) << f;
    for (const wchar_t* c : {L"backcolor=#ff20232a", L"bk_wnd_lightcolor=#ffffffff", L"white=#ffffffff",
                             L"orange=#fffcb755", L"gray=#ff8e99a6", L"transbkblack=#80000000",
                             L"textdefaultcolor=#ff333333", L"textdefaultdisablecolor=#ffa1aebc"})
        EXPECT_TRUE(colours.count(c)) << c;
    for (const wchar_t* c : {L"btn_wnd_min", L"btn_wnd_close", L"btn_qq", L"btn_zy", L"btn_lang_en", L"btn_lang_ch",
                             L"btn_global_setting", L"btn_update", L"btn_normal", L"progress_yellow"})
        EXPECT_TRUE(classes.count(c)) << c;
}

// Every entry line of a language file must split into exactly key and text,
// or the loader drops it without a word.
TEST(MarkupSkin, LanguageFilesAreWellFormed) {
    for (const char* lang : {"en_US", "zh_CN"}) {
        const std::string path = kSkinDir + "/../../lang/" + lang + "/gdstrings.ini";
        const std::string bytes = ReadBytes(path);
        ASSERT_GE(bytes.size(), 3u) << path;
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF") << path;
        size_t start = 3, entries = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            const std::string line = bytes.substr(start, end - start);
            start = end + 1;
            if (line.empty() || line[0] == ';') continue;
            EXPECT_EQ(std::count(line.begin(), line.end(), '='), 1) << line;
            ++entries;
        }
        EXPECT_GE(entries, 5u) << path;
    }
}

// --- damaged copies ----------------------------------------------------------

// Holds bytes flush against an inaccessible page, so reading one element past
// the end faults instead of passing unnoticed.
class GuardedCopy {
public:
    GuardedCopy(const void* data, size_t bytes) {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        const size_t dataPages = (bytes + page - 1) / page + 1;
        total_ = (dataPages + 1) * page;
        base_ = static_cast<char*>(::VirtualAlloc(nullptr, total_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + dataPages * page - bytes;
        std::memcpy(data_, data, bytes);
    }
    ~GuardedCopy() { ::VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedCopy(const GuardedCopy&) = delete;
    GuardedCopy& operator=(const GuardedCopy&) = delete;
    char* Data() const { return data_; }

private:
    char* base_ = nullptr;
    char* data_ = nullptr;
    size_t total_ = 0;
};

std::string Damage(const std::string& original, std::mt19937& rng) {
    static const char kNasty[] = {'<', '>', '"', '\'', '/', '=', '&', ';', '!', '?', '-', ' ', '\0', 'a', '\xEF'};
    std::string s = original;
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !s.empty(); ++e) {
        const size_t at = rng() % s.size();
        switch (rng() % 6) {
        case 0: s[at] = kNasty[rng() % sizeof(kNasty)]; break;
        case 1: s[at] = static_cast<char>(rng() & 0xFF); break;
        case 2: s.erase(at, 1 + rng() % 40); break;
        case 3: s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 60)); break;
        case 4: s.resize(at); break;
        default: {
            static const char* const kFragments[] = {"<!--", "<?", "</", "/>", "&amp", "&lt;", "=\"", "<a "};
            s.insert(at, kFragments[rng() % (sizeof(kFragments) / sizeof(kFragments[0]))]);
        }
        }
    }
    return s;
}

// Touches every string the document hands out; returns the number of elements.
int WalkAll(MarkupDocument& doc) {
    int visited = 0;
    std::vector<MarkupNode> stack;
    if (doc.RootNode().IsValid()) stack.push_back(doc.RootNode());
    size_t touched = 0;
    while (!stack.empty()) {
        MarkupNode n = stack.back();
        stack.pop_back();
        ++visited;
        touched += std::wcslen(n.NodeName()) + std::wcslen(n.NodeText());
        for (int a = 0; a < n.AttributeCount(); ++a)
            touched += std::wcslen(n.AttributeName(a)) + std::wcslen(n.AttributeValue(a));
        if (n.NextSibling().IsValid()) stack.push_back(n.NextSibling());
        if (n.FirstChild().IsValid()) stack.push_back(n.FirstChild());
    }
    (void)touched;
    return visited;
}

TEST(MarkupSkin, DamagedSkinFilesNeverCrashAndFailWithKnownMessages) {
    const std::set<std::wstring> known = {L"Error opening file",
                                          L"File is empty",
                                          L"File too large",
                                          L"Could not read file",
                                          L"Expected start tag",
                                          L"Error parsing element name",
                                          L"Expected start-tag closing",
                                          L"Expected end-tag start",
                                          L"Unmatched closing tag",
                                          L"Error while parsing attributes",
                                          L"Expected attribute value",
                                          L"Error while parsing attribute string"};
    std::mt19937 rng(20261208u);
    std::set<std::wstring> seenMessages;
    int failures = 0, successes = 0;
    for (const char* file : {"/basic/basic.xml", "/global.xml"}) {
        const std::string original = ReadBytes(kSkinDir + file);
        ASSERT_FALSE(original.empty()) << file;
        for (int round = 0; round < 2000; ++round) {
            const std::string damaged = Damage(original, rng);
            MarkupDocument doc;
            bool ok;
            if (round % 4 == 3) {
                // The wide-text entry point, NUL-terminated right at the guard page.
                std::wstring wide(damaged.size(), L'\0');
                const int n = ::MultiByteToWideChar(CP_UTF8, 0, damaged.data(), static_cast<int>(damaged.size()),
                                                    &wide[0], static_cast<int>(wide.size()));
                wide.resize(static_cast<size_t>(n > 0 ? n : 0));
                GuardedCopy copy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
                ok = doc.LoadText(reinterpret_cast<const wchar_t*>(copy.Data()));
            } else {
                GuardedCopy copy(damaged.data(), damaged.size());
                ok = doc.LoadBuffer(copy.Data(), damaged.size());
            }
            if (ok) {
                ++successes;
                EXPECT_STREQ(doc.ErrorText(), L"");
                WalkAll(doc);
            } else {
                ++failures;
                EXPECT_TRUE(known.count(doc.ErrorText())) << "round " << round << ": " << doc.ErrorText();
                seenMessages.insert(doc.ErrorText());
                EXPECT_FALSE(doc.IsValid());
                EXPECT_FALSE(doc.RootNode().IsValid());
            }
        }
    }
    std::printf("damaged copies: %d parsed, %d refused, %zu distinct messages\n", successes, failures,
                seenMessages.size());
    // The damage must really exercise both outcomes and most parse errors.
    EXPECT_GT(successes, 100);
    EXPECT_GT(failures, 1000);
    EXPECT_GE(seenMessages.size(), 6u);
}

} // namespace
