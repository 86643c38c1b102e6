// The Program Files folder as the shell gives it.
#include "check.h"
#include "platform/win32/known_folders.h"

#include <objbase.h>
#include <windows.h>

int wmain()
{
    CoInitialize(nullptr);
    const std::wstring folder = platform::programFilesFolder();
    CHECK(!folder.empty());
    CHECK(folder.size() > 3 && folder[1] == L':' && folder[2] == L'\\');
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    // The same folder the system announces to every process; compared
    // without regard to case, as Windows compares paths.
    wchar_t announced[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"ProgramFiles", announced, MAX_PATH);
    CHECK(length > 0 && length < MAX_PATH);
    CHECK(CompareStringOrdinal(folder.c_str(), -1, announced, -1, TRUE) == CSTR_EQUAL);
    // The buffer is MAX_PATH wide characters: the text ends inside it.
    CHECK(folder.size() < MAX_PATH);
    CoUninitialize();
    return check::finish("tst_known_folders");
}
