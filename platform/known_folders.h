#pragma once

#include "platform/native_string.h"

namespace platform {

// Where programs go for every user: the shell's Program Files folder
// (CSIDL_PROGRAM_FILES) on Windows; on Linux the user's data folder,
// $XDG_DATA_HOME or ~/.local/share. Empty when the system does not know it.
NativeString programFilesFolder();

// The current user's own programs folder (FOLDERID_UserProgramFiles,
// %LOCALAPPDATA%\Programs), whether it exists yet or not; empty when the
// system does not know it. Always empty on Linux, where the folder above is
// the user's own already.
NativeString userProgramFilesFolder();

// Windows' system folder (GetSystemDirectoryW), where its own programs such
// as notepad.exe lie; empty on Linux, which has no such folder.
NativeString systemFolder();

// Whether this process can create a folder in folder: a real probe that
// creates a uniquely named folder there and removes it again. False when
// the folder does not exist.
bool canCreateFolderIn(const NativeString &folder);

} // namespace platform
