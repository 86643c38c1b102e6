// The installer's road in a process of its own, for tests that kill it, run
// two at once or measure its memory: runs one installation through the
// engine's road object, or puts right what killed runs left, the way the
// next start does. The package may be a local file (file:// URL);
// registration goes wherever the environment's home and data folders point.
//
//     engine_test_installer install <package URL> <install folder> <journal folder>
//     engine_test_installer recover <journal folder>
//
// An installation ends with the lines "result <code>", "message <text>" and
// "peak <KiB>", the process's peak resident memory on Linux.
#include "engine/install_error.h"
#include "engine/install_run.h"
#include "support/peak_memory.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTextStream out(stdout);
    if (arguments.value(1) == QLatin1String("recover")) {
        for (const QString &line : InstallRun::recoverInterruptedRuns(arguments.value(2)))
            out << line << Qt::endl;
        return 0;
    }
    if (arguments.size() != 5 || arguments.at(1) != QLatin1String("install"))
        return 2;
    InstallerConfig config;
    config.packageUrl = arguments.at(2);
    config.installDir = arguments.at(3);
    config.programName = QStringLiteral("Velmar");
    InstallRun run(config);
    run.setJournalFolder(arguments.at(4));
    int result = -1;
    QString message;
    QObject::connect(&run, &InstallRun::finished, &app,
                     [&result, &message](int error, const QString &text) {
                         result = error;
                         message = text;
                         QCoreApplication::quit();
                     });
    run.start();
    if (run.stage() != InstallRun::Stage::Finished)
        app.exec();
    out << "result " << result << Qt::endl;
    out << "message " << message << Qt::endl;
    out << "peak " << PeakMemory::kibibytes() << Qt::endl;
    return result == NoError ? 0 : 1;
}
