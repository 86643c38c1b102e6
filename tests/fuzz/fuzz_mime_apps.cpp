// libFuzzer target for making the product the default handler of its URL
// scheme in the user's mimeapps.list, a file other programs and the user
// edit too. Whatever the text: every line of it is kept, in order, except
// the one entry for the scheme, which names the product first and keeps the
// handlers it named before; at most the group header, a blank line before
// it and the entry are added; and a second edit changes nothing.
//
// Input: the first byte chooses the scheme and the product's desktop file;
// the rest is the file's text.
#include "platform/unix/mime_apps.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char group[] = "[Default Applications]";

struct Handler
{
    const char *mimeType;
    const char *desktopId;
};
const Handler handlers[] = {
    { "x-scheme-handler/korvantvelmar", "velmar-korvantvelmar.desktop" },
    { "x-scheme-handler/velmar", "velmar.desktop" },
    { "x-scheme-handler/a", "a" },
};

void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_mime_apps: %s\n", what);
    std::abort();
}

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string stripped(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The handlers a "type=a;b;" entry names, in order.
std::vector<std::string> handlersOf(const std::string &line)
{
    std::vector<std::string> items;
    std::string rest = line.substr(line.find('=') + 1) + ';';
    for (std::size_t semicolon; (semicolon = rest.find(';')) != std::string::npos;) {
        const std::string item = stripped(rest.substr(0, semicolon));
        if (!item.empty())
            items.push_back(item);
        rest.erase(0, semicolon + 1);
    }
    return items;
}

bool isEntryFor(const std::string &line, const std::string &mimeType)
{
    const std::string text = stripped(line);
    const std::size_t equals = text.find('=');
    return !text.empty() && text[0] != '#' && equals != std::string::npos
        && stripped(text.substr(0, equals)) == mimeType;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const Handler &handler = handlers[data[0] % (sizeof handlers / sizeof handlers[0])];
    const std::string mimeType = handler.mimeType;
    const std::string desktopId = handler.desktopId;
    const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);

    const std::string edited = platform::withDefaultApplication(text, mimeType, desktopId);
    require(platform::withDefaultApplication(edited, mimeType, desktopId) == edited,
            "a second edit changes the file");

    const std::vector<std::string> before = linesOf(text);
    const std::vector<std::string> after = linesOf(edited);
    require(edited.empty() || edited.back() == '\n', "the file does not end with a line break");

    if (after.size() == before.size()) {
        // One entry rewritten in place: the product first, the others kept.
        std::size_t changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i])
                continue;
            ++changed;
            require(isEntryFor(before[i], mimeType) && isEntryFor(after[i], mimeType),
                    "a line other than the scheme's entry changed");
            std::vector<std::string> expected { desktopId };
            for (const std::string &item : handlersOf(before[i])) {
                if (item != desktopId)
                    expected.push_back(item);
            }
            require(handlersOf(after[i]) == expected, "the entry lost or reordered a handler");
        }
        require(changed <= 1, "more than one line changed");
        if (changed == 0) {
            bool named = false;
            for (const std::string &line : before) {
                named = named
                    || (isEntryFor(line, mimeType) && !handlersOf(line).empty()
                        && handlersOf(line).front() == desktopId);
            }
            require(named, "nothing changed although the product was not the handler");
        }
    } else {
        // Lines added: the old ones stay in order around them.
        require(after.size() > before.size() && after.size() <= before.size() + 3,
                "lines lost or too many added");
        const std::string entry = mimeType + '=' + desktopId + ';';
        std::size_t i = 0;
        for (const std::string &line : after) {
            if (i < before.size() && line == before[i])
                ++i;
            else
                require(line == entry || line == group || line.empty(), "an unexpected line added");
        }
        require(i == before.size(), "a line was lost");
    }
    return 0;
}
