// The account and logon session that the single-instance guard puts into its key.
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
    wchar_t name[256] = {}, domain[256] = {}, user[256] = {};
    DWORD nameSize = 256, domainSize = 256, userSize = 256;
    SID_NAME_USE use = SidTypeUnknown;
    CHECK(ConvertStringSidToSidW(session.sid.c_str(), &sid)
          && LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use));
    CHECK(use == SidTypeUser && GetUserNameW(user, &userSize) && std::wstring(name) == user);
    LocalFree(sid);
    return check::finish("tst_user_session");
}
