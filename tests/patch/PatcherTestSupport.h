#pragma once
// Shared pieces of the patcher tests: a served folder behind the test HTTP
// server, a scratch game folder and a progress recorder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Launcher/patch/FileChecksum.h"
#include "Launcher/patch/FileListPatcher.h"
#include "pillar/TextConversion.h"
#include "pillar/WholeFile.h"
#include "support/TestHttpServer.h"

namespace patchertest {

inline std::vector<int>& Reports() {
    static std::vector<int> reports;
    return reports;
}

inline void RecordProgress(int percent) { Reports().push_back(percent); }

// Names below are UTF-8, as the lists carry them.

// Writes `content` to folder\name, creating the folders on the way.
inline void PutFile(const std::wstring& folder, const std::string& name, const std::string& content) {
    std::wstring path = folder + L"\\" + pillar::Utf8ToWide(name);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    EXPECT_TRUE(pillar::WriteWholeFile(path, content)) << pillar::WideToUtf8(path);
}

// The file's bytes; `exists` tells whether it could be opened.
inline std::string GetFile(const std::wstring& folder, const std::string& name, bool* exists = nullptr) {
    const std::wstring path = folder + L"\\" + pillar::Utf8ToWide(name);
    std::string content;
    const bool read = pillar::ReadWholeFile(path, content);
    if (exists)
        *exists = read;
    return content;
}

inline bool Exists(const std::wstring& folder, const std::string& name) {
    bool exists = false;
    GetFile(folder, name, &exists);
    return exists;
}

// Every file below `folder`, by relative path, with its bytes.
inline void FilesBelow(const std::wstring& folder, std::map<std::wstring, std::string>& files,
                       const std::wstring& prefix = L"") {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            FilesBelow(folder + L"\\" + name, files, prefix + name + L"\\");
        } else {
            pillar::ReadWholeFile(folder + L"\\" + name, files[prefix + name]);
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

// "name+value" for `content` under the launcher's convention.
inline std::string Entry(const std::string& name, const std::string& content) {
    return name + "+" + std::to_string(ListValueOf(BufferChecksum(content.data(), content.size())));
}

// The served folder (`served`, with the files below "files\") and a game
// folder the patcher repairs, named with Chinese characters and a space as a
// player's may be. One server per test program run.
class PatcherTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        served_ = new std::wstring(testsupport::MakeScratchFolder(L"patcher-served"));
        server_ = new testsupport::TestHttpServer(*served_);
        serverUp_ = server_->Start();
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
        testsupport::RemoveTree(*served_);
        delete served_;
        served_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(serverUp_) << "test HTTP server did not start";
        server_->ClearRequests();
        Reports().clear();
        game_ = testsupport::MakeScratchFolder(L"patcher-game \x6E38\x620F");
        patcher_.reset(new FileListPatcher());
        patcher_->SetLocations(server_->Url("files/"), game_ + L"\\");
        patcher_->progress = &RecordProgress;
    }
    void TearDown() override {
        patcher_.reset();
        testsupport::RemoveTree(game_);
    }

    void Serve(const std::string& name, const std::string& content) {
        PutFile(*served_ + L"\\files", name, content);
    }
    std::vector<std::string> Requests() const { return server_->Requests(); }

    static inline std::wstring* served_ = nullptr;
    static inline testsupport::TestHttpServer* server_ = nullptr;
    static inline bool serverUp_ = false;
    std::wstring game_;
    std::unique_ptr<FileListPatcher> patcher_;
};

} // namespace patchertest
