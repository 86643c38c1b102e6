// Free space of a deep folder is the free space of its drive.
#include "check.h"
#include "platform/disk_space.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace {

std::uint64_t freeSpace(const std::wstring &path)
{
    std::uint64_t bytes = 0;
    return platform::diskFreeSpace(path, &bytes) ? bytes : 0;
}

} // namespace

int wmain()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    std::wstring deep(buffer, GetTempPathW(MAX_PATH + 1, buffer));
    const std::wstring drive = deep.substr(0, 3);
    CHECK(drive.size() == 3 && drive[1] == L':' && drive[2] == L'\\');

    // The throw-away prefix need not have its temporary folder yet, so the
    // deep folder goes below the drive root of that folder.
    const std::wstring base = drive + L"disk_space_probe";
    CreateDirectoryW(base.c_str(), nullptr);
    deep = base;
    for (const wchar_t *level : { L"\\a", L"\\b", L"\\c", L"\\d" }) {
        deep += level;
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    CHECK(GetFileAttributesW(deep.c_str()) != INVALID_FILE_ATTRIBUTES);

    // Other programs write to the same disk: compare only when the drive's
    // figure did not move around the deep query.
    bool compared = false;
    for (int round = 0; round < 20 && !compared; ++round) {
        const std::uint64_t before = freeSpace(drive);
        const std::uint64_t inside = freeSpace(deep);
        const std::uint64_t after = freeSpace(drive);
        if (before != after)
            continue;
        compared = true;
        CHECK(before > 0);
        CHECK(inside == before);
    }
    CHECK(compared);

    std::uint64_t untouched = 12345;
    CHECK(!platform::diskFreeSpace(L"Q:\\no\\such\\drive", &untouched));
    CHECK(untouched == 12345);

    for (int level = 0; level < 4; ++level) {
        RemoveDirectoryW(deep.c_str());
        deep.resize(deep.rfind(L'\\'));
    }
    RemoveDirectoryW(base.c_str());
    return check::finish("tst_disk_space");
}
