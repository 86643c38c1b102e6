#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a started Velmar tells about itself in a small text file, so that the
// demo (and anyone curious) can check that the installer launched it, from
// which folder and with which link. One "key=value" line each; "argument"
// repeats once per command-line argument after the program name.
class StatusReport
{
public:
    // The report of this process: its id, program, working folder and the
    // given command line (program name first).
    static StatusReport ofThisProcess(const QStringList &arguments);

    // $VELMAR_STATUS_FILE when set, else velmar-status.txt in the user's
    // runtime folder ($XDG_RUNTIME_DIR on Linux).
    static QString defaultPath();

    QByteArray toText() const;

    // Replaces the file at path in one step, so that a reader never sees half
    // a report. Returns false and fills error when it cannot.
    bool writeTo(const QString &path, QString *error) const;

    qint64 processId = 0;
    QString program;
    QString workingFolder;
    QStringList arguments;
    QString link;
};
