#include "platform/win32/shell_links.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

namespace platform {

namespace {

// The shell-link class and the two interfaces it is driven through.
const CLSID shellLinkClass
    = { 0x00021401, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID shellLinkInterface
    = { 0x000214F9, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
const IID persistFileInterface
    = { 0x0000010B, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };

// The GUI toolkit initialises COM on its main thread; this keeps the shell
// calls working on a thread where nobody did, and undoes only its own call.
class ComScope
{
public:
    ComScope()
        : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))
    {
    }
    ~ComScope()
    {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;

private:
    HRESULT m_result;
};

template<typename Interface> void release(Interface *&object)
{
    if (object)
        object->Release();
    object = nullptr;
}

// The steps of createShellLink; the first failure's result, or S_OK.
HRESULT saveShellLink(const std::wstring &linkPath, const std::wstring &targetPath,
                      const std::wstring &arguments, const ShellLinkDetails &details)
{
    ComScope com;
    IShellLinkW *link = nullptr;
    HRESULT result = CoCreateInstance(shellLinkClass, nullptr, CLSCTX_INPROC_SERVER,
                                      shellLinkInterface, reinterpret_cast<void **>(&link));
    if (FAILED(result))
        return result;

    // A link without its target is worthless, so a failed SetPath is a
    // failure; so is a link file that could not be saved.
    result = link->SetPath(targetPath.c_str());
    if (SUCCEEDED(result))
        result = link->SetArguments(arguments.c_str());
    if (SUCCEEDED(result) && !details.workingFolder.empty())
        result = link->SetWorkingDirectory(details.workingFolder.c_str());
    if (SUCCEEDED(result) && !details.iconPath.empty())
        link->SetIconLocation(details.iconPath.c_str(), 0);
    if (SUCCEEDED(result) && !details.description.empty())
        link->SetDescription(details.description.c_str());
    IPersistFile *file = nullptr;
    if (SUCCEEDED(result))
        result = link->QueryInterface(persistFileInterface, reinterpret_cast<void **>(&file));
    if (SUCCEEDED(result))
        result = file->Save(linkPath.c_str(), TRUE);
    release(file);
    release(link);
    return result;
}

} // namespace

bool createShellLink(const std::wstring &linkPath, const std::wstring &targetPath,
                     const std::wstring &arguments, const ShellLinkDetails &details)
{
    const HRESULT result = saveShellLink(linkPath, targetPath, arguments, details);
    // Set once COM is done with this thread, so that nothing overwrites it.
    if (FAILED(result))
        SetLastError(static_cast<DWORD>(result));
    return SUCCEEDED(result);
}

bool readShellLink(const std::wstring &linkPath, std::wstring *targetPath, std::wstring *arguments,
                   ShellLinkDetails *details)
{
    ComScope com;
    IShellLinkW *link = nullptr;
    if (FAILED(CoCreateInstance(shellLinkClass, nullptr, CLSCTX_INPROC_SERVER, shellLinkInterface,
                                reinterpret_cast<void **>(&link))))
        return false;

    IPersistFile *file = nullptr;
    bool loaded
        = SUCCEEDED(link->QueryInterface(persistFileInterface, reinterpret_cast<void **>(&file)))
        && SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ));
    if (loaded) {
        // The item list keeps the target's names in full Unicode; the plain
        // path string of a link may have passed through the ANSI code page.
        wchar_t buffer[MAX_PATH * 4] = {};
        LPITEMIDLIST items = nullptr;
        if (SUCCEEDED(link->GetIDList(&items)) && items) {
            loaded = SHGetPathFromIDListW(items, buffer) != FALSE;
            CoTaskMemFree(items);
        } else {
            loaded = SUCCEEDED(link->GetPath(buffer, MAX_PATH * 4, nullptr, SLGP_RAWPATH));
        }
        *targetPath = buffer;
        wchar_t argumentBuffer[MAX_PATH * 4] = {};
        loaded = loaded && SUCCEEDED(link->GetArguments(argumentBuffer, MAX_PATH * 4));
        *arguments = argumentBuffer;
        if (loaded && details) {
            // A value the link does not have reads as empty. 1024 characters
            // is the longest description the shell keeps (INFOTIPSIZE).
            constexpr int textSize = 1024;
            wchar_t text[textSize] = {};
            int icon = 0;
            details->workingFolder
                = SUCCEEDED(link->GetWorkingDirectory(text, textSize)) ? text : L"";
            text[0] = L'\0';
            details->iconPath
                = SUCCEEDED(link->GetIconLocation(text, textSize, &icon)) ? text : L"";
            text[0] = L'\0';
            details->description = SUCCEEDED(link->GetDescription(text, textSize)) ? text : L"";
        }
    }
    release(file);
    release(link);
    return loaded;
}

std::wstring startupFolder()
{
    static std::wstring folder;
    if (folder.empty()) {
        wchar_t buffer[MAX_PATH] = {};
        SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_STARTUP, FALSE);
        folder = buffer;
    }
    return folder;
}

} // namespace platform
