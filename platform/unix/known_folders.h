#pragma once

#include <string>

namespace platform {

// The folder that stands in for Program Files on Linux: the user's data
// folder, $XDG_DATA_HOME or ~/.local/share. Empty when neither is known.
std::string programFilesFolder();

} // namespace platform
