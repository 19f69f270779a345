// Decoding the whole packed skin: every image member of the embedded archive,
// all GIF frames converted to native bitmaps, as the UI does at first use.
#include "bench/BenchCase.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/control/ImageInfo.h"
#include "ui/core/ZipArchive.h"
#include "ui/render/GdiPlusSession.h"

namespace {

bool EndsWith(const std::string& text, const char* suffix) {
    const std::string s(suffix);
    return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

bool IsImageMember(const std::string& name) {
    return EndsWith(name, ".png") || EndsWith(name, ".gif") || EndsWith(name, ".jpg") || EndsWith(name, ".bmp");
}

bool LoadEmbeddedSkin(const void** data, DWORD* size) {
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(129), L"THEME");
    if (!resource)
        return false;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    *size = SizeofResource(nullptr, resource);
    *data = loaded ? LockResource(loaded) : nullptr;
    return *data != nullptr && *size > 0;
}

} // namespace

BENCH_CASE("image decode of the packed skin") {
    ui::GdiPlusSession gdiplus;
    const void* data = nullptr;
    DWORD size = 0;
    ui::ZipArchive archive;
    if (!gdiplus.IsRunning() || !LoadEmbeddedSkin(&data, &size) || !archive.OpenFromMemory(data, size, "")) {
        bench::Report("skin archive not available", 0, "");
        return;
    }
    std::vector<int> members;
    for (std::size_t i = 0; i < archive.MemberCount(); ++i) {
        if (IsImageMember(archive.MemberAt(i).name))
            members.push_back(static_cast<int>(i));
    }

    const int rounds = 5;
    double inflateSeconds = 0;
    double decodeSeconds = 0;
    std::size_t images = 0;
    std::size_t frames = 0;
    std::size_t failures = 0;
    double pixels = 0;
    std::vector<std::uint8_t> bytes;
    std::vector<double> memberSeconds(archive.MemberCount(), 0.0);
    for (int round = 0; round < rounds; ++round) {
        for (int index : members) {
            const double start = bench::Now();
            bytes.resize(archive.MemberAt(index).uncompressedSize);
            const bool read = archive.ReadMember(index, bytes.data(), bytes.size());
            const double inflated = bench::Now();
            inflateSeconds += inflated - start;
            if (!read) {
                ++failures;
                continue;
            }
            std::unique_ptr<ui::ImageInfo> image = ui::ImageInfo::DecodeFromMemory(bytes.data(), bytes.size());
            const double decoded = bench::Now() - inflated;
            decodeSeconds += decoded;
            memberSeconds[index] += decoded;
            if (!image) {
                ++failures;
                continue;
            }
            if (round == 0) {
                ++images;
                frames += image->FrameCount();
                pixels += static_cast<double>(image->Width()) * image->Height() * image->FrameCount();
            }
        }
    }
    bench::Report("images in the skin", static_cast<double>(images), "images");
    bench::Report("frames in the skin", static_cast<double>(frames), "frames");
    bench::Report("decoded pixels", pixels / 1e6, "Mpixel");
    bench::Report("failed members", static_cast<double>(failures), "members");
    bench::Report("inflate, whole skin", inflateSeconds * 1000.0 / rounds, "ms");
    bench::Report("decode, whole skin", decodeSeconds * 1000.0 / rounds, "ms");
    std::size_t slowest = 0;
    for (std::size_t i = 0; i < memberSeconds.size(); ++i) {
        if (memberSeconds[i] > memberSeconds[slowest])
            slowest = i;
    }
    bench::Report("slowest: " + archive.MemberAt(slowest).name, memberSeconds[slowest] * 1000.0 / rounds, "ms");
    bench::Report("total per skin load", (inflateSeconds + decodeSeconds) * 1000.0 / rounds, "ms");
}
