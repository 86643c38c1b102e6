#pragma once

#include "platform/native_string.h"

namespace platform {

// The calling thread's last system error: errno on Unix, GetLastError() on
// Windows. Read it right after the call that failed; the functions of this
// layer that say so leave it as their failed system call set it.
int lastError();

// The system's own words for an error code ("Permission denied", "Access is
// denied."), in the system's language, without a line end.
NativeString errorText(int code);

} // namespace platform
