#pragma once

#include <string>
#include <vector>

namespace platform {

// A launcher for the desktop, the application menu or autostart, written as a
// freedesktop desktop entry (Type=Application). Texts are UTF-8.
struct DesktopEntry
{
    std::string name;
    std::string comment;
    // The program and its arguments, one element each; every element is
    // quoted for the Exec key, so paths with spaces or quotes stay whole.
    std::vector<std::string> command;
    // Field codes appended unquoted after the command, e.g. "%u".
    std::string fieldCodes;
    // The folder the program starts in, and its icon (a name or a path);
    // left out when empty.
    std::string workingFolder;
    std::string icon;
    std::vector<std::string> mimeTypes;
    bool noDisplay = false;
};

// Escapes a value of type string: backslash, newline, tab and carriage return
// become two-character escapes, a leading space becomes "\s", and other
// control characters (which a desktop entry may not hold) are dropped.
std::string escapeDesktopString(const std::string &value);

// Quotes one Exec argument where the Desktop Entry rules require it (empty,
// or holding a reserved character such as a space or a quote): enclosed in
// double quotes, with '"', '`', '$' and '\' preceded by a backslash. '%' is
// doubled in any case. The result still needs escapeDesktopString when it is
// written as the value of Exec.
std::string quoteExecArgument(const std::string &argument);

// The whole file, ready to be written.
std::string desktopEntryText(const DesktopEntry &entry);

} // namespace platform
