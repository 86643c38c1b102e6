#pragma once

namespace platform {

// Whether a process with this id still runs. A process that has ended counts
// as gone even while somebody still holds a handle to it (Windows) or while
// its parent has not reaped it yet (a Unix zombie). Ids of zero or below
// never run.
bool isProcessAlive(long long processId);

} // namespace platform
