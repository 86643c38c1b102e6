#include "engine/unpack/placement.h"

#include "engine/platform_helpers.h"
#include "engine/unpack/install_journal.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QThread>
#include <QVector>

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

namespace {

// Far below what a run may hold, far above one folder's lines in a usual
// package: a large tree is announced in a few writes, not in one buffer of
// its whole listing.
const int announceChunk = 1 << 20;

} // namespace

struct Placement::Move
{
    QString path;
    QString name;
    bool replaces = false;
    quint64 bytes = 0;
};

Placement::Result Placement::fail(const QString &message, const QString &reason)
{
    m_message
        = reason.isEmpty() ? message : message + QStringLiteral(" (") + reason + QLatin1Char(')');
    return Failed;
}

void Placement::announce(JournalEntry::Kind kind, const QString &relative, const QByteArray &placed)
{
    m_announced += JournalEntry { kind, relative, placed }.line() + '\n';
}

bool Placement::record()
{
    m_steps += m_announced;
    const bool written = !m_journal || m_journal->append(m_announced);
    m_announced.clear();
    if (!written)
        fail(tr("The installation journal could not be written."), m_journal->errorString());
    return written;
}

bool Placement::announceTree(const QString &relative, quint64 *bytes)
{
    const QString stagedFolder = m_workFolder + QStringLiteral("/new/") + relative;
    QDirIterator entries(stagedFolder,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        const QString staged = entries.next();
        const QFileInfo info = entries.fileInfo();
        const QString path = relative + QLatin1Char('/') + info.fileName();
        if (info.isDir() && !info.isSymLink()) {
            announce(JournalEntry::Kind::New, path, JournalEntry::folder());
            if (!announceTree(path, bytes))
                return false;
            continue;
        }
        quint64 size = 0;
        const QByteArray identity = JournalEntry::identityOf(staged, &size);
        if (identity.isEmpty())
            return false;
        announce(JournalEntry::Kind::New, path, identity);
        if (!info.isSymLink())
            *bytes += size;
        if (m_announced.size() > announceChunk && !record())
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
    // First every step of this folder is decided and announced, then taken.
    QVector<Move> moves;
    QStringList entered;
    for (const QString &name : names) {
        if (m_cancelled && *m_cancelled)
            return Cancelled;
        const QString path = prefix + name;
        const QString staged = stagedFolder + QLatin1Char('/') + name;
        const QFileInfo stagedInfo(staged);
        const QFileInfo targetInfo(m_installFolder + QLatin1Char('/') + path);
        const bool stagedFolderEntry = stagedInfo.isDir() && !stagedInfo.isSymLink();
        const bool targetIsLink = targetInfo.isSymLink() || targetInfo.isJunction();
        const bool targetThere = targetInfo.exists() || targetIsLink;
        const bool targetIsFolder = targetInfo.isDir() && !targetIsLink;

        if (stagedFolderEntry && targetIsFolder) {
            entered.append(path);
            continue;
        }
        if (targetIsFolder) {
            // The user's folder where the package has a file: it is not ours
            // to set aside.
            return fail(tr("\"%1\" is a folder in the install folder, but the package has a "
                           "file there.")
                            .arg(path));
        }
        Move move { path, name, targetThere, 0 };
        const JournalEntry::Kind kind
            = targetThere ? JournalEntry::Kind::Replace : JournalEntry::Kind::New;
        bool described = true;
        if (stagedFolderEntry) {
            announce(kind, path, JournalEntry::folder());
            described = announceTree(path, &move.bytes);
        } else {
            const QByteArray placed = JournalEntry::identityOf(staged, &move.bytes);
            described = !placed.isEmpty();
            announce(kind, path, placed);
            if (stagedInfo.isSymLink())
                move.bytes = 0;
        }
        if (!described)
            return fail(tr("\"%1\" cannot be moved into the install folder.").arg(path),
                        lastSystemError());
        moves.append(move);
    }
    if (!record())
        return Failed;

    // Moves never replace and never fall back to copying, so that what lands
    // in the install folder is exactly what the journal names.
    bool asideFolderMade = false;
    QString reason;
    for (const Move &move : moves) {
        if (m_cancelled && *m_cancelled)
            return Cancelled;
        const QString target = m_installFolder + QLatin1Char('/') + move.path;
        if (move.replaces) {
            const QString aside = m_workFolder + QStringLiteral("/old/") + move.path;
            asideFolderMade = asideFolderMade || makeFolders(QFileInfo(aside).path(), &reason);
            if (!asideFolderMade || !moveEntry(target, aside, &reason))
                return fail(tr("\"%1\" in the install folder cannot be replaced.").arg(move.path),
                            reason);
        }
        if (!moveEntry(stagedFolder + QLatin1Char('/') + move.name, target, &reason))
            return fail(tr("\"%1\" cannot be moved into the install folder.").arg(move.path),
                        reason);
        if (m_progress)
            m_progress(move.bytes, move.name);
    }
    for (const QString &path : entered) {
        const Result inner = placeFolder(path);
        if (inner != Done)
            return inner;
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

bool Placement::commit(QString *reason)
{
    if (m_journal)
        m_journal->add(JournalEntry::Kind::Commit);
    m_steps.clear();
    for (int tries = 1;; ++tries) {
        QString failure;
        removeDirectory(QDir(m_workFolder), &failure);
        if (reason)
            *reason = failure;
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
