#include "config/install_location.h"

#include "config/native_path.h"
#include "config/program_files_folder.h"
#include "platform/known_folders.h"

#include <QDir>

InstallLocation chooseInstallLocation(const QString &programFiles, const QString &userPrograms,
                                      bool canCreateInProgramFiles)
{
    if (userPrograms.isEmpty() || (canCreateInProgramFiles && !programFiles.isEmpty()))
        return { programFiles, false };
    return { userPrograms, true };
}

InstallLocation defaultInstallLocation()
{
    const QString programFiles = programFilesFolder();
    // Linux names no per-user folder: its stand-in for Program Files, the
    // data folder, is the user's own already, and nothing needs probing.
    const QString userPrograms = fromNativePath(platform::userProgramFilesFolder());
    const bool canCreate = !userPrograms.isEmpty() && !programFiles.isEmpty()
        && platform::canCreateFolderIn(toNativePath(programFiles));
    const InstallLocation location = chooseInstallLocation(programFiles, userPrograms, canCreate);
    // The user's programs folder is made on first use, by Windows as by us:
    // the start page wants the install folder's parent to exist.
    if (location.perUser)
        QDir().mkpath(location.baseFolder);
    return location;
}

QString ownInstallBase()
{
    return chooseInstallLocation(programFilesFolder(),
                                 fromNativePath(platform::userProgramFilesFolder()), false)
        .baseFolder;
}
