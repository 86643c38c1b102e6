#include "platform/system_error.h"

#include <windows.h>

namespace platform {

int lastError()
{
    return static_cast<int>(GetLastError());
}

NativeString errorText(int code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring message = length > 0 && text ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty()
           && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    // A code the system has no words for still tells support something.
    return message.empty() ? L"error " + std::to_wstring(code) : message;
}

} // namespace platform
