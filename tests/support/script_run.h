#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs a program (a script of the project, usually) to its end and keeps
// what it said, for tests that check a command-line tool from the outside.
struct ScriptRun
{
    int exitCode = -1;
    bool finished = false;
    QString standardOutput;
    QString standardError;

    static ScriptRun run(const QString &program, const QStringList &arguments,
                         const QProcessEnvironment &environment
                         = QProcessEnvironment::systemEnvironment(),
                         const QString &workingFolder = QString());
};
