#include "config/program_files_folder.h"

#ifdef Q_OS_WIN
#include "platform/win32/known_folders.h"
#else
#include "platform/unix/known_folders.h"
#endif

#include <QDir>

QString programFilesFolder()
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdWString(platform::programFilesFolder()));
#else
    return QString::fromStdString(platform::programFilesFolder());
#endif
}
