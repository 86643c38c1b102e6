#include "engine/run_folder.h"

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
    const QString name = QStringLiteral("installer-") + runId;
    if (!QDir(temp).mkdir(name)) {
        m_error = tr("The temporary folder %1 cannot be used.").arg(QDir::toNativeSeparators(temp));
        return false;
    }
    m_path = QDir(temp).absoluteFilePath(name);
    QFile::setPermissions(m_path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}
