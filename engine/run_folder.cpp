#include "engine/run_folder.h"

#include "config/native_path.h"
#include "engine/platform_helpers.h"
#include "platform/new_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool RunFolder::create(const QString &runId)
{
    const QString temp = QDir::tempPath();
    const QFileInfo info(temp);
    // Qt resolves a relative TMPDIR against the working folder, which would
    // put the package among the user's own files; a missing folder comes
    // back empty.
    bool relative = info.isRelative();
#ifndef Q_OS_WIN
    const QString variable = qEnvironmentVariable("TMPDIR");
    relative = relative || (!variable.isEmpty() && QDir::isRelativePath(variable));
#endif
    if (temp.isEmpty() || relative || !info.isDir() || !info.isWritable()) {
        m_error = tr("The temporary folder %1 cannot be used.").arg(QDir::toNativeSeparators(temp));
        return false;
    }
    const QString path = QDir(temp).absoluteFilePath(QStringLiteral("installer-") + runId);
    if (!platform::createFolder(toNativePath(path))) {
        // The system's reason goes with the message into the log.
        const QString reason = lastSystemError();
        m_error = tr("The temporary folder %1 cannot be used.").arg(QDir::toNativeSeparators(temp))
            + QStringLiteral(" (") + reason + QLatin1Char(')');
        return false;
    }
    m_path = path;
    QFile::setPermissions(m_path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}
