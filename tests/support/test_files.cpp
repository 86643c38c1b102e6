#include "support/test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace TestFiles {

QFileDevice::Permissions regular()
{
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
        | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
}

QFileDevice::Permissions executable()
{
    return regular() | QFileDevice::ExeOwner | QFileDevice::ExeUser | QFileDevice::ExeGroup
        | QFileDevice::ExeOther;
}

bool writeFile(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    // A write that fills the disk may only fail when the buffer is flushed.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size() && file.flush()
        && (!permissions || file.setPermissions(permissions));
    if (!written)
        qWarning("cannot write %s: %s", qPrintable(path), qPrintable(file.errorString()));
    return written;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = file.readAll();
    return bytes.isNull() ? QByteArray("") : bytes;
}

QString readText(const QString &path)
{
    return QString::fromUtf8(readFile(path));
}

QMap<QString, QByteArray> filesBelow(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(root.relativeFilePath(path), readFile(path));
    }
    return files;
}

} // namespace TestFiles
