#include "platform/win32/known_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace platform {

std::wstring programFilesFolder()
{
    LPITEMIDLIST itemList = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAM_FILES, &itemList)) || !itemList)
        return std::wstring();
    wchar_t buffer[MAX_PATH] = {};
    SHGetPathFromIDListW(itemList, buffer);
    CoTaskMemFree(itemList);
    return std::wstring(buffer);
}

} // namespace platform
