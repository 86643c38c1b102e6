#pragma once

#include "engine/unpack/journal_entry.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class InstallJournal;

// Moves an assembled tree from the staging folder into the install folder,
// where both lie on one volume, so each step is a rename. What a staged
// entry replaces is set aside, not deleted, until the whole tree is in
// place: undo() then puts the install folder back as it was, and commit()
// drops what was set aside. Every step is announced in the journal first,
// with the identity of what it moves in, so that a killed run can be undone
// by the next start without touching anything that is not the run's own.
//
// A folder that is not in the install folder yet moves whole, in one
// rename, after its journal lines have named everything in it; a folder
// that is there is entered, so the user's own files in it stay, and its
// files and links move one by one. Undo removes a folder the run placed
// only once nothing but the run's own entries was in it. The steps of one
// folder are announced in one append before the first of them is taken.
class Placement
{
    Q_DECLARE_TR_FUNCTIONS(Placement)

public:
    enum Result { Done, Cancelled, Failed };
    using Progress = std::function<void(quint64 bytes, const QString &name)>;

    // workFolder holds "new" (the staged tree) and "old" (set aside).
    Placement(const QString &installFolder, const QString &workFolder, InstallJournal *journal);

    void setProgress(Progress progress) { m_progress = std::move(progress); }
    void setCancelFlag(const std::atomic<bool> *cancelled) { m_cancelled = cancelled; }

    Result run();
    QString message() const { return m_message; }
    // Puts the install folder back and removes the work folder, but for
    // what was set aside and could not go back (see InstallJournal::undo),
    // which it returns. Steps that could not be undone are added to
    // failures, with the system's reason, for the log.
    QStringList undo(QStringList *failures = nullptr);
    // Drops the set-aside entries and the (now empty) staging folder. A
    // set-aside program that still runs cannot be deleted on Windows: after
    // a few tries the work folder is left to the next start, through the
    // journal, and commit() returns false, with the system's reason for the
    // last try in *reason.
    bool commit(QString *reason = nullptr);

    // Tries and pause between them before commit() gives up.
    static constexpr int removalTries = 5;
    static constexpr int removalPauseMs = 200;

private:
    struct Move;

    Result placeFolder(const QString &relative);
    // Announces a folder that moves whole and everything below it.
    bool announceTree(const QString &relative, quint64 *bytes);
    void announce(JournalEntry::Kind kind, const QString &relative, const QByteArray &placed);
    // Writes the announced lines to the journal.
    bool record();
    // Failed, with message and the system's reason (when there is one) as
    // the message.
    Result fail(const QString &message, const QString &reason = QString());

    QString m_installFolder;
    QString m_workFolder;
    InstallJournal *m_journal;
    Progress m_progress;
    const std::atomic<bool> *m_cancelled = nullptr;
    // The steps taken, as the journal's lines: far smaller than a list of
    // entries for a package of many files.
    QByteArray m_steps;
    QByteArray m_announced; // not in the journal yet
    QString m_message;
};
