#pragma once

#include <string>

namespace platform {

// The per-user folders of the XDG base directory rules. Only absolute values
// of XDG_DATA_HOME and XDG_CONFIG_HOME count; otherwise the defaults below
// $HOME apply. Empty when not even $HOME is known.
std::string xdgDataHome();
std::string xdgConfigHome();

// Where launchers that start with the session live: $XDG_CONFIG_HOME/autostart.
std::string autostartFolder();

// The user's own program folder on the search path: ~/.local/bin.
std::string userBinFolder();

// Creates path and its missing parents (mode 0755).
bool makeFolders(const std::string &path, std::string *error);

// Reads a whole file. A missing file counts as empty, not as a failure.
bool readTextFile(const std::string &path, std::string *text, std::string *error);

// Replaces path with contents in one step (a temporary file beside it,
// renamed over it), so a reader never sees half a file and a failure leaves
// the old file intact. When path is a symbolic link, the file it points to
// is replaced and the link stays.
bool writeFileAtomically(const std::string &path, const std::string &contents, unsigned mode,
                         std::string *error);

// Makes linkPath a symbolic link to target, replacing an older link but never
// a file or folder that is not a link.
bool linkProgram(const std::string &linkPath, const std::string &target, std::string *error);

} // namespace platform
