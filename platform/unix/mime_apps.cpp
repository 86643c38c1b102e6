#include "platform/unix/mime_apps.h"

#include <sstream>
#include <vector>

namespace platform {

namespace {

const char defaultGroup[] = "[Default Applications]";

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t\r");
    // Nothing but blanks and a carriage return (" \r") is empty too.
    if (first == std::string::npos || last == std::string::npos || last < first)
        return std::string();
    return text.substr(first, last - first + 1);
}

bool isGroupHeader(const std::string &line)
{
    const std::string text = trimmed(line);
    return !text.empty() && text.front() == '[';
}

// The key of a "key=value" line, or empty for blanks and comments.
std::string keyOf(const std::string &line)
{
    const std::string text = trimmed(line);
    if (text.empty() || text.front() == '#')
        return std::string();
    const auto equals = text.find('=');
    return equals == std::string::npos ? std::string() : trimmed(text.substr(0, equals));
}

// The product first, then the handlers named before, without repeats.
std::string mergedValue(const std::string &line, const std::string &desktopId)
{
    std::string value = desktopId + ';';
    std::istringstream previous(trimmed(line.substr(line.find('=') + 1)));
    std::string item;
    while (std::getline(previous, item, ';')) {
        item = trimmed(item);
        if (!item.empty() && item != desktopId)
            value += item + ';';
    }
    return value;
}

} // namespace

std::string withDefaultApplication(const std::string &mimeappsText, const std::string &mimeType,
                                   const std::string &desktopId)
{
    std::vector<std::string> lines;
    std::istringstream input(mimeappsText);
    for (std::string line; std::getline(input, line);)
        lines.push_back(line);

    const std::string newLine = mimeType + '=' + desktopId + ';';
    std::size_t group = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (trimmed(lines[i]) == defaultGroup) {
            group = i;
            break;
        }
    }

    if (group == lines.size()) {
        if (!lines.empty() && !trimmed(lines.back()).empty())
            lines.emplace_back();
        lines.emplace_back(defaultGroup);
        lines.push_back(newLine);
    } else {
        std::size_t end = group + 1;
        while (end < lines.size() && !isGroupHeader(lines[end]))
            ++end;
        bool replaced = false;
        for (std::size_t i = group + 1; i < end && !replaced; ++i) {
            if (keyOf(lines[i]) == mimeType) {
                lines[i] = mimeType + '=' + mergedValue(lines[i], desktopId);
                replaced = true;
            }
        }
        if (!replaced) {
            // After the group's last entry, before the blank lines that
            // separate it from the next group.
            std::size_t insertAt = end;
            while (insertAt > group + 1 && trimmed(lines[insertAt - 1]).empty())
                --insertAt;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
        }
    }

    std::string text;
    for (const std::string &line : lines)
        text += line + '\n';
    return text;
}

} // namespace platform
