#include "engine/unzip_worker.h"

#include "engine/install_error.h"
#include "engine/package_check.h"
#include "engine/platform_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileInfoList>
#include <QStringList>

#include <quazip/JlCompress.h>

#ifndef Q_OS_WIN
#include "platform/unix/file_move.h"
#endif

namespace {

const int copyBufferSize = 1024 * 1024;

bool isLink(const QFileInfo &info)
{
    // Not isSymLink(): on Windows that also takes .lnk shortcuts, which are
    // ordinary files of the product.
    return info.isSymbolicLink() || info.isJunction();
}

} // namespace

UnzipWorker::UnzipWorker(QObject *parent)
    : QObject(parent)
{
}

void UnzipWorker::doWork(const QString &zip_file_name, qulonglong bytes_total,
                         const QString &target_dir)
{
    if (cancelled)
        return;
    if (!QFileInfo(target_dir).isDir()) {
        emit done(TargetDirMissing, tr("The target dir is not exist."));
        return;
    }

    // The archive's directory is judged before anything is written.
    QString message = checkPackage(zip_file_name);
    if (!message.isEmpty()) {
        emit done(UnzipFailed, message);
        return;
    }

    // A fresh folder of our own: nothing is removed that was not created here.
    const QString unpackName = uniqueName();
    const QString unpackDir = QDir::temp().absoluteFilePath(unpackName);
    if (!QDir::temp().mkdir(unpackName)) {
        emit done(UnzipDirFailed, tr("Failed to create unzip dir."));
        return;
    }

    int error = NoError;
    if (JlCompress::extractDir(zip_file_name, unpackDir).isEmpty()) {
        error = UnzipFailed;
        message = tr("Failed to unzip install zip.");
    } else if (!linksStayInside(unpackDir)) {
        error = UnzipFailed;
        message = tr("The install package is invalid: it holds a link that leads outside it.");
    } else {
        m_bytesTotal = bytes_total;
        if (!copyTree(unpackDir, target_dir)) {
            error = CopyFailed;
            message = tr("Failed to copy files.");
        }
    }
    // The unpacked copy goes after every outcome, cancelled runs included.
    removeDirectory(QDir(unpackDir));
    if (cancelled)
        return;
    emit done(error, message);
}

QString UnzipWorker::checkPackage(const QString &zipFileName) const
{
    const PackageListing listing = inspectPackage(zipFileName);
    if (!listing.readable)
        return tr("Failed to unzip install zip.");
    if (!listing.safe)
        return tr("The install package is invalid: it would write outside its folder.");
    const quint64 freeBytes = diskFreeSpace(QDir::temp());
    if (listing.unpackedSize > freeBytes) {
        return tr("Not enough free disk space in the temporary folder %1 to unpack the "
                  "package: %2 MB needed, %3 MB free.")
            .arg(QDir::toNativeSeparators(QDir::tempPath()))
            .arg((listing.unpackedSize + 1048575) / 1048576)
            .arg(freeBytes / 1048576);
    }
    return QString();
}

bool UnzipWorker::copyTree(const QString &source, const QString &target)
{
    // Hidden entries are the product's files too (dot-files, files with the
    // hidden attribute). Links are looked at as links, never followed.
    const QFileInfoList entries = QDir(source).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (cancelled)
            return false;
        const QString name = entry.fileName();
        const QString destination = target + QLatin1Char('/') + name;
        if (isLink(entry)) {
            if (!copyLink(entry.absoluteFilePath(), destination))
                return false;
        } else if (entry.isDir()) {
            if (!makeFolder(target, name) || !copyTree(entry.absoluteFilePath(), destination))
                return false;
        } else if (entry.isFile()) {
            // Taken before the file may be moved away from where entry
            // looks.
            const quint64 size = static_cast<quint64>(entry.size());
            if (!installFile(entry, destination))
                return false;
            if (m_bytesTotal > 0) {
                m_bytesCopied += size;
                emit progress(double(m_bytesCopied) / double(m_bytesTotal), name);
            }
        }
        // Anything else (sockets, devices) is not part of a product.
    }
    return true;
}

bool UnzipWorker::makeFolder(const QString &target, const QString &name)
{
    const QString path = target + QLatin1Char('/') + name;
    const QFileInfo existing(path);
    // A link left in the install folder must not lead the copy elsewhere:
    // it is replaced by a real folder.
    if (isLink(existing)) {
        if (!QFile::remove(path) && !QDir().rmdir(path))
            return false;
    } else if (existing.isDir()) {
        return true;
    }
    return QDir(target).mkdir(name);
}

bool UnzipWorker::installFile(const QFileInfo &source, const QString &destination)
{
#ifndef Q_OS_WIN
    // The unpacked tree is ours and is deleted afterwards, so where the
    // temporary folder and the install folder share a volume (the usual
    // case) the file is moved into place: one rename instead of creating,
    // filling and later deleting a second file. With many small files,
    // creating files is what the disk work costs most. The rename keeps the
    // permission bits the unpacking gave the file, and it replaces an entry
    // at the destination (a link included, which is never followed) just as
    // the copy's delete-and-create does.
    //
    // Any refusal falls back to the copy: another volume (the common
    // reason), or a destination that cannot be replaced, where the copy's
    // own delete fails in turn and so reports the failure as before.
    //
    // Not on Windows: a moved file keeps the access rights it got in the
    // user's private temporary folder instead of taking those of the install
    // folder, so other users of the machine could not run the product.
    if (platform::moveFile(QFile::encodeName(source.absoluteFilePath()).toStdString(),
                           QFile::encodeName(destination).toStdString()))
        return true;
#endif
    return copyFile(source, destination);
}

bool UnzipWorker::copyFile(const QFileInfo &source, const QString &destination)
{
    const QFileInfo existing(destination);
    if ((existing.exists() || isLink(existing)) && !QFile::remove(destination))
        return false;
    // Not QFile::copy: on Linux it syncs every file to disk before renaming
    // it into place, which makes a package of many small files crawl.
    QFile in(source.absoluteFilePath());
    QFile out(destination);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    // A new file only: whatever appeared at the destination since the
    // removal (a link, say) is not written through.
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return false;
    if (m_buffer.isEmpty())
        m_buffer.resize(copyBufferSize);
    bool copied = true;
    for (;;) {
        const qint64 length = in.read(m_buffer.data(), m_buffer.size());
        if (length <= 0) {
            copied = length == 0;
            break;
        }
        if (out.write(m_buffer.constData(), length) != length) {
            copied = false;
            break;
        }
    }
    // The permission bits travel with the file, so a packaged program stays
    // executable.
    copied = copied && out.setPermissions(source.permissions());
    out.close();
    if (!copied || out.error() != QFileDevice::NoError) {
        out.remove();
        return false;
    }
    return true;
}

bool UnzipWorker::copyLink(const QString &source, const QString &destination)
{
#ifdef Q_OS_WIN
    // Links inside the package are only checked on Windows, not recreated:
    // making them needs rights an ordinary user does not have.
    Q_UNUSED(source)
    Q_UNUSED(destination)
    return true;
#else
    const QFileInfo link(source);
    const QString target = link.dir().relativeFilePath(link.symLinkTarget());
    const QFileInfo existing(destination);
    if (existing.isDir() && !isLink(existing))
        return false;
    if ((existing.exists() || isLink(existing)) && !QFile::remove(destination))
        return false;
    return QFile::link(target, destination);
#endif
}
