#include "ui/control/ImageSlot.h"

#include <vector>

#include "ui/core/UiGlobals.h"

namespace ui {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAbsolutePath(const std::wstring& path) {
    if (!path.empty() && IsSeparator(path[0]))
        return true;
    return path.size() >= 2 && path[1] == L':';
}

// Length of the part that ".." may never climb above: "C:\", "\\" or "\".
std::size_t RootLength(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':')
        return (path.size() >= 3 && IsSeparator(path[2])) ? 3 : 2;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return 2;
    if (!path.empty() && IsSeparator(path[0]))
        return 1;
    return 0;
}

int ProcessDpiPercent() { return UiGlobals::IsAdaptDpi() ? UiGlobals::DpiScale() : 100; }

} // namespace

std::wstring ResolveImagePath(const std::wstring& folder, const std::wstring& file) {
    std::wstring joined = IsAbsolutePath(file) ? file : folder + file;
    const std::size_t rootLength = RootLength(joined);
    std::wstring root = joined.substr(0, rootLength);
    for (wchar_t& c : root) {
        if (c == L'/')
            c = L'\\';
    }
    std::vector<std::wstring> segments;
    std::size_t pos = rootLength;
    while (pos <= joined.size()) {
        std::size_t end = pos;
        while (end < joined.size() && !IsSeparator(joined[end]))
            ++end;
        std::wstring segment = joined.substr(pos, end - pos);
        if (segment == L"..") {
            if (!segments.empty() && segments.back() != L"..")
                segments.pop_back();
            else if (rootLength == 0)
                segments.push_back(segment);  // a relative path may climb above its start
        } else if (!segment.empty() && segment != L".") {
            segments.push_back(segment);
        }
        pos = end + 1;
    }
    std::wstring result = root;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i)
            result += L'\\';
        result += segments[i];
    }
    return result;
}

namespace {
bool g_decoderRegistered = false;
}

void RegisterImageDecoder() {
    UiGlobals::SetImageDecoder(&DecodeImageForCache);
    g_decoderRegistered = true;
}

void ImageSlot::AssignImageString(const std::wstring& text) {
    ReleaseImage();
    completedLoops = 0;
    AssignImageAttributes(text, attributes, ProcessDpiPercent());
}

bool ImageSlot::Resolve(const std::wstring& resourceFolder) {
    if (attributes.file.empty())
        return false;
    const std::wstring fullPath = ResolveImagePath(resourceFolder, attributes.file);
    if (image && resolvedPath_ == fullPath)
        return true;
    if (!g_decoderRegistered)
        RegisterImageDecoder();
    image = UiGlobals::AcquireImage(fullPath);
    if (!image) {
        resolvedPath_.clear();
        attributes.Reset();
        return false;
    }
    resolvedPath_ = fullPath;
    if (currentFrame >= image->FrameCount())
        currentFrame = 0;
    return true;
}

void ImageSlot::ReleaseImage() {
    image.reset();
    resolvedPath_.clear();
    currentFrame = 0;
    playing = false;
}

HBITMAP ImageSlot::CurrentFrameBitmap() const {
    if (!image || image->FrameCount() == 0)
        return nullptr;
    const std::size_t last = image->FrameCount() - 1;
    return image->FrameBitmap(currentFrame < last ? currentFrame : last);
}

} // namespace ui
