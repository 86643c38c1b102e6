// Folders made through the Windows layer, and the system's words for why a
// file operation failed, which the installer's log records.
#include "check.h"
#include "platform/new_file.h"
#include "platform/system_error.h"

#include <windows.h>

int wmain()
{
    wchar_t temp[MAX_PATH] = {};
    CHECK(GetTempPathW(MAX_PATH, temp) > 0);
    const std::wstring folder = std::wstring(temp) + L"system-error-folder";
    RemoveDirectoryW(folder.c_str());

    CHECK(platform::createFolder(folder));
    CHECK(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    // Made already: refused, with the error left for lastError().
    CHECK(!platform::createFolder(folder));
    CHECK(platform::lastError() == ERROR_ALREADY_EXISTS);
    CHECK(!platform::createFolder(folder + L"\\missing\\deeper"));
    CHECK(platform::lastError() == ERROR_PATH_NOT_FOUND);
    CHECK(RemoveDirectoryW(folder.c_str()));

    // The system's words, on one line; a code it has no words for still
    // gives its number.
    const std::wstring denied = platform::errorText(ERROR_ACCESS_DENIED);
    CHECK(!denied.empty());
    CHECK(denied.find(L'\n') == std::wstring::npos && denied.back() != L' ');
    CHECK(platform::errorText(0x2FFFFFFF).find(L"805306367") != std::wstring::npos);
    return check::finish("tst_system_error");
}
