#include "platform/unix/desktop_entry.h"

namespace platform {

std::string escapeDesktopString(const std::string &value)
{
    std::string escaped;
    escaped.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case ' ':
            // Readers strip the blanks after '=', so a leading space needs
            // its escape to survive.
            escaped += i == 0 ? "\\s" : " ";
            break;
        default:
            // UTF-8 bytes (>= 0x80) pass unchanged; ASCII control
            // characters are not allowed in a desktop entry at all.
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
                escaped += c;
            break;
        }
    }
    return escaped;
}

std::string quoteExecArgument(const std::string &argument)
{
    // The characters that make quoting necessary; a plain path stays bare,
    // which also suits readers that take the first word of Exec literally.
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool needsQuotes
        = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    std::string quoted = needsQuotes ? "\"" : "";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
        case '\\':
            quoted += '\\';
            quoted += c;
            break;
        case '%':
            quoted += "%%";
            break;
        default:
            quoted += c;
            break;
        }
    }
    if (needsQuotes)
        quoted += '"';
    return quoted;
}

namespace {

std::string execValue(const DesktopEntry &entry)
{
    std::string exec;
    for (const std::string &argument : entry.command) {
        if (!exec.empty())
            exec += ' ';
        exec += quoteExecArgument(argument);
    }
    if (!entry.fieldCodes.empty())
        exec += ' ' + entry.fieldCodes;
    return escapeDesktopString(exec);
}

// A list value: items separated and ended by ';', with a literal ';' escaped.
std::string listValue(const std::vector<std::string> &items)
{
    std::string value;
    for (const std::string &item : items) {
        for (const char c : escapeDesktopString(item)) {
            if (c == ';')
                value += '\\';
            value += c;
        }
        value += ';';
    }
    return value;
}

} // namespace

std::string desktopEntryText(const DesktopEntry &entry)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n";
    text += "Name=" + escapeDesktopString(entry.name) + '\n';
    // A comment that repeats the name tells nothing (and validators say so).
    if (!entry.comment.empty() && entry.comment != entry.name)
        text += "Comment=" + escapeDesktopString(entry.comment) + '\n';
    text += "Exec=" + execValue(entry) + '\n';
    if (!entry.workingFolder.empty())
        text += "Path=" + escapeDesktopString(entry.workingFolder) + '\n';
    if (!entry.icon.empty())
        text += "Icon=" + escapeDesktopString(entry.icon) + '\n';
    text += "Terminal=false\n";
    if (!entry.mimeTypes.empty())
        text += "MimeType=" + listValue(entry.mimeTypes) + '\n';
    if (entry.noDisplay)
        text += "NoDisplay=true\n";
    return text;
}

} // namespace platform
