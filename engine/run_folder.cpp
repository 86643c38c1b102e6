#include "engine/run_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool RunFolder::create(const QString &runId)
{
    const QString temp = QDir::tempPath();
    const QFileInfo info(temp);
    // Qt answers with whatever TMPDIR says, a relative or missing folder
    // included; either would put the package in the working folder or
    // nowhere.
    if (temp.isEmpty() || info.isRelative() || !info.isDir() || !info.isWritable()) {
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
