#include "engine/unpack/placement.h"

#include "engine/platform_helpers.h"
#include "engine/unpack/install_journal.h"

#include <QDir>
#include <QFileInfo>

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

bool Placement::step(JournalEntry::Kind kind, const QString &relative)
{
    m_steps.append({ kind, relative });
    if (m_journal && !m_journal->add(kind, relative)) {
        m_message = tr("The installation journal could not be written.");
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
        if (targetThere) {
            const QString aside = m_workFolder + QStringLiteral("/old/") + path;
            if (!step(JournalEntry::Kind::Replace, path))
                return Failed;
            if (!QDir().mkpath(QFileInfo(aside).path()) || !QDir().rename(target, aside)) {
                m_message = tr("\"%1\" in the install folder cannot be replaced.").arg(path);
                return Failed;
            }
        } else if (!step(JournalEntry::Kind::New, path)) {
            return Failed;
        }
        if (!QDir().rename(staged, target)) {
            m_message = tr("\"%1\" cannot be moved into the install folder.").arg(path);
            return Failed;
        }
        if (m_progress)
            m_progress(m_bytesBelow.value(path), name);
    }
    return Done;
}

void Placement::undo()
{
    InstallJournal::undo(m_installFolder, m_workFolder, m_steps);
    m_steps.clear();
}

void Placement::commit()
{
    if (m_journal)
        m_journal->add(JournalEntry::Kind::Commit);
    removeDirectory(QDir(m_workFolder));
}
