#include "engine/platform_helpers.h"

#include "config/native_path.h"
#include "platform/disk_space.h"
#include "platform/new_file.h"
#include "platform/processes.h"
#include "platform/system_error.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cstdint>

namespace {

bool isLink(const QFileInfo &info)
{
    // isSymLink() would also take Windows .lnk shortcuts, which are ordinary
    // files of the product.
    return info.isSymbolicLink() || info.isJunction();
}

void removeLink(const QString &path)
{
    // A link to a folder is a directory entry on Windows and goes with rmdir;
    // neither call ever reaches the link's target.
    if (!QFile::remove(path))
        QDir().rmdir(path);
}

void makeOwnerWritable(const QString &path, QFileDevice::Permissions extra = {})
{
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    const QFileDevice::Permissions wanted = permissions | QFileDevice::WriteOwner | extra;
    if (wanted != permissions)
        QFile::setPermissions(path, wanted);
}

} // namespace

QString fileNameFromPath(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

qint64 findProcess(const QString &name)
{
    if (name.isEmpty())
        return 0;
    return platform::findProcess(toNativePath(name));
}

bool terminateProcess(qint64 processId)
{
    if (processId == 0)
        return false;
    return platform::terminateProcess(processId);
}

quint64 diskFreeSpace(const QDir &dir)
{
    // The install folder is usually measured before it exists; its nearest
    // existing parent is on the same volume. Going further up, to the root,
    // would measure the wrong volume wherever one is mounted on a folder.
    QString path = QDir::cleanPath(dir.absolutePath());
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    std::uint64_t freeBytes = 0;
    if (!platform::diskFreeSpace(toNativePath(path), &freeBytes)) {
        qDebug() << "ERROR: Call to GetDiskFreeSpaceEx() failed.";
        return 0;
    }
    return freeBytes;
}

bool volumeBlocks(const QString &path, quint64 *blockSize, quint64 *freeBlocks)
{
    std::uint64_t size = 0;
    std::uint64_t blocks = 0;
    const bool known = platform::volumeBlocks(toNativePath(path), &size, &blocks);
    *blockSize = size;
    *freeBlocks = blocks;
    return known;
}

bool volumeFull(const QString &path)
{
    return platform::volumeFull(toNativePath(path));
}

QString lastSystemError()
{
    const int code = platform::lastError();
    return fromNativeText(platform::errorText(code));
}

bool makeFolders(const QString &folder, QString *reason)
{
    QStringList missing;
    for (QString path = QDir::cleanPath(QDir(folder).absolutePath()); !QFileInfo(path).isDir();) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    for (const QString &path : qAsConst(missing)) {
        if (platform::createFolder(toLongNativePath(path)))
            continue;
        const QString why = lastSystemError();
        // Another process may have made it in the meantime.
        if (QFileInfo(path).isDir())
            continue;
        if (reason)
            *reason = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
        return false;
    }
    return true;
}

bool moveEntry(const QString &from, const QString &to, QString *reason)
{
    if (platform::moveEntry(toLongNativePath(from), toLongNativePath(to)))
        return true;
    *reason = lastSystemError();
    return false;
}

bool removeEmptyFolder(const QString &path, QString *reason)
{
    if (platform::removeFolder(toLongNativePath(path)))
        return true;
    *reason = lastSystemError();
    return false;
}

QString uniqueName()
{
    return QUuid::createUuid()
        .toString()
        .remove(QLatin1Char('-'))
        .remove(QLatin1Char('{'))
        .remove(QLatin1Char('}'));
}

void removeDirectory(const QDir &dir, QString *firstFailure)
{
    const QString path = dir.absolutePath();
    const QFileInfo self(path);
    if (isLink(self)) {
        removeLink(path);
        return;
    }
    if (!self.isDir())
        return;

    const auto noteFailure = [firstFailure](const QString &entry, const QString &reason) {
        if (firstFailure && firstFailure->isEmpty())
            *firstFailure = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(entry), reason);
    };
    // A package may bring read-only folders and files; they are still ours to
    // delete, so make them writable first (on Windows, deleting a read-only
    // file fails otherwise).
    makeOwnerWritable(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        const QString entryPath = entry.absoluteFilePath();
        if (isLink(entry)) {
            removeLink(entryPath);
        } else if (entry.isDir()) {
            removeDirectory(QDir(entryPath), firstFailure);
        } else if (!QFile::remove(entryPath)) {
            makeOwnerWritable(entryPath);
            QFile file(entryPath);
            if (!file.remove())
                noteFailure(entryPath, file.errorString());
        }
    }
    QString reason;
    if (!removeEmptyFolder(path, &reason))
        noteFailure(path, reason);
}
