#include "engine/unpack/package_extractor.h"

#include "engine/unpack/archive_index.h"

#include "config/native_path.h"
#include "engine/platform_helpers.h"
#include "platform/new_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <zlib.h>

namespace {

constexpr int bufferSize = 256 * 1024;

// A packaged program stays executable; no entry gets set-user-id or
// write access for others.
unsigned fileMode(quint32 mode)
{
    return mode == 0 ? 0644u : ((mode & 0755u) | 0600u);
}

} // namespace

PackageExtractor::PackageExtractor(const QString &zipPath, const ArchiveIndex &index,
                                   const QString &folder)
    : m_zipPath(zipPath)
    , m_index(index)
    , m_folder(folder)
{
}

PackageExtractor::Result PackageExtractor::fail(Result result, const QString &message)
{
    // The system's own reason, where a file operation gave one, for the log
    // and for support.
    m_message = m_reason.isEmpty() ? message
                                   : message + QStringLiteral(" (") + m_reason + QLatin1Char(')');
    return result;
}

bool PackageExtractor::ensureFolder(const QString &relativePath)
{
    // Files of one folder usually follow each other; skip the file system
    // for them.
    if (relativePath.isEmpty() || relativePath == m_lastFolder)
        return true;
    const QString path = m_folder + QLatin1Char('/') + relativePath;
    const QFileInfo existing(path);
    if (!existing.isDir() || existing.isSymLink()) {
        // Everything below the folder is the installer's own and holds no
        // link yet, so the parents made here are real folders.
        if (!makeFolders(path, &m_reason) || QFileInfo(path).isSymLink())
            return false;
    }
    m_lastFolder = relativePath;
    return true;
}

PackageExtractor::Result PackageExtractor::run()
{
    QuaZip zip(m_zipPath);
    if (!zip.open(QuaZip::mdUnzip))
        return fail(Failed, tr("The package cannot be read."));
    QByteArray buffer(bufferSize, Qt::Uninitialized);
    const QVector<ArchiveEntry> &entries = m_index.entries();
    bool more = zip.goToFirstFile();
    for (int i = 0; i < entries.size(); ++i, more = zip.goToNextFile()) {
        if (m_cancelled && *m_cancelled)
            return Cancelled;
        const ArchiveEntry &entry = entries.at(i);
        if (!more)
            return fail(Failed, tr("The package changed while it was unpacked."));
        const int slash = entry.path.lastIndexOf(QLatin1Char('/'));
        const QString parent = slash < 0 ? QString() : entry.path.left(slash);
        if (entry.kind == ArchiveEntry::Folder) {
            if (!ensureFolder(entry.path))
                return fail(Failed, tr("The folder \"%1\" could not be created.").arg(entry.path));
            continue;
        }
        if (entry.kind == ArchiveEntry::Link)
            continue;
        if (!ensureFolder(parent))
            return fail(Failed, tr("The folder \"%1\" could not be created.").arg(parent));

        QuaZipFile in(&zip);
        if (!in.open(QIODevice::ReadOnly))
            return fail(Failed,
                        tr("The entry \"%1\" cannot be read from the package.").arg(entry.path));
        const QString path = m_folder + QLatin1Char('/') + entry.path;
        platform::FileFailure failure = platform::FileFailure::None;
        const auto out
            = platform::createNewFile(toLongNativePath(path), fileMode(entry.mode), &failure);
        if (out < 0) {
            m_reason = lastSystemError();
            return failure == platform::FileFailure::DiskFull
                ? fail(DiskFull,
                       tr("The disk is full: \"%1\" could not be written.").arg(entry.path))
                : fail(Failed, tr("\"%1\" could not be created.").arg(entry.path));
        }
        quint64 written = 0;
        uLong crc = crc32(0, nullptr, 0);
        bool readable = true;
        bool overlong = false;
        for (;;) {
            if (m_cancelled && *m_cancelled) {
                platform::closeFile(out);
                return Cancelled;
            }
            const qint64 length = in.read(buffer.data(), buffer.size());
            if (length < 0)
                readable = false;
            if (length <= 0)
                break;
            // More than the archive announced is never written: a lying
            // size must not fill the disk.
            if (quint64(length) > entry.size - written) {
                overlong = true;
                break;
            }
            failure = platform::writeAll(out, buffer.constData(), std::size_t(length));
            if (failure != platform::FileFailure::None) {
                m_reason = lastSystemError();
                break;
            }
            crc = crc32(crc, reinterpret_cast<const Bytef *>(buffer.constData()), uInt(length));
            written += quint64(length);
            if (m_progress)
                m_progress(quint64(length), entry.path);
        }
        const platform::FileFailure closed = platform::closeFile(out);
        if (failure == platform::FileFailure::None && closed != platform::FileFailure::None) {
            m_reason = lastSystemError();
            failure = closed;
        }
        in.close();
        if (failure == platform::FileFailure::DiskFull)
            return fail(DiskFull,
                        tr("The disk is full: \"%1\" could not be written.").arg(entry.path));
        if (failure != platform::FileFailure::None)
            return fail(Failed, tr("\"%1\" could not be written.").arg(entry.path));
        if (overlong)
            return fail(
                Failed,
                tr("The entry \"%1\" holds more data than the package states.").arg(entry.path));
        if (readable && written != entry.size)
            return fail(Failed,
                        tr("The entry \"%1\" has %2 bytes instead of the %3 the package "
                           "states.")
                            .arg(entry.path)
                            .arg(written)
                            .arg(entry.size));
        if (quint32(crc) != entry.crc)
            return fail(Failed, tr("The entry \"%1\" fails its CRC-32 check.").arg(entry.path));
        if (!readable || in.getZipError() != UNZ_OK)
            return fail(Failed, tr("The entry \"%1\" is damaged in the package.").arg(entry.path));
    }
    zip.close();

    // Links last, once no file is left to be written below one. On Windows
    // making them needs rights an ordinary user does not have; they were
    // checked with the index all the same.
#ifndef Q_OS_WIN
    for (const ArchiveEntry &entry : entries) {
        if (entry.kind != ArchiveEntry::Link)
            continue;
        const int slash = entry.path.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !ensureFolder(entry.path.left(slash)))
            return fail(Failed,
                        tr("The folder \"%1\" could not be created.").arg(entry.path.left(slash)));
        if (!QFile::link(entry.linkTarget, m_folder + QLatin1Char('/') + entry.path))
            return fail(Failed, tr("The link \"%1\" could not be created.").arg(entry.path));
    }
#endif
    return Done;
}
