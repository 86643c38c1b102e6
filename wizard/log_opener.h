#pragma once

#include <QString>

#include <functional>

class QObject;

// Shows a log file to the user: with the system's handler for the file, and
// where none answers (no program registered for ".log", as in a fresh Wine
// prefix or a stripped-down Windows), with Notepad on Windows or the default
// text editor on Linux.
class LogOpener
{
public:
    // Opens path. nothingOpened runs (while context lives) when nothing
    // could be started for it: at once, or on Linux once xdg-open has said
    // that it found no program and the text editor could not be started
    // either.
    static void open(const QString &path, QObject *context,
                     const std::function<void()> &nothingOpened);

private:
    static bool openWithTextEditor(const QString &path);
};
