#include "platform/processes.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <dirent.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {
namespace {

const char deletedSuffix[] = " (deleted)";

std::string readWholeFile(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::string baseName(const std::string &path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool equalsIgnoringCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The one-letter state after the command name in /proc/<pid>/stat; a zombie
// (Z) or a dead task (X) is no longer running even though it is listed.
char processState(const std::string &procDir)
{
    const std::string stat = readWholeFile(procDir + "/stat");
    const std::string::size_type close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size())
        return '\0';
    return stat[close + 2];
}

std::string executableName(const std::string &procDir)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlink((procDir + "/exe").c_str(), target, sizeof target - 1);
    if (length > 0) {
        std::string path(target, static_cast<std::size_t>(length));
        // A program replaced on disk while running (an update) keeps its name.
        const std::string::size_type suffixLength = sizeof deletedSuffix - 1;
        if (path.size() > suffixLength
            && path.compare(path.size() - suffixLength, suffixLength, deletedSuffix) == 0)
            path.resize(path.size() - suffixLength);
        return baseName(path);
    }
    const std::string commandLine = readWholeFile(procDir + "/cmdline");
    if (!commandLine.empty())
        return baseName(std::string(commandLine.c_str()));
    std::string shortName = readWholeFile(procDir + "/comm");
    if (!shortName.empty() && shortName.back() == '\n')
        shortName.pop_back();
    return shortName;
}

bool isGone(pid_t processId)
{
    if (::kill(processId, 0) != 0 && errno == ESRCH)
        return true;
    const char state = processState("/proc/" + std::to_string(processId));
    return state == '\0' || state == 'Z' || state == 'X';
}

} // namespace

std::int64_t findProcess(const NativeString &executableName)
{
    if (executableName.empty())
        return 0;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return 0;
    std::int64_t found = 0;
    while (const dirent *entry = ::readdir(proc)) {
        char *end = nullptr;
        const long long processId = std::strtoll(entry->d_name, &end, 10);
        if (processId <= 0 || *end != '\0')
            continue;
        const std::string procDir = std::string("/proc/") + entry->d_name;
        if (!equalsIgnoringCase(platform::executableName(procDir), executableName))
            continue;
        const char state = processState(procDir);
        if (state == '\0' || state == 'Z' || state == 'X')
            continue;
        found = processId;
        break;
    }
    ::closedir(proc);
    return found;
}

bool terminateProcess(std::int64_t processId)
{
    // kill() with 0 or a negative id would reach whole process groups.
    if (processId <= 0 || processId > INT_MAX)
        return false;
    const pid_t pid = static_cast<pid_t>(processId);
    if (::kill(pid, SIGKILL) != 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (!isGone(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return true;
}

} // namespace platform
