#pragma once

#include <string>

namespace platform {

// Who runs this process and where: the account's security identifier and the
// Windows session (the console, a fast-user-switching or a Remote Desktop
// logon) the process belongs to. Two people logged on at once differ in both;
// one account logged on twice differs in the session.
struct UserSession
{
    // The account's SID in its string form, "S-1-5-21-..."; empty when the
    // process token could not be read.
    std::wstring sid;
    // The session number, 0 or above; -1 when Windows did not say.
    long long sessionId = -1;
};

UserSession currentUserSession();

} // namespace platform
