// The Program Files folder as the shell gives it, the user's own programs
// folder, the probe that decides between them, and the system folder.
#include "check.h"
#include "platform/known_folders.h"

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

    // %LOCALAPPDATA%\Programs, known even before anything was installed there.
    const std::wstring userPrograms = platform::userProgramFilesFolder();
    wchar_t localAppData[MAX_PATH] = {};
    CHECK(GetEnvironmentVariableW(L"LOCALAPPDATA", localAppData, MAX_PATH) > 0);
    const std::wstring expected = std::wstring(localAppData) + L"\\Programs";
    CHECK(CompareStringOrdinal(userPrograms.c_str(), -1, expected.c_str(), -1, TRUE) == CSTR_EQUAL);

    // The probe: a folder that takes new folders, and ones that cannot, and
    // no probe folder left behind.
    wchar_t temp[MAX_PATH] = {};
    CHECK(GetTempPathW(MAX_PATH, temp) > 0);
    const std::wstring scratch = std::wstring(temp) + L"known-folders-probe";
    CreateDirectoryW(scratch.c_str(), nullptr);
    CHECK(platform::canCreateFolderIn(scratch));
    CHECK(RemoveDirectoryW(scratch.c_str())); // empty again
    CHECK(!platform::canCreateFolderIn(scratch)); // gone
    const std::wstring file = std::wstring(temp) + L"known-folders-probe.txt";
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CHECK(handle != INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    CHECK(!platform::canCreateFolderIn(file));
    DeleteFileW(file.c_str());
    CHECK(!platform::canCreateFolderIn(std::wstring()));

    // The system folder holds Notepad, the failure page's way to show a log.
    const std::wstring system = platform::systemFolder();
    CHECK(!system.empty());
    CHECK(GetFileAttributesW((system + L"\\notepad.exe").c_str()) != INVALID_FILE_ATTRIBUTES);
    CoUninitialize();
    return check::finish("tst_known_folders");
}
