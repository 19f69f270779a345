#pragma once
// Folder creation and one-step file replacement, beside the whole-file reader
// and writer.
#include <windows.h>

#include <cstddef>
#include <string>

#include "pillar/ScopedHandle.h"

namespace pillar {

// Creates every missing folder above the file named by `path` ("C:\a\b\f.txt"
// creates "C:\a" and "C:\a\b"). "\" and "/" both separate, as they do for the
// file system; doubled separators are skipped. A path without a drive is
// walked from the current folder; a rooted or UNC path is left alone. False
// when creating any folder failed (the walk still goes on to the end).
bool MakeParentFolders(const std::wstring& path);

// A new version of a file, written beside it under a temporary name and put
// in its place in one step, so the old file stays whole until the new one is
// complete and checked. Destroyed without Commit, the temporary file is
// deleted and the target is left as it was.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile() { Discard(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the target's missing folders and an empty temporary file in the
    // target's folder. False when it cannot be created.
    bool Open(const std::wstring& target);
    // Appends bytes; false on a short or failed write (a full disk).
    bool Write(const void* bytes, size_t count);
    // Closes the temporary file so it can be read back before Commit.
    bool Finish();
    // Moves the finished temporary file over the target in one step.
    bool Commit();
    // Deletes the temporary file, if any; the target is not touched.
    void Discard();

    bool IsOpen() const { return file_.Valid(); }
    const std::wstring& TemporaryPath() const { return temporary_; }

private:
    std::wstring target_;
    std::wstring temporary_;
    ScopedHandle file_;
};

} // namespace pillar
