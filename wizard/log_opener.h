#pragma once

#include <QString>
#include <QStringList>

// Shows a log file to the user: with the system's handler for the file, and
// where none answers (no program registered for ".log", as in a fresh Wine
// prefix or a stripped-down Windows), with Notepad on Windows or the default
// text editor on Linux.
class LogOpener
{
public:
    // False when nothing could be started for path.
    static bool open(const QString &path);

    // The command line that the freedesktop launcher execLine starts for a
    // file: the %f, %F, %u and %U field codes become path, the other field
    // codes go, and path is appended when execLine takes no file. Empty when
    // execLine names no program.
    static QStringList commandForFile(const QString &execLine, const QString &path);

private:
    static bool openWithTextEditor(const QString &path);
};
