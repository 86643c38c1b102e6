#include "platform/win32/user_session.h"

// sddl.h needs the declarations of windows.h before it.
#include <windows.h>

#include <sddl.h>
#include <vector>

namespace platform {

namespace {

std::wstring tokenUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return std::wstring();
    std::wstring result;
    // Asked twice: first for the size, which depends on the SID's length.
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size >= sizeof(TOKEN_USER)) {
        std::vector<unsigned char> buffer(size);
        wchar_t *text = nullptr;
        if (GetTokenInformation(token, TokenUser, buffer.data(), size, &size)
            && ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid,
                                      &text)) {
            result = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return result;
}

} // namespace

UserSession currentUserSession()
{
    UserSession session;
    session.sid = tokenUserSid();
    DWORD id = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &id))
        session.sessionId = id;
    return session;
}

} // namespace platform
