#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

class InstallJournal;
class InstallLog;

// Turns the downloaded package into installed files, on a worker thread of
// its own, all or nothing: judges the archive's whole listing, checks the
// install volume's free space against it, unpacks into a staging folder
// inside the install folder (so the later moves are renames on one volume),
// checks that the product's program and uninstaller are there, and only then
// moves the tree into place, setting aside what it replaces until every
// entry is in. Any failure or a cancel puts the install folder back as it
// was. Reports progress by bytes and the result once.
class UnzipWorker : public QObject
{
    Q_OBJECT

public:
    explicit UnzipWorker(QObject *parent = nullptr);

    // Set from the GUI thread to stop the work; a cancelled run undoes what
    // it did and ends without a done signal.
    std::atomic<bool> cancelled { false };

    // Set before doWork, from the thread that creates the worker.
    // Files that must lie at the top of the installed tree.
    void setRequiredFiles(const QStringList &names) { m_requiredFiles = names; }
    // Where every step is announced; may be left unset.
    void setJournal(InstallJournal *journal) { m_journal = journal; }
    void setLog(InstallLog *log) { m_log = log; }
    // Names this run's staging folder; unique per run.
    void setRunId(const QString &runId) { m_runId = runId; }

    // Whether the package has an entry of the log's name at its top, which
    // the log must then not take; known once doWork has read the listing.
    bool usesLogName() const { return m_usesLogName; }

    // The most progress signals per second; the GUI thread need not repaint
    // more often than the eye can follow.
    static constexpr int progressIntervalMs = 33;

public slots:
    void doWork(const QString &zip_file_name, qulonglong bytes_total, const QString &target_dir);

signals:
    // The fraction of the work done (unpacking, then placing, by bytes of
    // the package's own listing) and the entry's name.
    void progress(double percent, const QString &current = QString());
    void done(int error, const QString &message);

private:
    void finish(int error, const QString &message);
    void log(const QString &line);
    void advance(quint64 bytes, const QString &name, bool unpacking);

    QStringList m_requiredFiles;
    InstallJournal *m_journal = nullptr;
    InstallLog *m_log = nullptr;
    QString m_runId;
    bool m_usesLogName = false;

    quint64 m_totalBytes = 0;
    quint64 m_unpackedBytes = 0;
    quint64 m_placedBytes = 0;
    QElapsedTimer m_sinceProgress;
};
