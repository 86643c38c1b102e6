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

    bool add(JournalEntry::Kind kind, const QString &path = QString());
    // The run is over, for good or bad: the journal and its lock go.
    void end();

    // Puts right every run in folder whose process is gone. Returns one
    // line per action, for the log.
    static QStringList recoverAll(const QString &folder);

    // Moves staged paths back out of the install folder, newest first, and
    // returns what was set aside, as the placement steps among entries say.
    // Used by the run itself on failure and by recovery after a crash.
    static void undo(const QString &installFolder, const QString &workFolder,
                     const QList<JournalEntry> &entries);

    // Removes installFolder and its parents while they are empty, up to and
    // including created, the outermost folder a run made for it.
    static void removeEmptyFolders(const QString &installFolder, const QString &created);

private:
    QFile m_file;
    std::unique_ptr<QLockFile> m_lock;
};
