#pragma once

#include "engine/unpack/journal_entry.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>

class InstallJournal;

// Moves an assembled tree from the staging folder into the install folder,
// where both lie on one volume, so each step is a rename. What a staged
// entry replaces is set aside, not deleted, until the whole tree is in
// place: undo() then puts the install folder back exactly as it was, and
// commit() drops what was set aside. Every step is announced in the journal
// first, so a killed run can be undone by the next start.
//
// Folders that are new to the install folder move in whole; existing folders
// are entered, so the user's own files in them stay.
class Placement
{
    Q_DECLARE_TR_FUNCTIONS(Placement)

public:
    enum Result { Done, Cancelled, Failed };
    using Progress = std::function<void(quint64 bytes, const QString &name)>;

    // workFolder holds "new" (the staged tree) and "old" (set aside).
    Placement(const QString &installFolder, const QString &workFolder, InstallJournal *journal);

    // Bytes below each staged path, for progress by bytes.
    void setSizes(const QHash<QString, quint64> &bytesBelow) { m_bytesBelow = bytesBelow; }
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    void setCancelFlag(const std::atomic<bool> *cancelled) { m_cancelled = cancelled; }

    Result run();
    QString message() const { return m_message; }
    void undo();
    // Drops the set-aside entries and the (now empty) staging folder.
    void commit();

private:
    Result placeFolder(const QString &relative);
    bool step(JournalEntry::Kind kind, const QString &relative);

    QString m_installFolder;
    QString m_workFolder;
    InstallJournal *m_journal;
    QHash<QString, quint64> m_bytesBelow;
    Progress m_progress;
    const std::atomic<bool> *m_cancelled = nullptr;
    QList<JournalEntry> m_steps;
    QString m_message;
};
