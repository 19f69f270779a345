#include "pillar/WholeFile.h"

#include "pillar/ScopedHandle.h"

namespace pillar {

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), chunk, sizeof(chunk), &got, nullptr)) {
            bytes.clear();
            return false;
        }
        if (got == 0) return true;
        bytes.append(chunk, got);
    }
}

} // namespace pillar
