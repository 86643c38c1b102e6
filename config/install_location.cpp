#include "config/install_location.h"

#include "config/program_files_folder.h"

#ifdef Q_OS_WIN
#include "platform/win32/known_folders.h"

#include <QDir>
#endif

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
#ifdef Q_OS_WIN
    const QString userPrograms
        = QDir::fromNativeSeparators(QString::fromStdWString(platform::userProgramFilesFolder()));
    const bool canCreate = !programFiles.isEmpty()
        && platform::canCreateFolderIn(QDir::toNativeSeparators(programFiles).toStdWString());
    const InstallLocation location = chooseInstallLocation(programFiles, userPrograms, canCreate);
    // The user's programs folder is made on first use, by Windows as by us:
    // the start page wants the install folder's parent to exist.
    if (location.perUser)
        QDir().mkpath(location.baseFolder);
    return location;
#else
    // The Linux stand-in for Program Files is the user's data folder.
    return { programFiles, false };
#endif
}
