#pragma once

#include <string>

namespace platform {

// The shell's Program Files folder (CSIDL_PROGRAM_FILES), or empty.
std::wstring programFilesFolder();

} // namespace platform
