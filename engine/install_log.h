#pragma once

#include <QFile>
#include <QMutex>
#include <QString>

// installer.log: one line per event of an installation run, UTF-8, each
// line starting with the time (UTC, milliseconds) and ending the system's
// way (CRLF on Windows), flushed as it is written
// so that a crashed run leaves its story behind. Written from the GUI thread
// and the worker thread alike.
class InstallLog
{
public:
    static QString fileName() { return QStringLiteral("installer.log"); }

    // Opens (appends to) the log at path; false when it cannot be written,
    // and the run goes on without a log.
    bool open(const QString &path);
    QString path() const { return m_file.fileName(); }
    void write(const QString &line);
    // Copies the log so far to path (replacing a file there).
    bool copyTo(const QString &path);
    void close();

    // The log of the latest run of this process, for the failure page.
    static QString latestPath();

private:
    QMutex m_mutex;
    QFile m_file;
};
