#include "engine/unpack/unzip_worker.h"

#include "config/path_length.h"
#include "engine/install_error.h"
#include "engine/install_log.h"
#include "engine/platform_helpers.h"
#include "engine/unpack/archive_index.h"
#include "engine/unpack/install_journal.h"
#include "engine/unpack/package_extractor.h"
#include "engine/unpack/placement.h"

#include "config/native_path.h"
#include "platform/file_identity.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace {

// Unpacking writes every byte; placing only renames. The bar gives each its
// share of the time it takes.
constexpr double unpackShare = 0.9;

// Whether the installed tree, this run's log beside it included, stays within
// the paths the system can start programs from.
QString pathLengthProblem(const QString &installFolder, const ArchiveIndex &index)
{
    QStringList paths { InstallLog::fileName() };
    for (const ArchiveEntry &entry : index.entries())
        paths << entry.path;
    return PathLength::problem(installFolder, paths);
}

} // namespace

UnzipWorker::UnzipWorker(QObject *parent)
    : QObject(parent)
{
}

void UnzipWorker::log(const QString &line)
{
    if (m_log)
        m_log->write(line);
}

void UnzipWorker::finish(int error, const QString &message)
{
    if (error == NoError)
        log(QStringLiteral("Installed the package"));
    else
        log(QStringLiteral("Error %1: %2").arg(error).arg(message));
    emit done(error, message);
}

void UnzipWorker::advance(quint64 bytes, const QString &name, bool unpacking)
{
    (unpacking ? m_unpackedBytes : m_placedBytes) += bytes;
    if (m_sinceProgress.isValid() && m_sinceProgress.elapsed() < progressIntervalMs)
        return;
    m_sinceProgress.start();
    const double total = double(m_totalBytes);
    const double fraction = total <= 0 ? 0
                                       : double(m_unpackedBytes) / total * unpackShare
            + double(m_placedBytes) / total * (1 - unpackShare);
    emit progress(qMin(fraction, 1.0), name);
}

void UnzipWorker::doWork(const QString &zip_file_name, qulonglong bytes_total,
                         const QString &target_dir)
{
    // The package's own listing measures the work; the configured total
    // only served the start page's first guess.
    Q_UNUSED(bytes_total)
    if (cancelled)
        return;
    if (!QFileInfo(target_dir).isDir()) {
        finish(TargetDirMissing, tr("The target dir is not exist."));
        return;
    }
    const QString installFolder = QFileInfo(target_dir).absoluteFilePath();

    const ArchiveIndex index = ArchiveIndex::read(zip_file_name);
    if (!index.isValid()) {
        finish(UnzipFailed, index.problem());
        return;
    }
    int counts[3] = {};
    for (const ArchiveEntry &entry : index.entries())
        ++counts[entry.kind];
    log(QStringLiteral("Package %1: %2 entries (%3 files, %4 folders, %5 links)")
            .arg(zip_file_name)
            .arg(index.entries().size())
            .arg(counts[ArchiveEntry::File])
            .arg(counts[ArchiveEntry::Folder])
            .arg(counts[ArchiveEntry::Link]));
    m_usesLogName = index.hasTopLevelEntry(InstallLog::fileName());
    const QString missing = index.missingTopLevelFile(m_requiredFiles);
    if (!missing.isEmpty()) {
        finish(UnzipFailed, tr("The install package is incomplete: it lacks %1.").arg(missing));
        return;
    }
    const QString tooDeep = pathLengthProblem(installFolder, index);
    if (!tooDeep.isEmpty()) {
        finish(PathTooLong, tooDeep);
        return;
    }

    // Staging inside the install folder: on the volume that receives the
    // files, so that placing them is a rename each.
    const QString runId = m_runId.isEmpty() ? uniqueName() : m_runId;
    const QString work = installFolder + QStringLiteral("/.installer-") + runId;
    if (m_journal
        && (!m_journal->add(JournalEntry::Kind::Install, installFolder)
            || !m_journal->add(JournalEntry::Kind::Work, work)))
        log(QStringLiteral("The journal could not be written: ") + m_journal->errorString());
    QString reason;
    if (!makeFolders(work + QStringLiteral("/new"), &reason)) {
        log(QStringLiteral("Could not create the staging folder: ") + reason);
        removeDirectory(QDir(work));
        finish(UnzipDirFailed, tr("Failed to create unzip dir."));
        return;
    }
    // A dot does not hide a name on Windows.
    platform::hideEntry(toLongNativePath(work));
    const QString staging = work + QStringLiteral("/new");

    quint64 blockSize = 0;
    quint64 freeBlocks = 0;
    quint64 needed = 0;
    const bool measured = volumeBlocks(staging, &blockSize, &freeBlocks);
    if (measured && (!index.blocksNeeded(blockSize, &needed) || !index.fileBytes(&m_totalBytes))) {
        removeDirectory(QDir(work));
        finish(UnzipFailed,
               tr("The install package is invalid: its files claim more space than any disk "
                  "holds."));
        return;
    }
    const bool fits = measured && needed <= freeBlocks;
    log(QStringLiteral("Install volume: %1 blocks of %2 bytes free, %3 needed")
            .arg(freeBlocks)
            .arg(blockSize)
            .arg(needed));
    if (!fits) {
        removeDirectory(QDir(work));
        const auto megabytes = [blockSize](quint64 blocks) {
            return QString::number(std::ceil(double(blocks) * double(blockSize) / 1048576.0), 'f',
                                   0);
        };
        finish(DiskFull,
               tr("Not enough free disk space in %1: %2 MB needed, %3 MB free.")
                   .arg(QDir::toNativeSeparators(installFolder), megabytes(needed),
                        megabytes(freeBlocks)));
        return;
    }

    m_sinceProgress.invalidate();
    PackageExtractor extractor(zip_file_name, index, staging);
    extractor.setCancelFlag(&cancelled);
    extractor.setProgress(
        [this](quint64 bytes, const QString &name) { advance(bytes, name, true); });
    const PackageExtractor::Result unpacked = extractor.run();
    if (unpacked != PackageExtractor::Done) {
        removeDirectory(QDir(work));
        if (unpacked == PackageExtractor::Cancelled)
            return;
        finish(unpacked == PackageExtractor::DiskFull ? DiskFull : UnzipFailed,
               extractor.message());
        return;
    }
    log(QStringLiteral("Unpacked %1 bytes into %2").arg(m_unpackedBytes).arg(staging));

    Placement placement(installFolder, work, m_journal);
    placement.setCancelFlag(&cancelled);
    placement.setProgress(
        [this](quint64 bytes, const QString &name) { advance(bytes, name, false); });
    const Placement::Result placed = placement.run();
    if (placed != Placement::Done) {
        // Asked before the undo frees the staged files again.
        const bool full = placed == Placement::Failed && volumeFull(work);
        QStringList failures;
        const QStringList kept = placement.undo(&failures);
        for (const QString &failure : qAsConst(failures))
            log(failure);
        if (!kept.isEmpty())
            log(QStringLiteral("Kept in %1/old, as something else took their place: %2")
                    .arg(work, kept.join(QStringLiteral(", "))));
        if (placed == Placement::Cancelled)
            return;
        if (full)
            finish(DiskFull, tr("The disk is full: %1").arg(placement.message()));
        else
            finish(CopyFailed, placement.message());
        return;
    }
    QString stayed;
    if (!placement.commit(&stayed))
        log(QStringLiteral("%1 is still in use; the next start removes it (%2)").arg(work, stayed));
    m_sinceProgress.invalidate();
    emit progress(1.0, QString());
    finish(NoError, QString());
}
