#include "platform/unix/freedesktop.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::string home()
{
    const char *value = std::getenv("HOME");
    return value ? std::string(value) : std::string();
}

std::string xdgFolder(const char *variable, const char *fallbackBelowHome)
{
    const char *value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    const std::string homeFolder = home();
    return homeFolder.empty() ? std::string() : homeFolder + fallbackBelowHome;
}

bool fail(std::string *error, const std::string &what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

std::string parentOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to path really changes: the end of a chain of links, so
// that a linked configuration file (a dotfiles checkout, say) keeps its
// link, even while the file it names does not exist yet.
std::string resolvedForWriting(const std::string &path)
{
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status;
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0)
            return current;
        const std::string next(target, static_cast<std::size_t>(length));
        current = next.front() == '/' ? next : parentOf(current) + '/' + next;
    }
    return current;
}

bool writeAll(int fd, const std::string &contents)
{
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string xdgDataHome()
{
    return xdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string xdgConfigHome()
{
    return xdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string autostartFolder()
{
    const std::string config = xdgConfigHome();
    return config.empty() ? std::string() : config + "/autostart";
}

std::string userBinFolder()
{
    const std::string homeFolder = home();
    return homeFolder.empty() ? std::string() : homeFolder + "/.local/bin";
}

bool makeFolders(const std::string &path, std::string *error)
{
    if (path.empty()) {
        if (error)
            *error = "no folder given";
        return false;
    }
    std::string partial;
    std::size_t position = 0;
    while (position != std::string::npos) {
        position = path.find('/', position + 1);
        partial = path.substr(0, position);
        if (partial.empty() || mkdir(partial.c_str(), 0755) == 0 || errno == EEXIST)
            continue;
        return fail(error, "cannot create " + partial);
    }
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        errno = ENOTDIR;
        return fail(error, path);
    }
    return true;
}

bool readTextFile(const std::string &path, std::string *text, std::string *error)
{
    text->clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? true : fail(error, "cannot read " + path);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int readError = errno;
            close(fd);
            errno = readError;
            return fail(error, "cannot read " + path);
        }
        if (n == 0)
            break;
        text->append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

bool writeFileAtomically(const std::string &path, const std::string &contents, unsigned mode,
                         std::string *error)
{
    const std::string target = resolvedForWriting(path);
    std::string temporary = target + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return fail(error, "cannot write " + target);
    temporary = name.data();

    const bool written
        = writeAll(fd, contents) && fchmod(fd, static_cast<mode_t>(mode)) == 0 && fsync(fd) == 0;
    const int writeError = errno;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), target.c_str()) != 0) {
        const int lastError = written ? errno : writeError;
        unlink(temporary.c_str());
        errno = lastError;
        return fail(error, "cannot write " + target);
    }
    return true;
}

bool linkProgram(const std::string &linkPath, const std::string &target, std::string *error)
{
    struct stat status;
    if (lstat(linkPath.c_str(), &status) == 0 && !S_ISLNK(status.st_mode)) {
        errno = EEXIST;
        return fail(error, linkPath + " is not a link and is left alone");
    }
    if (!makeFolders(parentOf(linkPath), error))
        return false;

    // A new link beside the old one, renamed over it: there is no moment
    // without a working link.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary
            = linkPath + ".new" + std::to_string(getpid()) + '-' + std::to_string(attempt);
        if (symlink(target.c_str(), temporary.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return fail(error, "cannot link " + linkPath);
        }
        if (rename(temporary.c_str(), linkPath.c_str()) != 0) {
            const int renameError = errno;
            unlink(temporary.c_str());
            errno = renameError;
            return fail(error, "cannot link " + linkPath);
        }
        return true;
    }
    return fail(error, "cannot link " + linkPath);
}

} // namespace platform
