#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// One entry of a package, as its archive's central directory describes it.
struct ArchiveEntry
{
    enum Kind { File, Folder, Link };
    Kind kind = File;
    QString path; // relative, "/"-separated, checked (see EntryName); empty for "./"
    quint64 size = 0; // uncompressed bytes
    quint32 crc = 0;
    quint32 mode = 0; // Unix permission bits when the archive keeps them, else 0
    QString linkTarget; // for links: the relative path the link holds
};

// The whole listing of a package, read and judged before anything is
// written: every name checked, no two entries landing in one place (as the
// target file system compares names), no entry below a file or a link, and
// every link leading to an entry of the package, resolved the way the file
// system would resolve it, links through links included. Entries are kept
// in archive order, which is the order the extraction meets them in.
//
// Only stored and deflated entries are unpacked: other methods go through
// decoders that a damaged entry can keep busy for ever. The listing's size
// is bounded, and its judgement keeps one node per path step, so memory and
// time grow with the listing's bytes, however deep or long its names are.
class PathTree;

class ArchiveIndex
{
    Q_DECLARE_TR_FUNCTIONS(ArchiveIndex)

public:
    // Longest link target that is read; a real one is a short relative path.
    static constexpr int maxLinkTarget = 4096;
    // Far beyond any real product, and a bound on the judgement's memory:
    // entries, and bytes of the central directory that lists them.
    static constexpr quint64 maxEntries = 4000000;
    static constexpr quint64 maxListingBytes = quint64(512) << 20;

    static ArchiveIndex read(const QString &zipPath);

    bool isValid() const { return m_problem.isEmpty(); }
    // Why the package is refused (translated, naming the entry), or empty.
    QString problem() const { return m_problem; }
    const QVector<ArchiveEntry> &entries() const { return m_entries; }
    // Sum of the regular files' sizes; false when it overflows.
    bool fileBytes(quint64 *bytes) const;
    // Blocks of blockSize that the unpacked tree takes at least: every file
    // rounded up to whole blocks, one block per folder and link. False when
    // the sum overflows, which no volume could hold anyway.
    bool blocksNeeded(quint64 blockSize, quint64 *blocks) const;
    // Whether a regular file of this name lies at the top of the tree.
    bool hasTopLevelFile(const QString &name) const;
    // Whether anything (a file, folder or link) of this name lies there.
    bool hasTopLevelEntry(const QString &name) const;
    // The first of names that is missing as a regular file at the top.
    QString missingTopLevelFile(const QStringList &names) const;

private:
    void judge();
    QString linkProblem(const PathTree &tree, int node) const;

    QVector<ArchiveEntry> m_entries;
    // What is left of the judgement's tree of paths: the top level's
    // collision keys (entry, or -1 for an implied folder) and the count of
    // implied folders.
    QHash<QString, int> m_topLevel;
    int m_impliedFolders = 0;
    QString m_problem;
};
