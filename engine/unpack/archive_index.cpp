#include "engine/unpack/archive_index.h"

#include "engine/unpack/entry_name.h"
#include "engine/unpack/path_tree.h"

#include <QtEndian>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/unzip.h>

#include <zlib.h>

namespace {

constexpr quint32 unixTypeMask = 0170000;
constexpr quint32 unixLink = 0120000;
constexpr quint32 unixFolder = 0040000;
constexpr quint32 unixFile = 0100000;
constexpr uLong unixHost = 3;
constexpr uLong dosFolderAttribute = 0x10;
constexpr uLong encryptedFlag = 0x1;
constexpr int linkHops = 40;
constexpr uLong storedMethod = 0;
// The fixed part of a central directory header, before its name, extra
// field and comment.
constexpr quint64 centralHeaderBytes = 46;

QString tooLarge()
{
    return ArchiveIndex::tr("The package is invalid: it lists more than %1 entries, or its "
                            "listing takes more than %2 MB.")
        .arg(ArchiveIndex::maxEntries)
        .arg(ArchiveIndex::maxListingBytes >> 20);
}

// The Info-ZIP Unicode Path field: the UTF-8 name of an entry whose stored
// name is in a legacy code page, valid only while its checksum matches the
// stored name (a later tool may have renamed the entry).
QString unicodePathOf(const QByteArray &extra, const QByteArray &rawName)
{
    for (int at = 0; at + 4 <= extra.size();) {
        const quint16 id = qFromLittleEndian<quint16>(extra.constData() + at);
        const int length = qFromLittleEndian<quint16>(extra.constData() + at + 2);
        if (at + 4 + length > extra.size())
            break;
        if (id == 0x7075 && length >= 5 && extra.at(at + 4) == 1) {
            const quint32 sum = qFromLittleEndian<quint32>(extra.constData() + at + 5);
            const quint32 actual = quint32(crc32(
                0, reinterpret_cast<const Bytef *>(rawName.constData()), uInt(rawName.size())));
            if (sum == actual) {
                const QByteArray name = extra.mid(at + 9, length - 5);
                const QString decoded = QString::fromUtf8(name);
                if (decoded.toUtf8() == name)
                    return decoded;
            }
        }
        at += 4 + length;
    }
    return QString();
}

bool checkedAdd(quint64 *sum, quint64 value)
{
    if (value > ~quint64(0) - *sum)
        return false;
    *sum += value;
    return true;
}

} // namespace

ArchiveIndex ArchiveIndex::read(const QString &zipPath)
{
    ArchiveIndex index;
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdUnzip)) {
        index.m_problem = tr("The package is not a readable zip archive.");
        return index;
    }
    unz_global_info64 global;
    if (unzGetGlobalInfo64(zip.getUnzFile(), &global) == UNZ_OK
        && global.number_entry > maxEntries) {
        index.m_problem = tooLarge();
        return index;
    }
    QByteArray rawName(65536, Qt::Uninitialized);
    QByteArray extra(65536, Qt::Uninitialized);
    quint64 listingBytes = 0;
    bool more = zip.goToFirstFile();
    for (; more; more = zip.goToNextFile()) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip.getUnzFile(), &info, rawName.data(), uLong(rawName.size()),
                                    extra.data(), uLong(extra.size()), nullptr, 0)
            != UNZ_OK)
            break;
        listingBytes += centralHeaderBytes + info.size_filename + info.size_file_extra
            + info.size_file_comment;
        if (quint64(index.m_entries.size()) >= maxEntries || listingBytes > maxListingBytes) {
            index.m_entries.clear();
            index.m_problem = tooLarge();
            return index;
        }
        const QByteArray name = rawName.left(int(info.size_filename));
        const EntryName entryName(name, (info.flag & EntryName::utf8Flag) != 0,
                                  unicodePathOf(extra.left(int(info.size_file_extra)), name));
        if (!entryName.isValid()) {
            index.m_problem = tr("The package is invalid: the entry \"%1\" cannot be unpacked "
                                 "safely (%2).")
                                  .arg(entryName.shownName(), entryName.problem());
            return index;
        }
        if (info.flag & encryptedFlag) {
            index.m_problem = tr("The package is invalid: the entry \"%1\" is encrypted.")
                                  .arg(entryName.shownName());
            return index;
        }
        if (info.compression_method != storedMethod && info.compression_method != Z_DEFLATED) {
            index.m_problem = tr("The package is invalid: the entry \"%1\" is compressed with "
                                 "method %2; only stored and deflated entries can be unpacked.")
                                  .arg(entryName.shownName())
                                  .arg(info.compression_method);
            return index;
        }

        ArchiveEntry entry;
        entry.path = entryName.path();
        entry.size = info.uncompressed_size;
        entry.crc = quint32(info.crc);
        const quint32 unixMode
            = (info.version >> 8) == unixHost ? quint32(info.external_fa >> 16) : 0;
        const quint32 type = unixMode & unixTypeMask;
        entry.mode = unixMode & 0777;
        if (type == unixLink) {
            entry.kind = ArchiveEntry::Link;
        } else if (type == unixFolder || entryName.endsWithSeparator()
                   || (type == 0 && (info.external_fa & dosFolderAttribute))) {
            entry.kind = ArchiveEntry::Folder;
        } else if (type != 0 && type != unixFile) {
            index.m_problem = tr("The package is invalid: the entry \"%1\" is neither a file, a "
                                 "folder nor a link.")
                                  .arg(entryName.shownName());
            return index;
        }
        if (entryName.isRoot() && entry.kind != ArchiveEntry::Folder) {
            index.m_problem = tr("The package is invalid: the entry \"%1\" cannot be unpacked "
                                 "safely (%2).")
                                  .arg(entryName.shownName(), EntryName::tr("it names no file"));
            return index;
        }
        if (entry.kind == ArchiveEntry::Link) {
            // A link's target is its content; it is needed now, to judge
            // the link before anything is written.
            QuaZipFile file(&zip);
            QByteArray target;
            if (entry.size <= quint64(maxLinkTarget) && file.open(QIODevice::ReadOnly))
                target = file.read(maxLinkTarget + 1);
            file.close();
            QString text;
            if (target.isEmpty() || target.size() > maxLinkTarget
                || quint64(target.size()) != entry.size || file.getZipError() != UNZ_OK
                || (text = QString::fromUtf8(target)).toUtf8() != target) {
                index.m_problem = tr("The package is invalid: the link \"%1\" cannot be read.")
                                      .arg(entryName.shownName());
                return index;
            }
            entry.linkTarget = text;
        }
        index.m_entries.append(entry);
    }
    const bool listed = zip.getZipError() == UNZ_OK && !more;
    zip.close();
    if (!listed || index.m_entries.isEmpty()) {
        index.m_entries.clear();
        index.m_problem = tr("The package is not a readable zip archive.");
        return index;
    }
    index.judge();
    return index;
}

void ArchiveIndex::judge()
{
    // One node per distinct step; folders that are only implied by deeper
    // entries count as folders. The order of the entries does not matter:
    // a file met where deeper entries already lie lands on their folder.
    // The tree goes once judged; the top level is kept.
    PathTree tree;
    QVector<int> nodeOfEntry(m_entries.size(), PathTree::top);
    for (int i = 0; i < m_entries.size(); ++i) {
        const ArchiveEntry &entry = m_entries.at(i);
        if (entry.path.isEmpty())
            continue; // "./", the top folder
        const QStringList steps = entry.path.split(QLatin1Char('/'));
        int node = PathTree::top;
        for (int s = 0; s < steps.size(); ++s) {
            bool made = false;
            node = tree.add(node, steps.at(s), &made);
            const int existing = tree.entry(node);
            const bool last = s + 1 == steps.size();
            if (s == 0 && made)
                m_topLevel.insert(EntryName::collisionKey(steps.at(s)), last ? i : -1);
            if (!last) {
                if (existing >= 0 && m_entries.at(existing).kind != ArchiveEntry::Folder) {
                    // Unpacking below a link would write wherever it points.
                    m_problem = tr("The package is invalid: \"%1\" lies below a file or link.")
                                    .arg(entry.path);
                    return;
                }
            } else if (!made) {
                const bool bothFolders = entry.kind == ArchiveEntry::Folder
                    && (existing < 0 || m_entries.at(existing).kind == ArchiveEntry::Folder);
                if (!bothFolders) {
                    m_problem
                        = tr("The package is invalid: two entries land on \"%1\".").arg(entry.path);
                    return;
                }
            }
            if (last && existing < 0) {
                tree.setEntry(node, i);
                if (s == 0)
                    m_topLevel.insert(EntryName::collisionKey(steps.at(s)), i);
            }
        }
        nodeOfEntry[i] = node;
    }
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).kind != ArchiveEntry::Link)
            continue;
        const QString why = linkProblem(tree, nodeOfEntry.at(i));
        if (!why.isEmpty()) {
            m_problem
                = tr("The package is invalid: the link \"%1\" %2.").arg(m_entries.at(i).path, why);
            return;
        }
    }
    for (int node = 1; node < tree.size(); ++node)
        m_impliedFolders += tree.entry(node) < 0 ? 1 : 0;
}

QString ArchiveIndex::linkProblem(const PathTree &tree, int link) const
{
    QString target = m_entries.at(tree.entry(link)).linkTarget;
#ifdef Q_OS_WIN
    target.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
    if (target.startsWith(QLatin1Char('/'))
        || (target.size() >= 2 && target.at(1) == QLatin1Char(':')))
        return tr("leads outside the package");
    // Walks the target as the file system will, inside the package's own
    // tree: a step onto a link continues at that link's target, and a ".."
    // above the top leaves the package.
    int node = tree.parent(link);
    QStringList pending = target.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    int hops = 0;
    while (!pending.isEmpty()) {
        const QString step = pending.takeFirst();
        if (step == QLatin1String("."))
            continue;
        if (step == QLatin1String("..")) {
            if (node == PathTree::top)
                return tr("leads outside the package");
            node = tree.parent(node);
            continue;
        }
        if (!EntryName::stepProblem(step).isEmpty())
            return tr("leads to a name that cannot exist");
        const int found = tree.child(node, step);
        if (found < 0)
            return tr("leads to nothing in the package");
        const int foundEntry = tree.entry(found);
        const ArchiveEntry::Kind kind
            = foundEntry < 0 ? ArchiveEntry::Folder : m_entries.at(foundEntry).kind;
        if (kind == ArchiveEntry::Link) {
            if (++hops > linkHops)
                return tr("leads round in a circle");
            const QString next = m_entries.at(foundEntry).linkTarget;
            if (next.startsWith(QLatin1Char('/')))
                return tr("leads outside the package");
            pending = next.split(QLatin1Char('/'), Qt::SkipEmptyParts) + pending;
        } else if (kind == ArchiveEntry::File && !pending.isEmpty()) {
            return tr("leads to nothing in the package");
        } else {
            node = found;
        }
    }
    return QString();
}

bool ArchiveIndex::fileBytes(quint64 *bytes) const
{
    *bytes = 0;
    for (const ArchiveEntry &entry : m_entries) {
        if (entry.kind == ArchiveEntry::File && !checkedAdd(bytes, entry.size))
            return false;
    }
    return true;
}

bool ArchiveIndex::blocksNeeded(quint64 blockSize, quint64 *blocks) const
{
    *blocks = 0;
    if (blockSize == 0)
        return false;
    if (!checkedAdd(blocks, quint64(m_impliedFolders)))
        return false;
    for (const ArchiveEntry &entry : m_entries) {
        const quint64 need = entry.kind == ArchiveEntry::File
            ? entry.size / blockSize + (entry.size % blockSize ? 1 : 0)
            : 1;
        if (!checkedAdd(blocks, need))
            return false;
    }
    return true;
}

bool ArchiveIndex::hasTopLevelFile(const QString &name) const
{
    const int entry = m_topLevel.value(EntryName::collisionKey(name), -1);
    return entry >= 0 && m_entries.at(entry).kind == ArchiveEntry::File;
}

bool ArchiveIndex::hasTopLevelEntry(const QString &name) const
{
    return m_topLevel.contains(EntryName::collisionKey(name));
}

QString ArchiveIndex::missingTopLevelFile(const QStringList &names) const
{
    for (const QString &name : names) {
        if (!hasTopLevelFile(name))
            return name;
    }
    return QString();
}
