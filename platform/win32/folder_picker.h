#pragma once

#include "platform/native_string.h"

namespace platform {

// Asks the user for a folder with Windows' own folder dialog (the file-open
// dialog in folder mode), modal to the window owner (an HWND, or null) and
// opening at start when that folder exists. Returns the chosen folder, or an
// empty string when the user cancels or the dialog cannot be shown.
NativeString pickFolder(void *owner, const NativeString &title, const NativeString &start);

} // namespace platform
