#pragma once

namespace platform {

// Lets another process bring its window to the front. X11 desktops keep no
// foreground right that one process could pass to another, so there is
// nothing to do: true for any id that can name a process, false otherwise.
bool allowForeground(long long processId);

} // namespace platform
