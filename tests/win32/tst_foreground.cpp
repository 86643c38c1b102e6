// A later installer start passes its right to the foreground on to the running one.
#include "check.h"
#include "platform/foreground.h"

#include <cstdio>
#include <windows.h>

int wmain()
{
    // Ids that name no process, and ASFW_ANY, which would name them all.
    CHECK(!platform::allowForeground(0));
    CHECK(!platform::allowForeground(0xffffffffLL));
    // Windows' answer depends on who has the foreground now; the call must come back.
    const bool accepted = platform::allowForeground(GetCurrentProcessId());
    std::printf("foreground right for this process: %s\n", accepted ? "accepted" : "refused");
    return check::finish("tst_foreground");
}
