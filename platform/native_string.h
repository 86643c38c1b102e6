#pragma once

#include <string>

namespace platform {

// Paths and names in the form the system's own calls take them: UTF-16 for
// the Windows API, the file system's bytes on Unix.
#ifdef _WIN32
using NativeString = std::wstring;
#else
using NativeString = std::string;
#endif

} // namespace platform
