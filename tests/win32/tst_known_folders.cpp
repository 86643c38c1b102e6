// The Program Files folder as the shell gives it.
#include "check.h"
#include "platform/win32/known_folders.h"

#include <windows.h>
#include <objbase.h>

int wmain()
{
    CoInitialize(nullptr);
    const std::wstring folder = platform::programFilesFolder();
    CHECK(!folder.empty());
    CHECK(folder.size() > 3 && folder[1] == L':' && folder[2] == L'\\');
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    CoUninitialize();
    return check::finish("tst_known_folders");
}
