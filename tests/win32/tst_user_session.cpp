// Who runs the installer, as the single-instance guard puts it into its key:
// the account's SID and the logon session.
#include "check.h"
#include "platform/win32/user_session.h"

#include <windows.h>

#include <sddl.h>
#include <string>

int wmain()
{
    const platform::UserSession session = platform::currentUserSession();
    CHECK(session.sid.compare(0, 4, L"S-1-") == 0);
    CHECK(session.sessionId >= 0);

    // The text names the account this process runs as.
    PSID sid = nullptr;
    CHECK(ConvertStringSidToSidW(session.sid.c_str(), &sid));
    if (sid) {
        wchar_t name[256] = {}, domain[256] = {}, user[256] = {};
        DWORD nameSize = 256, domainSize = 256, userSize = 256;
        SID_NAME_USE use = SidTypeUnknown;
        CHECK(LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use));
        CHECK(use == SidTypeUser);
        CHECK(GetUserNameW(user, &userSize));
        CHECK(std::wstring(name) == user);
        LocalFree(sid);
    }
    return check::finish("tst_user_session");
}
