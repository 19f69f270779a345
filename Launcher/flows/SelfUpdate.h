#pragma once
// The pieces of the launcher's self-replacement that need no window: the
// batch file that swaps the executables once the launcher has ended, the
// check that a download is a program at all, and the error text.
#include <cstddef>
#include <string>

// Written into the base folder beside the running launcher.
extern const wchar_t kNewLauncherName[];  // "New_Launcher.exe"
extern const wchar_t kUpdateBatchName[];  // "update.bat"

// The batch text for `baseFolder` (ending in "\") and the launcher's file
// name `exeName`: wait until the old executable can be deleted, rename the
// new one over it, start it, refresh the shell's icons, delete the batch
// file. Nine lines; the last has no line break.
std::wstring BuildUpdateBatch(const std::wstring& baseFolder, const std::wstring& exeName);

// A Windows executable begins with "MZ". An error page served with status
// 200 does not, and must never replace the launcher.
bool IsWindowsExecutable(const void* bytes, size_t size);

// Caption of the self-update error box.
extern const wchar_t kUpdateErrorCaption[];
// The message shown for self-update error `code` (1 download, 2 saving the
// new executable, 3 writing the batch file).
std::wstring UpdateErrorText(int code);
