#include "platform/win32/folder_picker.h"

#include <windows.h>

#include <shobjidl.h>

namespace platform {

namespace {

// Releases a COM interface when it goes out of scope.
template <class Interface>
class ComReference
{
public:
    ComReference() = default;
    ComReference(const ComReference &) = delete;
    ComReference &operator=(const ComReference &) = delete;
    ~ComReference()
    {
        if (m_pointer)
            m_pointer->Release();
    }

    Interface **out() { return &m_pointer; }
    Interface *get() const { return m_pointer; }
    Interface *operator->() const { return m_pointer; }

private:
    Interface *m_pointer = nullptr;
};

NativeString showDialog(HWND owner, const NativeString &title, const NativeString &start)
{
    ComReference<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(dialog.out()))))
        return {};
    DWORD options = 0;
    if (FAILED(dialog->GetOptions(&options))
        || FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM
                                     | FOS_PATHMUSTEXIST)))
        return {};
    if (!title.empty())
        dialog->SetTitle(title.c_str());
    ComReference<IShellItem> startFolder;
    if (!start.empty()
        && SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr,
                                                 IID_PPV_ARGS(startFolder.out()))))
        dialog->SetFolder(startFolder.get());

    ComReference<IShellItem> chosen;
    if (FAILED(dialog->Show(owner)) || FAILED(dialog->GetResult(chosen.out())))
        return {};
    PWSTR path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)))
        return {};
    NativeString picked(path);
    CoTaskMemFree(path);
    return picked;
}

} // namespace

NativeString pickFolder(void *owner, const NativeString &title, const NativeString &start)
{
    // Qt has made the GUI thread a single-threaded apartment already; this
    // only counts one more user of it (or fails harmlessly elsewhere).
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    NativeString picked = showDialog(static_cast<HWND>(owner), title, start);
    if (SUCCEEDED(apartment))
        CoUninitialize();
    return picked;
}

} // namespace platform
