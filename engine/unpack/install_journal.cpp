#include "engine/unpack/install_journal.h"

#include "engine/platform_helpers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Removes what stands at path (a file, a link or a whole folder) without
// following links.
void removeEntry(const QString &path)
{
    const QFileInfo entry(path);
    if (entry.isDir() && !entry.isSymLink())
        removeDirectory(QDir(path));
    else
        QFile::remove(path);
}

bool exists(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

} // namespace

QString InstallJournal::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/installer/runs");
}

bool InstallJournal::begin(const QString &folder, const QString &runId)
{
    if (!QDir().mkpath(folder))
        return false;
    m_lock
        = std::make_unique<QLockFile>(folder + QLatin1Char('/') + runId + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0))
        return false;
    m_file.setFileName(folder + QLatin1Char('/') + runId + QStringLiteral(".journal"));
    // Unbuffered: a line must be on its way to the disk before the step it
    // announces is taken.
    return m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
}

bool InstallJournal::add(JournalEntry::Kind kind, const QString &path)
{
    const QByteArray line = JournalEntry { kind, path }.line() + '\n';
    return m_file.write(line) == line.size();
}

void InstallJournal::end()
{
    if (m_file.isOpen()) {
        m_file.close();
        m_file.remove();
    }
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

void InstallJournal::undo(const QString &installFolder, const QString &workFolder,
                          const QList<JournalEntry> &entries)
{
    const QString staged = workFolder + QStringLiteral("/new/");
    const QString aside = workFolder + QStringLiteral("/old/");
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (!it->isPlacementStep())
            continue;
        const QString &path = it->path;
        const QString target = installFolder + QLatin1Char('/') + path;
        const bool isNew = it->kind == JournalEntry::Kind::New;
        // Still staged: the move it announced never happened.
        const bool placed = !exists(staged + path);
        const bool setAside = !isNew && exists(aside + path);
        if (placed && (isNew || setAside))
            removeEntry(target);
        if (setAside)
            QDir().rename(aside + path, target);
    }
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
        QString temp, install, work, created;
        QList<JournalEntry> steps;
        bool committed = false;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const std::optional<JournalEntry> entry = JournalEntry::parse(line);
            if (!entry)
                continue;
            switch (entry->kind) {
            case JournalEntry::Kind::Temp:
                temp = entry->path;
                break;
            case JournalEntry::Kind::Install:
                install = entry->path;
                break;
            case JournalEntry::Kind::Work:
                work = entry->path;
                break;
            case JournalEntry::Kind::Created:
                created = entry->path;
                break;
            case JournalEntry::Kind::Commit:
                committed = true;
                break;
            case JournalEntry::Kind::New:
            case JournalEntry::Kind::Replace:
                steps.append(*entry);
                break;
            }
        }
        file.close();
        if (!install.isEmpty() && !work.isEmpty()) {
            if (committed) {
                report
                    << QStringLiteral("Finished the interrupted installation into %1").arg(install);
            } else {
                undo(install, work, steps);
                report << QStringLiteral("Undid the interrupted installation into %1 (%2 steps)")
                              .arg(install)
                              .arg(steps.size());
            }
            removeDirectory(QDir(work));
        }
        if (!committed && !created.isEmpty() && !install.isEmpty())
            removeEmptyFolders(install, created);
        if (!temp.isEmpty()) {
            removeDirectory(QDir(temp));
            report << QStringLiteral("Removed the temporary folder %1").arg(temp);
        }
        QFile::remove(file.fileName());
        lock.unlock();
    }
    return report;
}
