#include "engine/unpack/placement.h"

#include "config/native_path.h"
#include "engine/platform_helpers.h"
#include "engine/unpack/install_journal.h"
#include "platform/new_file.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

Placement::Placement(const QString &installFolder, const QString &workFolder,
                     InstallJournal *journal)
    : m_installFolder(installFolder)
    , m_workFolder(workFolder)
    , m_journal(journal)
{
}

Placement::Result Placement::run()
{
    return placeFolder(QString());
}

Placement::Result Placement::fail(const QString &message, const QString &reason)
{
    m_message
        = reason.isEmpty() ? message : message + QStringLiteral(" (") + reason + QLatin1Char(')');
    return Failed;
}

bool Placement::step(JournalEntry::Kind kind, const QString &relative, const QByteArray &placed)
{
    m_steps += JournalEntry { kind, relative, placed }.line() + '\n';
    if (m_journal && !m_journal->add(kind, relative, placed)) {
        fail(tr("The installation journal could not be written."), m_journal->errorString());
        return false;
    }
    return true;
}

Placement::Result Placement::placeFolder(const QString &relative)
{
    const QString prefix = relative.isEmpty() ? QString() : relative + QLatin1Char('/');
    const QString stagedFolder = m_workFolder + QStringLiteral("/new/") + relative;
    const QStringList names
        = QDir(stagedFolder)
              .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDir::NoSort);
    for (const QString &name : names) {
        if (m_cancelled && *m_cancelled)
            return Cancelled;
        const QString path = prefix + name;
        const QString staged = stagedFolder + QLatin1Char('/') + name;
        const QString target = m_installFolder + QLatin1Char('/') + path;
        const QFileInfo stagedInfo(staged);
        const QFileInfo targetInfo(target);
        const bool stagedFolderEntry = stagedInfo.isDir() && !stagedInfo.isSymLink();
        const bool targetIsLink = targetInfo.isSymLink() || targetInfo.isJunction();
        const bool targetThere = targetInfo.exists() || targetIsLink;
        const bool targetIsFolder = targetInfo.isDir() && !targetIsLink;

        if (stagedFolderEntry && targetIsFolder) {
            const Result inner = placeFolder(path);
            if (inner != Done)
                return inner;
            continue;
        }
        if (targetIsFolder) {
            // The user's folder where the package has a file: it is not ours
            // to set aside.
            m_message = tr("\"%1\" is a folder in the install folder, but the package has a file "
                           "there.")
                            .arg(path);
            return Failed;
        }
        const QByteArray placed
            = stagedFolderEntry ? JournalEntry::folder() : JournalEntry::identityOf(staged);
        if (placed.isEmpty())
            return fail(tr("\"%1\" cannot be moved into the install folder.").arg(path),
                        lastSystemError());
        QString reason;
        if (targetThere) {
            const QString aside = m_workFolder + QStringLiteral("/old/") + path;
            if (!step(JournalEntry::Kind::Replace, path, placed))
                return Failed;
            if (!makeFolders(QFileInfo(aside).path(), &reason)
                || !moveEntry(target, aside, &reason))
                return fail(tr("\"%1\" in the install folder cannot be replaced.").arg(path),
                            reason);
        } else if (!step(JournalEntry::Kind::New, path, placed)) {
            return Failed;
        }
        if (stagedFolderEntry) {
            if (!platform::createFolder(toLongNativePath(target)))
                return fail(tr("\"%1\" cannot be moved into the install folder.").arg(path),
                            lastSystemError());
            const Result inner = placeFolder(path);
            if (inner != Done)
                return inner;
            continue;
        }
        const quint64 bytes = stagedInfo.isSymLink() ? 0 : quint64(stagedInfo.size());
        if (!moveEntry(staged, target, &reason))
            return fail(tr("\"%1\" cannot be moved into the install folder.").arg(path), reason);
        if (m_progress)
            m_progress(bytes, name);
    }
    return Done;
}

QStringList Placement::undo(QStringList *failures)
{
    const QStringList kept = InstallJournal::undo(m_installFolder, m_workFolder, m_steps, failures);
    m_steps.clear();
    removeDirectory(QDir(m_workFolder + (kept.isEmpty() ? QString() : QStringLiteral("/new"))));
    return kept;
}

bool Placement::commit()
{
    if (m_journal)
        m_journal->add(JournalEntry::Kind::Commit);
    m_steps.clear();
    for (int tries = 1;; ++tries) {
        removeDirectory(QDir(m_workFolder));
        if (!QFileInfo::exists(m_workFolder))
            return true;
        if (tries == removalTries)
            break;
        QThread::msleep(removalPauseMs);
    }
    if (m_journal)
        m_journal->add(JournalEntry::Kind::Leftover, m_workFolder);
    return false;
}
