#pragma once

#include <string>

namespace platform {

// Returns the text of a mimeapps.list in which desktopId is the default
// application for mimeType: the key in [Default Applications] is set (the
// product first, handlers that were listed before stay behind it as
// fallbacks) or added, and the group is created when missing. Every other
// group, key and comment is kept as it was.
std::string withDefaultApplication(const std::string &mimeappsText, const std::string &mimeType,
                                   const std::string &desktopId);

} // namespace platform
