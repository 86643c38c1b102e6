#include "engine/unpack/install_folder_lock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString InstallFolderLock::identityOf(const QString &folder)
{
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    QStringList missing;
    for (;;) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty()) {
            path = canonical;
            break;
        }
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        missing.prepend(QFileInfo(path).fileName());
        path = parent;
    }
    for (const QString &step : qAsConst(missing))
        path += (path.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + step;
#ifdef Q_OS_WIN
    path = path.toCaseFolded();
#endif
    return path;
}

InstallFolderLock::Result InstallFolderLock::acquire(const QString &folder)
{
    release();
    // A digest keeps the name short and free of characters the systems'
    // namespaces treat specially.
    const QByteArray digest
        = QCryptographicHash::hash(identityOf(folder).toUtf8(), QCryptographicHash::Sha256).toHex();
    const std::string name = "installer-folder-" + digest.toStdString();
    switch (platform::acquireMachineLock(name, &m_lock)) {
    case platform::LockResult::Acquired:
        return Acquired;
    case platform::LockResult::Busy:
        return Busy;
    case platform::LockResult::Failed:
        break;
    }
    return Failed;
}

void InstallFolderLock::release()
{
    platform::releaseMachineLock(m_lock);
    m_lock = platform::noMachineLock;
}
