#include "ui/core/UiGlobals.h"

#include <shlwapi.h>
#include <versionhelpers.h>

#include <algorithm>
#include <cwchar>
#include <mutex>

#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"
#include "ui/core/ZipArchive.h"
#include "ui/render/IRenderFactory.h"

namespace ui {
namespace {

constexpr WORD kSkinResourceId = 129;
constexpr const wchar_t* kSkinResourceType = L"THEME";
constexpr const wchar_t* kLanguageFile = L"\\gdstrings.ini";

struct State {
    std::wstring resourcePath;
    ZipArchive archive;
    CreateControlCallback createControl;
    std::map<std::wstring, FontRecord> fonts;
    std::wstring defaultFontId;
    std::map<std::wstring, uint32_t> colors;
    std::map<std::wstring, std::wstring> classes;
    // Workers may set control images directly, so the cache alone is locked.
    std::mutex imagesLock;
    std::map<std::wstring, std::weak_ptr<ImageInfo>> images;
    ImageDecoder imageDecoder;
    std::map<std::wstring, std::shared_ptr<SkinBuilder>> builders;
    ISkinBuilderService* builderService = nullptr;
    std::unique_ptr<IRenderFactory> renderFactory;
    std::wstring disabledColor, textColor, linkColor, linkHoverColor, selectedBkColor;
    int dpiScale = 100;
    bool adaptDpi = false;
    LanguageStrings strings;
};

// Never destroyed: images released during process exit still find the cache.
State& G() {
    static State* state = new State;
    return *state;
}

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
    for (size_t pos = text.find(from); pos != std::wstring::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

bool IsAbsolutePath(const std::wstring& path) { return !path.empty() && !::PathIsRelativeW(path.c_str()); }

// Folds "/" into "\" and doubled separators into one, keeping the two
// leading separators of a network path.
std::wstring NormaliseDiskPath(const std::wstring& path) {
    std::wstring text = path;
    std::replace(text.begin(), text.end(), L'/', L'\\');
    bool network = text.size() > 2 && text[0] == L'\\' && text[1] == L'\\' && text[2] != L'\\';
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && !out.empty() && out.back() == L'\\' && !(network && i == 1)) continue;
        out.push_back(text[i]);
    }
    return out;
}

std::shared_ptr<ImageInfo> DecodeImage(const std::wstring& path, const std::wstring& key,
                                       const std::wstring& diskPath) {
    State& s = G();
    if (!s.imageDecoder) return nullptr;
    std::shared_ptr<ImageInfo> image;
    if (s.archive.IsOpen()) {
        size_t size = 0;
        GlobalMemoryBlock block = UiGlobals::GetArchiveData(key, &size);
        if (block) {
            GlobalMemoryLock lock(block.Get());
            if (lock.Data()) image = s.imageDecoder(path, lock.Data(), size);
        }
    }
    if (!image) image = s.imageDecoder(diskPath, nullptr, 0);
    return image;
}

} // namespace

// --- skin location -----------------------------------------------------------

bool UiGlobals::OpenSkinArchive(const std::string& password) {
    CloseSkinArchive();
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
    if (!resource) return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    DWORD size = ::SizeofResource(module, resource);
    // Resource memory stays mapped for the life of the module.
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return false;
    return G().archive.OpenFromMemory(bytes, size, password);
}

bool UiGlobals::OpenSkinArchiveFromMemory(const void* data, size_t size, const std::string& password) {
    CloseSkinArchive();
    return G().archive.OpenFromMemory(data, size, password);
}

void UiGlobals::CloseSkinArchive() { G().archive.Close(); }

bool UiGlobals::IsSkinArchiveOpen() { return G().archive.IsOpen(); }

void UiGlobals::SetResourceRoot(const std::wstring& path) {
    std::wstring root = path;
    if (!root.empty() && root.back() != L'\\' && root.back() != L'/') root += L'\\';
    G().resourcePath = root;
}

const std::wstring& UiGlobals::ResourceRoot() { return G().resourcePath; }

std::wstring UiGlobals::ToArchiveName(const std::wstring& path) {
    std::wstring text = path;
    std::replace(text.begin(), text.end(), L'\\', L'/');
    ReplaceAll(text, L"//", L"/");

    std::vector<std::wstring> parts;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t slash = text.find(L'/', pos);
        bool closed = slash != std::wstring::npos;
        std::wstring segment = text.substr(pos, closed ? slash - pos : std::wstring::npos);
        pos = closed ? slash + 1 : text.size();
        if (closed && segment.empty()) continue;     // leading or doubled separator
        if (closed && segment == L".") continue;     // "./"
        if (closed && segment == L"..") {            // "../" removes the folder before it
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(closed ? segment + L"/" : segment);
    }
    std::wstring name;
    for (const std::wstring& part : parts) name += part;
    return name;
}

GlobalMemoryBlock UiGlobals::GetArchiveData(const std::wstring& path, size_t* dataSize) {
    State& s = G();
    if (dataSize) *dataSize = 0;
    std::wstring name = ToArchiveName(path);
    if (!s.archive.IsOpen() || name.empty()) return GlobalMemoryBlock();
    uint32_t size = 0;
    int index = s.archive.FindMember(pillar::WideToUtf8(name), &size);
    if (index < 0) return GlobalMemoryBlock();
    // An empty member still gets a (one-byte) block so the caller can tell it from "absent".
    GlobalMemoryBlock block = GlobalMemoryBlock::Allocate(size ? size : 1);
    if (!block) return GlobalMemoryBlock();
    GlobalMemoryLock lock(block.Get());
    if (!lock.Data() || !s.archive.ReadMember(index, lock.Data(), size)) return GlobalMemoryBlock();
    if (dataSize) *dataSize = size;
    return block;
}

bool UiGlobals::ReadMarkup(const std::wstring& source, std::string& bytes) {
    bytes.clear();
    if (source.empty()) return false;
    if (source[0] == L'<') {
        bytes = pillar::WideToUtf8(source);
        return true;
    }
    const State& s = G();
    bool absolute = IsAbsolutePath(source);
    if (s.archive.IsOpen() && !absolute) {
        size_t size = 0;
        GlobalMemoryBlock block = GetArchiveData(s.resourcePath + source, &size);
        if (block) {
            GlobalMemoryLock lock(block.Get());
            if (lock.Data()) {
                bytes.assign(static_cast<const char*>(lock.Data()), size);
                return true;
            }
        }
    }
    return pillar::ReadWholeFile(absolute ? source : s.resourcePath + source, bytes);
}

// --- start and stop ------------------------------------------------------------

void UiGlobals::Shutdown() {
    State& s = G();
    s.fonts.clear(); // each record deletes its font handle
    s.defaultFontId.clear();
}

IRenderFactory* UiGlobals::GetRenderFactory() { return G().renderFactory.get(); }

void UiGlobals::SetRenderFactory(std::unique_ptr<IRenderFactory> factory) { G().renderFactory = std::move(factory); }

void UiGlobals::DeleteRenderFactory() { G().renderFactory.reset(); }

void UiGlobals::SetCreateControlCallback(const CreateControlCallback& callback) { G().createControl = callback; }

const CreateControlCallback& UiGlobals::GetCreateControlCallback() { return G().createControl; }

// --- fonts ---------------------------------------------------------------------

std::wstring UiGlobals::SystemFaceName() {
    return IsWindowsVistaOrGreater() ? L"\u5FAE\u8F6F\u96C5\u9ED1" /* 微软雅黑 */ : L"\u65B0\u5B8B\u4F53" /* 新宋体 */;
}

HFONT UiGlobals::AddNamedFont(const std::wstring& id, const std::wstring& faceName, int size, bool bold,
                              bool underline, bool italic, bool isDefault) {
    State& s = G();
    std::wstring key = id.empty() ? std::to_wstring(s.fonts.size()) : id;
    std::wstring face = faceName == L"system" ? SystemFaceName() : faceName;

    LOGFONTW lf{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face.c_str(), _TRUNCATE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -ScaleByDpi(size);
    // Weights stop at 1000; heavier requests are not valid LOGFONT values.
    if (bold) lf.lfWeight = std::min<LONG>(lf.lfWeight + FW_BOLD, FW_HEAVY);
    if (underline) lf.lfUnderline = TRUE;
    if (italic) lf.lfItalic = TRUE;

    HFONT handle = ::CreateFontIndirectW(&lf);
    if (!handle) return nullptr;
    FontRecord record;
    record.font.reset(handle);
    record.faceName = face;
    record.size = size;
    record.bold = bold;
    record.underline = underline;
    record.italic = italic;
    s.fonts[key] = std::move(record);
    if (isDefault) s.defaultFontId = key;
    return handle;
}

FontRecord* UiGlobals::GetFontRecord(const std::wstring& id) {
    State& s = G();
    auto it = s.fonts.find(id.empty() ? s.defaultFontId : id);
    return it == s.fonts.end() ? nullptr : &it->second;
}

HFONT UiGlobals::GetFont(const std::wstring& id) {
    FontRecord* record = GetFontRecord(id);
    return record ? record->Handle() : nullptr;
}

const std::wstring& UiGlobals::DefaultFontId() { return G().defaultFontId; }

size_t UiGlobals::FontCount() { return G().fonts.size(); }

// --- colours and classes ---------------------------------------------------------

void UiGlobals::AddNamedColor(const std::wstring& name, const std::wstring& value) {
    uint32_t color = 0;
    if (value.size() > 1) color = static_cast<uint32_t>(std::wcstoul(value.c_str() + 1, nullptr, 16));
    G().colors[name] = color;
}

uint32_t UiGlobals::NamedColor(const std::wstring& name) {
    const State& s = G();
    auto it = s.colors.find(name);
    return it == s.colors.end() ? 0 : it->second;
}

bool UiGlobals::HasNamedColor(const std::wstring& name) { return G().colors.count(name) != 0; }

void UiGlobals::AddStyleClass(const std::wstring& name, const std::wstring& attributes) {
    G().classes[name] = attributes;
}

std::wstring UiGlobals::StyleClassAttributes(const std::wstring& name) {
    const State& s = G();
    auto it = s.classes.find(name);
    return it == s.classes.end() ? std::wstring() : it->second;
}

void UiGlobals::SetDefaultDisabledColor(const std::wstring& color) { G().disabledColor = color; }
const std::wstring& UiGlobals::DefaultDisabledColor() { return G().disabledColor; }
void UiGlobals::SetDefaultTextColor(const std::wstring& color) { G().textColor = color; }
const std::wstring& UiGlobals::DefaultTextColor() { return G().textColor; }
void UiGlobals::SetDefaultLinkColor(const std::wstring& color) { G().linkColor = color; }
const std::wstring& UiGlobals::DefaultLinkColor() { return G().linkColor; }
void UiGlobals::SetDefaultLinkHoverColor(const std::wstring& color) { G().linkHoverColor = color; }
const std::wstring& UiGlobals::DefaultLinkHoverColor() { return G().linkHoverColor; }
void UiGlobals::SetDefaultSelectedBkColor(const std::wstring& color) { G().selectedBkColor = color; }
const std::wstring& UiGlobals::DefaultSelectedBkColor() { return G().selectedBkColor; }

// --- DPI -----------------------------------------------------------------------------

void UiGlobals::SetAdaptDpi(bool adapt) { G().adaptDpi = adapt; }
bool UiGlobals::IsAdaptDpi() { return G().adaptDpi; }
void UiGlobals::SetDpiScale(int percent) { G().dpiScale = percent; }
int UiGlobals::DpiScale() { return G().dpiScale; }

int UiGlobals::ScaleByDpi(int value) {
    const State& s = G();
    return s.adaptDpi ? ::MulDiv(value, s.dpiScale, 100) : value;
}

// --- images ----------------------------------------------------------------------------

void UiGlobals::SetImageDecoder(const ImageDecoder& decoder) { G().imageDecoder = decoder; }

std::wstring UiGlobals::ImageCacheKey(const std::wstring& path) {
    std::wstring key = NormaliseDiskPath(path);
    return G().archive.IsOpen() ? ToArchiveName(key) : key;
}

std::shared_ptr<ImageInfo> UiGlobals::AcquireImage(const std::wstring& path) {
    State& s = G();
    std::wstring diskPath = NormaliseDiskPath(path);
    std::wstring key = s.archive.IsOpen() ? ToArchiveName(diskPath) : diskPath;
    if (key.empty()) return nullptr;
    {
        std::lock_guard<std::mutex> hold(s.imagesLock);
        auto found = s.images.find(key);
        if (found != s.images.end()) {
            if (std::shared_ptr<ImageInfo> live = found->second.lock()) return live;
        }
    }

    std::shared_ptr<ImageInfo> decoded = DecodeImage(path, key, diskPath);
    if (!decoded) return nullptr;
    // The handed-out reference drops the cache entry when its last owner
    // goes, then lets the decoder's own reference free the image.
    std::shared_ptr<ImageInfo> shared(decoded.get(), [key, decoded](ImageInfo*) mutable {
        State& state = G();
        {
            std::lock_guard<std::mutex> hold(state.imagesLock);
            auto it = state.images.find(key);
            if (it != state.images.end() && it->second.expired()) state.images.erase(it);
        }
        decoded.reset();
    });
    std::lock_guard<std::mutex> hold(s.imagesLock);
    s.images[key] = shared;
    return shared;
}

size_t UiGlobals::CachedImageCount() {
    State& s = G();
    std::lock_guard<std::mutex> hold(s.imagesLock);
    return s.images.size();
}

// --- builder cache ---------------------------------------------------------------------

void UiGlobals::SetSkinBuilderService(ISkinBuilderService* service) { G().builderService = service; }

ISkinBuilderService* UiGlobals::GetSkinBuilderService() { return G().builderService; }

Control* UiGlobals::BuildFromCache(const std::wstring& markupPath, const CreateControlCallback& callback) {
    State& s = G();
    if (!s.builderService) return nullptr;
    auto it = s.builders.find(markupPath);
    if (it != s.builders.end()) return s.builderService->Create(*it->second, std::wstring(), callback);

    std::shared_ptr<SkinBuilder> builder = s.builderService->NewBuilder();
    if (!builder) return nullptr;
    Control* control = s.builderService->Create(*builder, markupPath, callback);
    if (control) s.builders[markupPath] = builder;
    return control;
}

// --- language strings -------------------------------------------------------------------

LanguageStrings& UiGlobals::Strings() { return G().strings; }

void UiGlobals::LoadLanguage(const std::wstring& resourceRoot, const std::wstring& language) {
    State& s = G();
    std::wstring path = resourceRoot + language + kLanguageFile;
    if (s.archive.IsOpen()) {
        // The packed skin is the only source while it is open: no disk fallback.
        size_t size = 0;
        GlobalMemoryBlock block = GetArchiveData(path, &size);
        if (block) {
            GlobalMemoryLock lock(block.Get());
            if (lock.Data()) s.strings.LoadBytes(static_cast<const char*>(lock.Data()), size);
        }
        return;
    }
    s.strings.LoadFile(path);
}

} // namespace ui
