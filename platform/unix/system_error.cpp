#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace platform {

int lastError()
{
    return errno;
}

NativeString errorText(int code)
{
    // The GNU strerror_r gives its text back, which need not be the buffer.
    char buffer[256] = {};
    return ::strerror_r(code, buffer, sizeof buffer);
}

} // namespace platform
