#pragma once

namespace platform {

// Lets another process bring its window to the front. Windows gives the
// foreground only to the process the user last started or clicked; a later
// installer start that hands over to the running one passes that right on,
// or the running one's window would only flash on the task bar. True when
// Windows accepted it; false when it refused (this process may not set the
// foreground itself) or the id cannot name a process. X11 desktops keep no
// foreground right that one process could pass to another: there, true for
// any id that can name a process.
bool allowForeground(long long processId);

} // namespace platform
