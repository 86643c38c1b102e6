#include "engine/package_check.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QStringList>

#include <quazip/quazip.h>
#include <quazip/quazipfileinfo.h>

namespace {

// The entry's path in "/" form without empty or "." steps, so that "a//b/"
// and "./a/b" name the same place.
QString normalEntryPath(const QString &name)
{
    QStringList steps = QString(name)
                            .replace(QLatin1Char('\\'), QLatin1Char('/'))
                            .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    steps.removeAll(QStringLiteral("."));
    return steps.join(QLatin1Char('/'));
}

bool isInside(const QString &path, const QString &root)
{
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

bool isSafeEntryName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')))
        return false;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return false;
    const QStringList steps
        = QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    return !steps.contains(QStringLiteral(".."));
}

PackageListing inspectPackage(const QString &zipPath)
{
    PackageListing listing;
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdUnzip))
        return listing;
    const QList<QuaZipFileInfo64> entries = zip.getFileInfoList64();
    const bool listed = zip.getZipError() == UNZ_OK;
    zip.close();
    if (!listed || entries.isEmpty())
        return listing;
    listing.readable = true;

    QSet<QString> links;
    for (const QuaZipFileInfo64 &entry : entries) {
        if (!isSafeEntryName(entry.name))
            return listing;
        listing.unpackedSize += entry.uncompressedSize;
        if (entry.isSymbolicLink())
            links.insert(normalEntryPath(entry.name));
    }
    // Unpacking "link/file" after a link named "link" would write wherever the
    // link points, before any later check could look at it.
    for (const QuaZipFileInfo64 &entry : entries) {
        QString parent = normalEntryPath(entry.name);
        for (int slash = parent.lastIndexOf(QLatin1Char('/')); slash > 0;
             slash = parent.lastIndexOf(QLatin1Char('/'))) {
            parent.truncate(slash);
            if (links.contains(parent))
                return listing;
        }
    }
    listing.safe = true;
    return listing;
}

bool linksStayInside(const QString &root)
{
    const QString cleanRoot = QFileInfo(root).canonicalFilePath();
    if (cleanRoot.isEmpty())
        return false;
    QDirIterator it(cleanRoot,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        if (!entry.isSymbolicLink() && !entry.isJunction())
            continue;
        // symLinkTarget() joins a relative target to the link's folder
        // without resolving anything: the place the link's text names.
        const QString named = QDir::cleanPath(entry.symLinkTarget());
        if (!isInside(named, cleanRoot))
            return false;
        // Resolved by the file system, a link may still climb out through
        // another link ("a" -> "b/.." with "b" -> "."). A link that leads
        // nowhere inside the package cannot be vouched for either.
        const QString resolved = entry.canonicalFilePath();
        if (resolved.isEmpty() || !isInside(resolved, cleanRoot))
            return false;
    }
    return true;
}
