#pragma once

#include <QString>

// Shows a log file to the user: with the system's handler for the file, and
// where none answers (no program registered for ".log", as in a fresh Wine
// prefix or a stripped-down Windows), with Notepad on Windows or the default
// text editor on Linux.
class LogOpener
{
public:
    // False when nothing could be started for path.
    static bool open(const QString &path);

private:
    static bool openWithTextEditor(const QString &path);
};
