#include "platform/unix/known_folders.h"

#include <cstdlib>

namespace platform {

std::string programFilesFolder()
{
    // The XDG base directory rules: only an absolute XDG_DATA_HOME counts.
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return dataHome;
    const char *home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + "/.local/share";
    return std::string();
}

} // namespace platform
