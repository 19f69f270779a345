#include "pillar/DiskSpace.h"

#include <windows.h>

#include <vector>

namespace pillar {

DriveRoom RoomOnDriveOf(const std::wstring& folder) {
    DriveRoom room;
    std::wstring path = folder;
    if (path.empty()) return room;
    if (path.back() != L'\\' && path.back() != L'/') path += L'\\';

    std::vector<wchar_t> volume(MAX_PATH + 1, L'\0');
    if (::GetVolumePathNameW(path.c_str(), volume.data(), static_cast<DWORD>(volume.size())))
        room.drive = volume.data();
    ULARGE_INTEGER available = {};
    if (::GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr))
        room.freeBytes = available.QuadPart > static_cast<ULONGLONG>(INT64_MAX)
                             ? INT64_MAX
                             : static_cast<int64_t>(available.QuadPart);
    if (room.drive.empty() && path.size() >= 3 && path[1] == L':') room.drive = path.substr(0, 3);
    return room;
}

} // namespace pillar
