#include "support/script_run.h"

#include <QProcess>

ScriptRun ScriptRun::run(const QString &program, const QStringList &arguments,
                         const QProcessEnvironment &environment, const QString &workingFolder)
{
    ScriptRun result;
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    process.closeWriteChannel();
    // Generous: the limit only keeps a hung script from hanging the suite.
    result.finished
        = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitCode();
    result.standardOutput = QString::fromUtf8(process.readAllStandardOutput());
    result.standardError = QString::fromUtf8(process.readAllStandardError());
    return result;
}
