// Velmar's uninstaller on Windows, shipped in the package as uninst.exe: the
// installer registers it as the uninstall command. It removes the folder it
// lies in together with what the installer's registration wrote for that
// folder, machine-wide or for the current user:
//   - a running Velmar started from this folder is ended first,
//   - the korvantvelmar: URL protocol, the App Paths entry of Velmar.exe and
//     the Velmar uninstall entry, each only when it names this folder,
//   - Start-menu, desktop and Startup links that lead into this folder.
// Windows does not let a running program delete itself, so the folder goes
// last, removed by a copy of the uninstaller in the temporary folder that
// waits for this process to end.
//
// Usage: uninst.exe [--dry-run]
#include "platform/win32/registry.h"
#include "platform/win32/shell_links.h"

#include <shlobj.h>
#include <tlhelp32.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t programName[] = L"Velmar.exe";
const wchar_t productName[] = L"Velmar";
const wchar_t scheme[] = L"korvantvelmar";

bool dryRun = false;

void say(const std::wstring &what)
{
    std::wprintf(L"Velmar uninstaller: %ls%ls\n", dryRun ? L"would remove " : L"removing ",
                 what.c_str());
}

std::wstring lowered(std::wstring text)
{
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// True when path names something inside folder (a separator after it), in
// Windows' letter-case-blind way; quotes around a command are allowed.
bool inside(const std::wstring &folder, std::wstring path)
{
    if (!path.empty() && path.front() == L'"')
        path.erase(0, 1);
    // Qt writes some paths with forward slashes; Windows takes both.
    for (wchar_t &c : path)
        c = c == L'/' ? L'\\' : c;
    const std::wstring prefix = lowered(folder) + L'\\';
    return lowered(path).compare(0, prefix.size(), prefix) == 0;
}

std::wstring ownFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

void endRunningProduct(const std::wstring &folder)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        HANDLE process
            = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                          FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, image, &size) && inside(folder, image)
            && entry.th32ProcessID != GetCurrentProcessId()) {
            say(std::wstring(L"the running ") + image);
            if (!dryRun && TerminateProcess(process, 0))
                WaitForSingleObject(process, 3000);
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

// Deletes key below root when its value names this folder.
void removeKeyNaming(platform::RegistryRoot root, const std::wstring &key,
                     const std::wstring &valueKey, const std::wstring &valueName,
                     const std::wstring &folder)
{
    platform::RegistryValue value;
    if (!platform::readRegistryValue(root, valueKey, valueName, &value)
        || !inside(folder, value.text))
        return;
    say((root == platform::RegistryRoot::LocalMachine ? L"HKEY_LOCAL_MACHINE\\"
                                                      : L"HKEY_CURRENT_USER\\")
        + key);
    if (!dryRun)
        platform::deleteRegistryKey(root, key);
}

void removeRegistration(const std::wstring &folder)
{
    const std::wstring classes = std::wstring(L"Software\\Classes\\") + scheme;
    const std::wstring appPath
        = std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + programName;
    const std::wstring uninstall
        = std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + productName;
    for (platform::RegistryRoot root :
         { platform::RegistryRoot::LocalMachine, platform::RegistryRoot::CurrentUser }) {
        removeKeyNaming(root, classes, classes + L"\\shell\\open\\command", L"", folder);
        removeKeyNaming(root, appPath, appPath, L"", folder);
        removeKeyNaming(root, uninstall, uninstall, L"UninstallString", folder);
    }
}

std::wstring shellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path
                                                                                          : L"";
}

void removeLinksIn(const std::wstring &linkFolder, const std::wstring &folder)
{
    if (linkFolder.empty())
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((linkFolder + L"\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring link = linkFolder + L'\\' + found.cFileName;
        std::wstring target, arguments;
        if (platform::readShellLink(link, &target, &arguments) && inside(folder, target)) {
            say(link);
            if (!dryRun)
                DeleteFileW(link.c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void removeLinks(const std::wstring &folder)
{
    for (int csidl : { CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS }) {
        const std::wstring menu = shellFolder(csidl);
        if (menu.empty())
            continue;
        const std::wstring ours = menu + L'\\' + productName;
        removeLinksIn(ours, folder);
        if (!dryRun)
            RemoveDirectoryW(ours.c_str()); // only when empty
        removeLinksIn(menu, folder);
    }
    for (int csidl : { CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_STARTUP,
                       CSIDL_COMMON_STARTUP })
        removeLinksIn(shellFolder(csidl), folder);
}

bool removeTree(const std::wstring &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L'\\' + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A link to a folder is removed itself, never followed.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeTree(path);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(path.c_str());
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(folder.c_str()) != FALSE;
}

// The copy in the temporary folder: waits for the uninstaller that started
// it, then removes the install folder.
int removeFolderLater(const std::wstring &folder, DWORD parentId)
{
    if (HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentId)) {
        WaitForSingleObject(parent, 10000);
        CloseHandle(parent);
    }
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (removeTree(folder)) {
            // This copy itself stays in the temporary folder, like every
            // uninstaller's helper; it is a few hundred kilobytes.
            std::wprintf(L"Velmar uninstaller: Velmar has been removed.\n");
            return 0;
        }
        Sleep(250);
    }
    std::fwprintf(stderr, L"Velmar uninstaller: could not remove all of %ls\n", folder.c_str());
    return 1;
}

int handOverFolderRemoval(const std::wstring &folder)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring copy
        = std::wstring(temp) + L"velmar-uninst-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    if (!CopyFileW(self, copy.c_str(), FALSE)) {
        std::fwprintf(stderr, L"Velmar uninstaller: cannot copy myself to %ls\n", copy.c_str());
        return 1;
    }
    std::wstring command = L"\"" + copy + L"\" --remove-folder \"" + folder + L"\" "
        + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, temp,
                        &startup, &process)) {
        std::fwprintf(stderr, L"Velmar uninstaller: cannot start %ls\n", copy.c_str());
        return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc == 4 && std::wstring(argv[1]) == L"--remove-folder")
        return removeFolderLater(argv[2], static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    if (argc == 2 && std::wstring(argv[1]) == L"--dry-run")
        dryRun = true;
    else if (argc != 1) {
        std::fwprintf(stderr, L"Velmar uninstaller: usage: uninst.exe [--dry-run]\n");
        return 2;
    }

    const std::wstring folder = ownFolder();
    // Never a drive root, and only a folder that really holds the product.
    if (folder.size() <= 3
        || GetFileAttributesW((folder + L'\\' + programName).c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fwprintf(stderr, L"Velmar uninstaller: %ls does not hold %ls; refusing to remove it\n",
                      folder.c_str(), programName);
        return 1;
    }
    CoInitialize(nullptr);
    endRunningProduct(folder);
    removeRegistration(folder);
    removeLinks(folder);
    CoUninitialize();
    say(folder);
    return dryRun ? 0 : handOverFolderRemoval(folder);
}
