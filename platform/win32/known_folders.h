#pragma once

#include <string>

namespace platform {

// The shell's Program Files folder (CSIDL_PROGRAM_FILES), or empty.
std::wstring programFilesFolder();

// The current user's own programs folder (FOLDERID_UserProgramFiles,
// %LOCALAPPDATA%\Programs), whether it exists yet or not; empty when the
// system does not know it.
std::wstring userProgramFilesFolder();

// Whether this process can create a folder in folder: a real probe that
// creates a uniquely named folder there and removes it again. False when
// the folder does not exist.
bool canCreateFolderIn(const std::wstring &folder);

} // namespace platform
