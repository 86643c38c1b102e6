#include "config/program_files_folder.h"

#include "config/native_path.h"
#include "platform/known_folders.h"

QString programFilesFolder()
{
    return fromNativePath(platform::programFilesFolder());
}
