// Browse's folder dialog on Windows: it opens with the installer's title,
// gives back the folder the user enters, and nothing when the user cancels.
#include "check.h"
#include "platform/win32/folder_picker.h"

#include <string>
#include <thread>
#include <windows.h>

namespace {

const wchar_t title[] = L"Select install dir";

// Plays the user: waits for the dialog (up to 60 s), then types folder into
// the field that has the focus and presses OK, or presses Cancel when folder
// is empty. False when no dialog with the title appeared.
bool answerDialog(const std::wstring &folder)
{
    for (int tries = 0; tries < 600; ++tries) {
        Sleep(100);
        HWND dialog = FindWindowW(nullptr, title);
        if (!dialog || !IsWindowVisible(dialog))
            continue;
        Sleep(300); // let the dialog finish laying out its controls
        if (folder.empty())
            return PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0) != 0;
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) || !info.hwndFocus)
            continue;
        SendMessageW(info.hwndFocus, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
        return PostMessageW(dialog, WM_COMMAND, IDOK, 0) != 0;
    }
    std::printf("no visible window titled \"%ls\" within 60 s\n", title);
    return false;
}

std::wstring pickWhileAnswering(const std::wstring &start, const std::wstring &answer)
{
    bool answered = false;
    std::thread user([&] { answered = answerDialog(answer); });
    const std::wstring picked = platform::pickFolder(nullptr, title, start);
    user.join();
    CHECK(answered);
    return picked;
}

} // namespace

int wmain()
{
    wchar_t temp[MAX_PATH];
    CHECK(GetTempPathW(MAX_PATH, temp) > 0);
    const std::wstring base = std::wstring(temp) + L"tst_folder_picker-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring chosen = base + L"\\Chosen";
    CHECK(CreateDirectoryW(base.c_str(), nullptr));
    CHECK(CreateDirectoryW(chosen.c_str(), nullptr));

    CHECK(pickWhileAnswering(base, L"").empty());
    const std::wstring picked = pickWhileAnswering(base, chosen);
    std::printf("picked \"%ls\"\n", picked.c_str());
    CHECK(_wcsicmp(picked.c_str(), chosen.c_str()) == 0);

    RemoveDirectoryW(chosen.c_str());
    RemoveDirectoryW(base.c_str());
    return check::finish("tst_folder_picker");
}
