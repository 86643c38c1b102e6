// libFuzzer target for the most hostile input the installer reads: the bytes
// of a package. The listing is judged as the installer judges it, and a
// package that passes is unpacked into a throw-away folder. Whatever the
// bytes: nothing appears outside that folder, nothing appears inside it that
// the listing does not name, an extraction reported done left every entry as
// the listing states it, and every link leads to a place inside the folder.
//
// Run with -timeout (a read that never ends is a finding, not a stuck run)
// and -rss_limit_mb / -malloc_limit_mb (memory must stay bounded).
#include "engine/unpack/archive_index.h"
#include "engine/unpack/package_extractor.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Listings that state more than this are judged but not unpacked: the
// installer compares the stated size with the free space first, and a
// deflated entry may stand for a thousand times its own bytes.
constexpr quint64 unpackLimit = 16 * 1024 * 1024;

void require(bool condition, const char *what, const QString &detail = QString())
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_package: %s %s\n", what, qPrintable(detail));
    std::abort();
}

bool isInside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Every path a judged listing may leave below the folder: its entries and
// the folders above them.
QSet<QString> namedPaths(const ArchiveIndex &index)
{
    QSet<QString> paths;
    for (const ArchiveEntry &entry : index.entries()) {
        for (QString path = entry.path; !path.isEmpty();
             path = path.left(qMax(0, path.lastIndexOf(QLatin1Char('/')))))
            paths.insert(path);
    }
    return paths;
}

void checkListing(const ArchiveIndex &index)
{
    require(!index.entries().isEmpty(), "an accepted listing without entries");
    for (const ArchiveEntry &entry : index.entries()) {
        const QStringList steps = entry.path.split(QLatin1Char('/'));
        for (const QString &step : steps)
            require(!step.isEmpty() && step != QLatin1String(".") && step != QLatin1String(".."),
                    "an accepted path with an empty, \".\" or \"..\" step:", entry.path);
        require(entry.kind != ArchiveEntry::Link || !entry.linkTarget.isEmpty(),
                "an accepted link without a target:", entry.path);
    }
}

void checkTree(const QString &box, const QString &out, const ArchiveIndex *index, bool done)
{
    const QString zip = box + QStringLiteral("/package.zip");
    const QSet<QString> named = index ? namedPaths(*index) : QSet<QString>();
    const QString realOut = QFileInfo(out).canonicalFilePath();
    QDirIterator it(QFileInfo(box).path(),
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path == box || path == zip || path == out)
            continue;
        require(path.startsWith(out + QLatin1Char('/')), "written outside the folder:", path);
        const QString relative = path.mid(out.size() + 1);
        require(named.contains(relative), "a path the listing does not name:", relative);
        const QFileInfo info(path);
        if (info.isSymLink() && done) {
            const QString target = info.canonicalFilePath();
            require(!target.isEmpty() && isInside(target, realOut),
                    "a link that leads out of the folder or to nothing:", relative);
        }
    }
    if (!done || !index)
        return;
    for (const ArchiveEntry &entry : index->entries()) {
        const QFileInfo info(out + QLatin1Char('/') + entry.path);
        switch (entry.kind) {
        case ArchiveEntry::File:
            require(info.isFile() && !info.isSymLink() && quint64(info.size()) == entry.size,
                    "a file unlike its entry:", entry.path);
            break;
        case ArchiveEntry::Folder:
            require(info.isDir() && !info.isSymLink(), "a folder missing:", entry.path);
            break;
        case ArchiveEntry::Link:
            require(info.isSymLink(), "a link missing:", entry.path);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // QuaZip complains on the message log about every broken entry it meets;
    // millions of such lines would only slow the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One folder per process; the package and its unpacked tree are made
    // anew below it for every input.
    static QTemporaryDir base(QDir::tempPath() + QStringLiteral("/fuzz_package-XXXXXX"));
    require(base.isValid(), "no temporary folder");
    const QString box = base.path() + QStringLiteral("/box");
    const QString out = box + QStringLiteral("/out");
    const QString zip = box + QStringLiteral("/package.zip");
    require(QDir().mkpath(out), "cannot make", out);
    {
        QFile file(zip);
        require(file.open(QIODevice::WriteOnly)
                    && file.write(reinterpret_cast<const char *>(data), qint64(size))
                        == qint64(size),
                "cannot write", zip);
    }

    const ArchiveIndex index = ArchiveIndex::read(zip);
    bool done = false;
    if (index.isValid()) {
        checkListing(index);
        quint64 bytes = 0;
        quint64 blocks = 0;
        (void)index.blocksNeeded(4096, &blocks);
        if (index.fileBytes(&bytes) && bytes <= unpackLimit) {
            PackageExtractor extractor(zip, index, out);
            const PackageExtractor::Result result = extractor.run();
            require(result == PackageExtractor::Done || !extractor.message().isEmpty(),
                    "a failed extraction without a message");
            done = result == PackageExtractor::Done;
        }
    } else {
        require(!index.problem().isEmpty(), "a refused listing without a reason");
    }
    checkTree(box, out, index.isValid() ? &index : nullptr, done);

    require(QDir(box).removeRecursively(), "cannot clear", box);
    return 0;
}
