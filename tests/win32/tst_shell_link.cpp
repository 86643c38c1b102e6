// Shell links that resolve to their target, and the Startup folder.
#include "check.h"
#include "platform/win32/shell_links.h"

#include <windows.h>

namespace {

std::wstring temporaryFolder()
{
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder
        = std::wstring(base) + L"tst_shell_link_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

int wmain()
{
    const std::wstring folder = temporaryFolder();
    // A real target, with a space and letters outside ASCII in its path.
    const std::wstring target = folder + L"\\Program \u00e9\u4e2d.exe";
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(file != INVALID_HANDLE_VALUE);
    CloseHandle(file);

    const std::wstring link = folder + L"\\Velmar \u00e9.lnk";
    CHECK(platform::createShellLink(link, target, L""));
    CHECK(exists(link));
    std::wstring resolved;
    std::wstring arguments = L"unset";
    CHECK(platform::readShellLink(link, &resolved, &arguments));
    CHECK(lstrcmpiW(resolved.c_str(), target.c_str()) == 0);
    CHECK(arguments.empty());

    const std::wstring withArguments = folder + L"\\args.lnk";
    CHECK(platform::createShellLink(withArguments, target, L"--minimized \"a b\""));
    CHECK(platform::readShellLink(withArguments, &resolved, &arguments));
    CHECK(arguments == L"--minimized \"a b\"");

    // Working folder, icon and description come back as they were given.
    const platform::ShellLinkDetails details = { folder, target, L"Velmar \u64ad\u653e player" };
    const std::wstring detailed = folder + L"\\detailed.lnk";
    CHECK(platform::createShellLink(detailed, target, L"", details));
    platform::ShellLinkDetails read;
    CHECK(platform::readShellLink(detailed, &resolved, &arguments, &read));
    CHECK(lstrcmpiW(read.workingFolder.c_str(), folder.c_str()) == 0);
    CHECK(lstrcmpiW(read.iconPath.c_str(), target.c_str()) == 0);
    CHECK(read.description == details.description);
    // A link that cannot be saved is reported, not passed off as created.
    const std::wstring missing = folder + L"\\no such folder\\Velmar.lnk";
    CHECK(!platform::createShellLink(missing, target, L""));
    CHECK(!exists(missing));
    CHECK(!platform::readShellLink(folder + L"\\nothing.lnk", &resolved, &arguments));

    const std::wstring startup = platform::startupFolder();
    CHECK(startup.size() > 3 && startup[1] == L':');
    // Windows spells it "Startup", Wine "StartUp".
    CHECK(startup.size() >= 7 && lstrcmpiW(startup.c_str() + startup.size() - 7, L"Startup") == 0);
    CHECK(platform::startupFolder() == startup);

    DeleteFileW(link.c_str());
    DeleteFileW(withArguments.c_str());
    DeleteFileW(detailed.c_str());
    DeleteFileW(target.c_str());
    CHECK(RemoveDirectoryW(folder.c_str()));
    return check::finish("tst_shell_link");
}
