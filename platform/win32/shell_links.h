#pragma once

#include <string>

namespace platform {

// What a link carries besides its target and arguments; an empty part is
// left unset.
struct ShellLinkDetails
{
    std::wstring workingFolder;
    std::wstring iconPath; // the file's first icon
    std::wstring description; // shown on hovering the link
};

// Saves a shell link (.lnk) at linkPath that starts targetPath with
// arguments. True only when the link file was written with its target,
// arguments and working folder; an icon or description the shell refuses
// only costs the looks. On failure the failing call's HRESULT is left for
// lastError() (platform/system_error.h). Initialises COM for the calling
// thread when nobody has done so yet.
bool createShellLink(const std::wstring &linkPath, const std::wstring &targetPath,
                     const std::wstring &arguments, const ShellLinkDetails &details = {});

// Loads a shell link and gives its target and arguments, and its details
// when asked; false when the file is not a readable link.
bool readShellLink(const std::wstring &linkPath, std::wstring *targetPath, std::wstring *arguments,
                   ShellLinkDetails *details = nullptr);

// The current user's Startup folder (CSIDL_STARTUP), asked once and kept for
// the rest of the process; asked again while the shell has given nothing.
std::wstring startupFolder();

} // namespace platform
