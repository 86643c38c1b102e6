#include "platform/unix/file_move.h"

#include <cstdio>

namespace platform {

bool moveFile(const std::string &from, const std::string &to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace platform
