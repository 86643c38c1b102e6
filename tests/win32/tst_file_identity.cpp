// What the installation journal records of a placed file: a rename keeps
// the identity, a rewrite or another file at the path changes it; the
// installer's working folders can be hidden.
#include "check.h"
#include "platform/file_identity.h"

#include <string>
#include <windows.h>

namespace {

bool writeFile(const std::wstring &path, const char *text)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text, DWORD(strlen(text)), &written, nullptr);
    CloseHandle(file);
    return ok;
}

} // namespace

int wmain()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const std::wstring temp(buffer, GetTempPathW(MAX_PATH + 1, buffer));
    const std::wstring folder = temp + L"file_identity_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(temp.c_str(), nullptr);
    CHECK(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring staged = folder + L"\\staged.txt";
    const std::wstring placed = folder + L"\\placed.txt";

    platform::FileIdentity before;
    platform::FileIdentity after;
    CHECK(writeFile(staged, "placed by the run"));
    CHECK(platform::readFileIdentity(staged, &before));
    CHECK(before.size == 17);
    CHECK(MoveFileW(staged.c_str(), placed.c_str()));
    CHECK(platform::readFileIdentity(placed, &after));
    CHECK(after == before);
    CHECK(!platform::readFileIdentity(staged, &after));

    // The user saves over it.
    CHECK(writeFile(placed, "saved by the user, longer"));
    CHECK(platform::readFileIdentity(placed, &after));
    CHECK(after != before);

    CHECK(platform::hideEntry(folder));
    CHECK((GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0);

    DeleteFileW(placed.c_str());
    RemoveDirectoryW(folder.c_str());
    return check::finish("tst_file_identity");
}
