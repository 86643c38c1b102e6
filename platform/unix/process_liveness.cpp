#include "platform/process_liveness.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <string>
#include <sys/types.h>

namespace platform {

namespace {

// The state letter of /proc/<pid>/stat: it follows the command name, which
// is in parentheses and may itself contain blanks and parentheses.
char procState(long long processId)
{
    std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
    std::string line;
    if (!stat || !std::getline(stat, line))
        return 0;
    const std::string::size_type close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return 0;
    return line[close + 2];
}

} // namespace

bool isProcessAlive(long long processId)
{
    if (processId <= 0 || processId != static_cast<long long>(static_cast<pid_t>(processId)))
        return false;
    // EPERM: the process exists but belongs to somebody else.
    if (::kill(static_cast<pid_t>(processId), 0) != 0 && errno != EPERM)
        return false;
    const char state = procState(processId);
    return state != 'Z' && state != 'X';
}

} // namespace platform
