#include "platform/known_folders.h"

#include <shlobj.h>
#include <windows.h>

namespace platform {

NativeString programFilesFolder()
{
    LPITEMIDLIST itemList = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAM_FILES, &itemList)) || !itemList)
        return std::wstring();
    wchar_t buffer[MAX_PATH] = {};
    SHGetPathFromIDListW(itemList, buffer);
    CoTaskMemFree(itemList);
    return std::wstring(buffer);
}

namespace {

std::wstring knownFolder(REFKNOWNFOLDERID id)
{
    // The folder need not exist yet: nothing may have been installed there.
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

} // namespace

NativeString userProgramFilesFolder()
{
    const std::wstring folder = knownFolder(FOLDERID_UserProgramFiles);
    if (!folder.empty())
        return folder;
    // Where Windows puts it by default; systems that do not know the folder
    // by name (Wine) still have the local application data folder.
    const std::wstring localAppData = knownFolder(FOLDERID_LocalAppData);
    return localAppData.empty() ? std::wstring() : localAppData + L"\\Programs";
}

NativeString systemFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

bool canCreateFolderIn(const NativeString &folder)
{
    if (folder.empty())
        return false;
    // Unique per process and attempt, so that two installers probing at once
    // never remove each other's folder.
    std::wstring probe = folder;
    if (probe.back() != L'\\' && probe.back() != L'/')
        probe += L'\\';
    probe += L"installer-probe-" + std::to_wstring(GetCurrentProcessId()) + L'-'
        + std::to_wstring(GetTickCount64());
    if (!CreateDirectoryW(probe.c_str(), nullptr))
        return false;
    RemoveDirectoryW(probe.c_str());
    return true;
}

} // namespace platform
