#pragma once

namespace platform {

// Whether a process with this id still runs. A process that has ended counts
// as gone even while somebody still holds a handle to it. Ids of zero or
// below never run.
bool isProcessAlive(long long processId);

} // namespace platform
