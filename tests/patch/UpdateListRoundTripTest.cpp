#include "PatcherTestSupport.h"

#include "Launcher/patch/UpdateListBuilder.h"

using patchertest::GetFile;
using patchertest::PutFile;

namespace {

// Runs the operator's list tool on `folder`; its standard output and exit code.
bool RunListTool(const std::wstring& folder, std::string& output, DWORD& exitCode) {
    std::wstring exe = L"Z:" + pillar::Utf8ToWide(MAKE_UPDATE_LIST_EXE);
    std::replace(exe.begin(), exe.end(), L'/', L'\\');
    std::wstring command = L"\"" + exe + L"\" \"" + folder + L"\"";

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    const BOOL started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (started) {
        char block[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, block, sizeof(block), &got, nullptr) && got > 0)
            output.append(block, got);
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return started != FALSE;
}

class UpdateListRoundTripTest : public patchertest::PatcherTest {
protected:
    // The published game: files on the server below "files\".
    void Publish() {
        for (const auto& file : files_)
            Serve(file.first, file.second);
    }
    void InstallCopy() {
        for (const auto& file : files_) {
            std::string name = file.first;
            std::replace(name.begin(), name.end(), '/', '\\');
            PutFile(game_, name, file.second);
        }
    }
    std::vector<std::pair<std::string, std::string>> files_ = {
        {"Game.exe", std::string(70000, 'g')},
        {"data/level1.pak", "level one"},
        {"data/deep/level2.pak", std::string("two\0with\0zeros", 14)},
        {"readme.txt", ""},
    };
};

} // namespace

TEST_F(UpdateListRoundTripTest, ToolListVerifiesACopyAndFetchesExactlyTheChangedFile) {
    Publish();
    std::string list;
    DWORD exitCode = 99;
    ASSERT_TRUE(RunListTool(*served_ + L"\\files", list, exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(4u, std::count(list.begin(), list.end(), '+'));
    EXPECT_NE(std::string::npos, list.find("data\\deep\\level2.pak+"));
    EXPECT_EQ(std::string::npos, list.find('/'));

    std::string inProcess;
    std::wstring problem;
    ASSERT_TRUE(BuildUpdateList(*served_ + L"\\files\\", inProcess, problem));
    EXPECT_EQ(inProcess, list);

    InstallCopy();
    EXPECT_EQ(0, patcher_->Run(list));
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(100, patchertest::Reports().back());

    PutFile(game_, "data\\level1.pak", "level one, patched locally");
    server_->ClearRequests();
    EXPECT_EQ(0, patcher_->Run(list));
    const auto requests = Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_NE(std::string::npos, requests[0].find("level1.pak"));
    EXPECT_EQ("level one", GetFile(game_, "data\\level1.pak"));
}

TEST_F(UpdateListRoundTripTest, ToolRefusesWhatTheListCannotCarry) {
    std::string output;
    DWORD exitCode = 99;
    ASSERT_TRUE(RunListTool(game_ + L"\\no-such-folder", output, exitCode));
    EXPECT_EQ(1u, exitCode);
    EXPECT_TRUE(output.empty());

    PutFile(game_, "a+b.pak", "x");
    std::string list;
    std::wstring problem;
    EXPECT_FALSE(BuildUpdateList(game_, list, problem));
    EXPECT_NE(std::wstring::npos, problem.find(L"a+b.pak"));
    output.clear();
    ASSERT_TRUE(RunListTool(game_, output, exitCode));
    EXPECT_EQ(1u, exitCode);

    // An empty folder publishes an empty list, which the patcher accepts.
    const std::wstring empty = game_ + L"\\empty";
    CreateDirectoryW(empty.c_str(), nullptr);
    EXPECT_TRUE(BuildUpdateList(empty, list, problem));
    EXPECT_EQ("", list);
}

TEST_F(UpdateListRoundTripTest, ChineseNamesGoThroughAUtf8ListIntoAChineseFolder) {
    // 青云\bin\青云.exe and 数据\地图.dat, beside a plain name.
    const std::string exe = "\xE9\x9D\x92\xE4\xBA\x91\\bin\\\xE9\x9D\x92\xE4\xBA\x91.exe";
    const std::string map = "\xE6\x95\xB0\xE6\x8D\xAE\\\xE5\x9C\xB0\xE5\x9B\xBE.dat";
    // Published apart from the other tests' files.
    const std::wstring published = *served_ + L"\\cn";
    for (const auto& file : std::vector<std::pair<std::string, std::string>>{
             {exe, std::string(50000, 'q')}, {map, "map data"}, {"readme.txt", "read me"}})
        PutFile(published, file.first, file.second);
    patcher_->remoteBase = server_->Url("cn/");
    std::string list;
    DWORD exitCode = 99;
    ASSERT_TRUE(RunListTool(published, list, exitCode));
    EXPECT_EQ(0u, exitCode);
    std::wstring decoded;
    ASSERT_TRUE(pillar::DecodeValidUtf8(list, decoded)) << "the list is not UTF-8";
    EXPECT_NE(std::string::npos, list.find(exe + "+"));
    EXPECT_NE(std::string::npos, list.find(map + "+"));
    std::string inProcess;
    std::wstring problem;
    ASSERT_TRUE(BuildUpdateList(published, inProcess, problem));
    EXPECT_EQ(inProcess, list);

    // An empty game folder gets every file, each fetched under its name.
    EXPECT_EQ(0, patcher_->Run(list));
    std::vector<std::string> requests = Requests();
    std::sort(requests.begin(), requests.end());
    EXPECT_EQ(std::vector<std::string>({"GET /cn/%E6%95%B0%E6%8D%AE/%E5%9C%B0%E5%9B%BE.dat",
                                        "GET /cn/%E9%9D%92%E4%BA%91/bin/%E9%9D%92%E4%BA%91.exe",
                                        "GET /cn/readme.txt"}),
              requests);
    std::map<std::wstring, std::string> installed;
    patchertest::FilesBelow(game_, installed);
    const std::map<std::wstring, std::string> expected = {
        {pillar::Utf8ToWide(exe), std::string(50000, 'q')}, {pillar::Utf8ToWide(map), "map data"},
        {L"readme.txt", "read me"}};
    EXPECT_TRUE(installed == expected);

    // A changed file is found and repaired; the others are left alone.
    PutFile(game_, map, "changed by the player");
    server_->ClearRequests();
    EXPECT_EQ(0, patcher_->Run(list));
    EXPECT_EQ(std::vector<std::string>({"GET /cn/%E6%95%B0%E6%8D%AE/%E5%9C%B0%E5%9B%BE.dat"}), Requests());
    EXPECT_EQ("map data", GetFile(game_, map));
}
