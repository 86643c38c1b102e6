#pragma once

namespace platform {

// Whether a process with this id still runs. A zombie (ended, not yet reaped
// by its parent) does not count as running. Ids of zero or below never run.
bool isProcessAlive(long long processId);

} // namespace platform
