#pragma once
// Process-wide registry of the UI framework: where the skin lives (resource
// folder and the packed skin archive), fonts, text colours, style classes,
// default colours, the shared image cache, the builder cache and the language
// strings. UI thread only, except the image cache: workers may set control
// images directly, so that one map is locked.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/core/GlobalMemoryBlock.h"
#include "ui/core/LanguageStrings.h"
#include "ui/render/GdiHandles.h"

namespace ui {

class Control;
class ImageInfo;
class IRenderFactory;
class SkinBuilder;

// Makes a control for an element name the builder does not know itself;
// returns null when it does not know the name either.
using CreateControlCallback = std::function<Control*(const std::wstring& className)>;

// Decodes one image for the cache. `bytes` is null when the image is to be
// read from the file `path` on disk; otherwise they are the bytes of the
// archive member for the requested `path`. Returns null when the data is not an image. Every
// record returned here enters the cache, so the decoder marks it cached.
using ImageDecoder =
    std::function<std::shared_ptr<ImageInfo>(const std::wstring& path, const void* bytes, size_t size)>;

// The skin builder sits above this registry and plugs its services in here.
class ISkinBuilderService {
public:
    virtual ~ISkinBuilderService() = default;
    // Builds the global style file (fonts, colours, classes, default colours)
    // into this registry.
    virtual bool LoadGlobalStyles(const std::wstring& markup) = 0;
    virtual std::shared_ptr<SkinBuilder> NewBuilder() = 0;
    // Creates controls with `builder` (no window, no parent); an empty markup
    // reuses the document the builder parsed before.
    virtual Control* Create(SkinBuilder& builder, const std::wstring& markup, const CreateControlCallback& callback) = 0;
};

// A font of the registry; the handle is owned and deleted with the record.
struct FontRecord {
    GdiObject<HFONT> font;
    std::wstring faceName;
    int size = 0; // pixels, as written in the markup (before DPI scaling)
    bool bold = false;
    bool underline = false;
    bool italic = false;
    // Filled by the render context the first time it measures with the font.
    TEXTMETRICW metrics{};
    bool hasMetrics = false;

    HFONT Handle() const { return font.get(); }
};

class UiGlobals {
public:
    // --- skin location -----------------------------------------------------
    // Opens the resource "THEME"/129 of the executable as the skin archive,
    // closing any archive opened before. Returns whether it opened.
    static bool OpenSkinArchive(const std::string& password);
    // Same from bytes the caller keeps alive while the archive is open.
    static bool OpenSkinArchiveFromMemory(const void* data, size_t size, const std::string& password);
    static void CloseSkinArchive();
    static bool IsSkinArchiveOpen();

    static void SetResourceRoot(const std::wstring& path);
    static const std::wstring& ResourceRoot();

    // Bytes of one archive member in a movable, zero-filled global block;
    // empty when no archive is open, the member is absent or unreadable.
    // `size` receives the member's size (the block may be a little larger).
    static GlobalMemoryBlock GetArchiveData(const std::wstring& path, size_t* size = nullptr);
    // Archive member name for a path: "\" -> "/", doubled and leading
    // separators dropped, "./" dropped, "../" resolved.
    static std::wstring ToArchiveName(const std::wstring& path);

    // Reads a markup file as bytes: archive first (resource path + name),
    // then the disk file (relative names below the resource path). A source
    // starting with "<" is markup itself and comes back as UTF-8.
    static bool ReadMarkup(const std::wstring& source, std::string& bytes);

    // --- start and stop ------------------------------------------------------
    static void Startup(const std::wstring& resourceRoot, const CreateControlCallback& callback, bool adaptDpi,
                        const std::wstring& theme, const std::wstring& language);
    // Deletes every font and empties the font registry.
    static void Shutdown();
    // GDI+ is started by Startup; its owner ends it with this.
    static void ShutdownGdiplus();

    static IRenderFactory* GetRenderFactory();
    // Takes ownership; the previous factory is deleted.
    static void SetRenderFactory(std::unique_ptr<IRenderFactory> factory);
    static void DeleteRenderFactory();

    static void SetCreateControlCallback(const CreateControlCallback& callback);
    static const CreateControlCallback& GetCreateControlCallback();

    // --- fonts ---------------------------------------------------------------
    static HFONT AddNamedFont(const std::wstring& id, const std::wstring& faceName, int size, bool bold, bool underline,
                              bool italic, bool isDefault);
    // The font of `id`, or the default font when `id` is empty; null if none.
    static HFONT GetFont(const std::wstring& id);
    static FontRecord* GetFontRecord(const std::wstring& id);
    static const std::wstring& DefaultFontId();
    static size_t FontCount();
    // Face used for the markup face name "system" on this machine.
    static std::wstring SystemFaceName();

    // --- colours and classes -------------------------------------------------
    // value: "#AARRGGBB".
    static void AddNamedColor(const std::wstring& name, const std::wstring& value);
    // 0 for an unknown name.
    static uint32_t NamedColor(const std::wstring& name);
    static bool HasNamedColor(const std::wstring& name);

    static void AddStyleClass(const std::wstring& name, const std::wstring& attributes);
    static std::wstring StyleClassAttributes(const std::wstring& name);

    static void SetDefaultDisabledColor(const std::wstring& color);
    static const std::wstring& DefaultDisabledColor();
    static void SetDefaultTextColor(const std::wstring& color);
    static const std::wstring& DefaultTextColor();
    static void SetDefaultLinkColor(const std::wstring& color);
    static const std::wstring& DefaultLinkColor();
    static void SetDefaultLinkHoverColor(const std::wstring& color);
    static const std::wstring& DefaultLinkHoverColor();
    static void SetDefaultSelectedBkColor(const std::wstring& color);
    static const std::wstring& DefaultSelectedBkColor();

    // --- DPI -------------------------------------------------------------------
    static void SetAdaptDpi(bool adapt);
    static bool IsAdaptDpi();
    static void SetDpiScale(int percent);
    static int DpiScale();
    // `value` scaled by the DPI percentage when adapting, else unchanged.
    static int ScaleByDpi(int value);

    // --- images ----------------------------------------------------------------
    static void SetImageDecoder(const ImageDecoder& decoder);
    // Shared decoded image for `path`: from the cache while someone still
    // holds it, otherwise decoded (archive first, then disk). Null on failure.
    static std::shared_ptr<ImageInfo> AcquireImage(const std::wstring& path);
    // Cache key of a path ("/" -> "\", doubled separators folded; the archive
    // name while an archive is open).
    static std::wstring ImageCacheKey(const std::wstring& path);
    static size_t CachedImageCount();

    // --- builder cache ---------------------------------------------------------
    static void SetSkinBuilderService(ISkinBuilderService* service);
    static ISkinBuilderService* GetSkinBuilderService();
    // Controls for `markupPath`, parsed once and kept for repeated use.
    static Control* BuildFromCache(const std::wstring& markupPath, const CreateControlCallback& callback);

    // --- language strings ------------------------------------------------------
    static LanguageStrings& Strings();
    // Loads resourceRoot + language + "\gdstrings.ini": from the archive
    // only while one is open (no disk fallback then), otherwise from disk.
    static void LoadLanguage(const std::wstring& resourceRoot, const std::wstring& language);

private:
    UiGlobals() = delete;
};

} // namespace ui
