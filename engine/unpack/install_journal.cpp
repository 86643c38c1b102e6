#include "engine/unpack/install_journal.h"

#include "engine/platform_helpers.h"
#include "engine/unpack/install_folder_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool exists(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

bool isRealFolder(const QString &path)
{
    const QFileInfo entry(path);
    return entry.isDir() && !entry.isSymLink() && !entry.isJunction();
}

// The entries of the whole lines in text, newest first when backwards.
// Only whole lines count: a line without its end was being written when
// the run died, and the step it announced was never taken.
template<typename Visit> void forEachEntry(const QByteArray &text, bool backwards, Visit visit)
{
    const int end = text.lastIndexOf('\n') + 1;
    int from = backwards ? end : 0;
    while (backwards ? from > 0 : from < end) {
        int start = from;
        int stop = 0;
        if (backwards) {
            stop = from - 1;
            start = stop > 0 ? text.lastIndexOf('\n', stop - 1) + 1 : 0;
            from = start;
        } else {
            stop = text.indexOf('\n', from);
            from = stop + 1;
        }
        const std::optional<JournalEntry> entry
            = JournalEntry::parse(QByteArray::fromRawData(text.constData() + start, stop - start));
        if (entry)
            visit(*entry);
    }
}

} // namespace

QString InstallJournal::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/installer/runs");
}

bool InstallJournal::begin(const QString &folder, const QString &runId)
{
    if (!makeFolders(folder, &m_error))
        return false;
    const QString lockPath = folder + QLatin1Char('/') + runId + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(lockPath);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        // QLockFile keeps the system's error to itself.
        m_error = (m_lock->error() == QLockFile::PermissionError
                       ? QStringLiteral("no permission to create the lock file %1")
                       : QStringLiteral("the lock file %1 cannot be taken"))
                      .arg(QDir::toNativeSeparators(lockPath));
        return false;
    }
    m_keep = false;
    m_file.setFileName(folder + QLatin1Char('/') + runId + QStringLiteral(".journal"));
    // Unbuffered: a line must be on its way to the disk before the step it
    // announces is taken.
    if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return true;
    m_error = m_file.errorString();
    return false;
}

bool InstallJournal::add(JournalEntry::Kind kind, const QString &path, const QByteArray &placed)
{
    const QByteArray line = JournalEntry { kind, path, placed }.line() + '\n';
    if (kind == JournalEntry::Kind::Leftover)
        m_keep = true;
    return append(line);
}

bool InstallJournal::append(const QByteArray &lines)
{
    if (m_file.write(lines) == lines.size())
        return true;
    m_error = m_file.isOpen() ? m_file.errorString() : QStringLiteral("the journal is not open");
    return false;
}

void InstallJournal::end()
{
    if (m_file.isOpen()) {
        m_file.close();
        if (!m_keep)
            m_file.remove();
    }
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

QStringList InstallJournal::undo(const QString &installFolder, const QString &workFolder,
                                 const QByteArray &lines, QStringList *failures)
{
    const QString staged = workFolder + QStringLiteral("/new/");
    const QString aside = workFolder + QStringLiteral("/old/");
    QStringList kept;
    const auto failed
        = [failures](const QString &what, const QString &path, const QString &reason) {
              if (failures)
                  failures->append(QStringLiteral("Could not %1 %2: %3")
                                       .arg(what, QDir::toNativeSeparators(path), reason));
          };
    forEachEntry(lines, true, [&](const JournalEntry &step) {
        if (!step.isPlacementStep())
            return;
        const QString &path = step.path;
        const QString target = installFolder + QLatin1Char('/') + path;
        QString reason;
        if (step.placesFolder()) {
            // Everything the run placed inside came later and is undone
            // already; whatever else is in it now is somebody else's.
            if (isRealFolder(target) && !removeEmptyFolder(target, &reason))
                failed(QStringLiteral("remove the folder"), target, reason);
        } else if (!exists(staged + path) && !step.placed.isEmpty()
                   && JournalEntry::identityOf(target) == step.placed) {
            // Moved in (it is no longer staged) and still what was moved.
            QFile placedFile(target);
            if (!placedFile.remove())
                failed(QStringLiteral("remove"), target, placedFile.errorString());
        }
        if (step.kind == JournalEntry::Kind::Replace && exists(aside + path)) {
            if (exists(target)) {
                kept.append(path);
            } else if (!moveEntry(aside + path, target, &reason)) {
                kept.append(path);
                failed(QStringLiteral("move back"), aside + path, reason);
            }
        }
    });
    return kept;
}

void InstallJournal::removeEmptyFolders(const QString &installFolder, const QString &created)
{
    const QString outermost = QDir::cleanPath(created);
    for (QString path = QDir::cleanPath(installFolder);
         path == outermost || path.startsWith(outermost + QLatin1Char('/'));
         path = QFileInfo(path).path()) {
        if (!QDir().rmdir(path) || path == outermost)
            break;
    }
}

QStringList InstallJournal::recoverAll(const QString &folder)
{
    QStringList report;
    const QStringList journals
        = QDir(folder).entryList({ QStringLiteral("*.journal") }, QDir::Files | QDir::Hidden);
    for (const QString &name : journals) {
        const QString runId = name.left(name.size() - 8);
        QLockFile lock(folder + QLatin1Char('/') + runId + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue; // a run that is still going
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = file.readAll();
        file.close();
        QString temp, install, work, created;
        QStringList leftovers;
        int steps = 0;
        bool committed = false;
        forEachEntry(text, false, [&](const JournalEntry &entry) {
            switch (entry.kind) {
            case JournalEntry::Kind::Temp:
                temp = entry.path;
                break;
            case JournalEntry::Kind::Install:
                install = entry.path;
                break;
            case JournalEntry::Kind::Work:
                work = entry.path;
                break;
            case JournalEntry::Kind::Created:
                created = entry.path;
                break;
            case JournalEntry::Kind::Commit:
                committed = true;
                break;
            case JournalEntry::Kind::Leftover:
                leftovers.append(entry.path);
                break;
            case JournalEntry::Kind::New:
            case JournalEntry::Kind::Replace:
                ++steps;
                break;
            }
        });

        // Never beside another installation's placement into the same
        // folder.
        InstallFolderLock folderLock;
        if (!install.isEmpty() && folderLock.acquire(install) != InstallFolderLock::Acquired) {
            report << QStringLiteral("Left the interrupted installation into %1 for a later "
                                     "start: another installation holds the folder")
                          .arg(install);
            continue;
        }
        if (!install.isEmpty() && !work.isEmpty() && leftovers.isEmpty()) {
            if (committed) {
                report
                    << QStringLiteral("Finished the interrupted installation into %1").arg(install);
            } else {
                QStringList failures;
                const QStringList kept = undo(install, work, text, &failures);
                report << QStringLiteral("Undid the interrupted installation into %1 (%2 steps)")
                              .arg(install)
                              .arg(steps);
                report << failures;
                if (!kept.isEmpty()) {
                    // Not ours to delete: what was set aside stays where
                    // the user can find it.
                    removeDirectory(QDir(work + QStringLiteral("/new")));
                    report << QStringLiteral("Kept %1 set aside in %2: something else now "
                                             "stands in its place")
                                  .arg(kept.join(QStringLiteral(", ")),
                                       work + QStringLiteral("/old"));
                    work.clear();
                }
            }
        }
        bool cleared = true;
        const QStringList toRemove = leftovers.isEmpty() ? QStringList { work } : leftovers;
        for (const QString &leftover : toRemove) {
            if (leftover.isEmpty())
                continue;
            removeDirectory(QDir(leftover));
            if (exists(leftover)) {
                cleared = false;
                report << QStringLiteral("Could not remove %1 yet; the next start tries again")
                              .arg(leftover);
            } else if (!leftovers.isEmpty()) {
                report << QStringLiteral("Removed %1, which an earlier installation left in use")
                              .arg(leftover);
            }
        }
        if (!committed && !created.isEmpty() && !install.isEmpty())
            removeEmptyFolders(install, created);
        if (!temp.isEmpty() && exists(temp)) {
            removeDirectory(QDir(temp));
            report << QStringLiteral("Removed the temporary folder %1").arg(temp);
        }
        if (cleared)
            QFile::remove(file.fileName());
        lock.unlock();
    }
    return report;
}
