#pragma once

#include "engine/unpack/journal_entry.h"

#include <QFile>
#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>

// The record of one installation run, kept in the user's data folder while
// the run lasts, so that the next start can put things right after a run
// that was killed or lost its power: undo a half-done placement (or finish
// one that had committed) and remove what the run left behind (its
// temporary folder, its staging and set-aside files, a folder it created).
// A run whose own folders could not all be removed at its end (a set-aside
// program still running) leaves its journal for the next start as well.
//
// A lock file beside the journal is held for as long as the run's process
// lives; a journal whose lock can be taken belongs to a run that is gone.
// The journal holds one JournalEntry a line.
class InstallJournal
{
public:
    // The folder that holds the journals of this user's runs.
    static QString defaultFolder();

    // Starts the journal of a new run, named runId, in folder (created when
    // missing). False when it cannot be written.
    bool begin(const QString &folder, const QString &runId);
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    bool add(JournalEntry::Kind kind, const QString &path = QString(),
             const QByteArray &placed = QByteArray());
    // Appends whole lines (each ending with '\n') in one write: the steps
    // a placement announces together before it takes them.
    bool append(const QByteArray &lines);
    // Why begin(), add() or append() last failed, in the system's words
    // where it gave some.
    QString errorString() const { return m_error; }
    // The run is over, for good or bad: the journal and its lock go, unless
    // a leftover was added, which the next start removes.
    void end();

    // Puts right every run in folder whose process is gone, each while
    // holding its install folder's lock (a run into a folder that another
    // installation holds waits for a later start). Returns one line per
    // action, for the log.
    static QStringList recoverAll(const QString &folder);

    // Undoes the placement steps among the journal lines, newest first
    // (lines end with '\n'; a last line without one is ignored): removes what
    // a step placed while it is still the entry the step placed (a folder
    // only while it is empty) and moves what was set aside back. Returns
    // the set-aside paths that could not go back because something else
    // took their place; they stay in the work folder's "old". Each step that
    // could not be undone is added to failures with the system's reason.
    // Used by the run itself on failure and by recovery after a crash.
    static QStringList undo(const QString &installFolder, const QString &workFolder,
                            const QByteArray &lines, QStringList *failures = nullptr);

    // Removes installFolder and its parents while they are empty, up to and
    // including created, the outermost folder a run made for it.
    static void removeEmptyFolders(const QString &installFolder, const QString &created);

private:
    QFile m_file;
    std::unique_ptr<QLockFile> m_lock;
    bool m_keep = false;
    QString m_error;
};
