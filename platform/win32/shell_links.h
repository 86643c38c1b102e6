#pragma once

#include <string>

namespace platform {

// Saves a shell link (.lnk) at linkPath that starts targetPath with
// arguments. True only when the link file was written. Initialises COM for
// the calling thread when nobody has done so yet.
bool createShellLink(const std::wstring &linkPath, const std::wstring &targetPath,
                     const std::wstring &arguments);

// Loads a shell link and gives its target and arguments; false when the file
// is not a readable link.
bool readShellLink(const std::wstring &linkPath, std::wstring *targetPath, std::wstring *arguments);

// The current user's Startup folder (CSIDL_STARTUP), asked once and kept for
// the rest of the process; asked again while the shell has given nothing.
std::wstring startupFolder();

} // namespace platform
