#include "platform/foreground.h"

#include <sys/types.h>

namespace platform {

bool allowForeground(long long processId)
{
    return processId > 0 && processId == static_cast<long long>(static_cast<pid_t>(processId));
}

} // namespace platform
