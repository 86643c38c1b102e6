// Stands in for the installer's process in tests that kill it: runs one
// installation of a package with a journal, the way the progress page does,
// or puts right what killed runs left, the way the next start does.
//
//     engine_test_installer install <zip> <install folder> <journal folder> <temp folder>
//     engine_test_installer recover <journal folder>
#include "engine/install_error.h"
#include "engine/install_journal.h"
#include "engine/platform_helpers.h"
#include "engine/unzip_worker.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTextStream out(stdout);
    if (arguments.value(1) == QLatin1String("recover")) {
        for (const QString &line : InstallJournal::recoverAll(arguments.value(2)))
            out << line << Qt::endl;
        return 0;
    }
    if (arguments.size() != 6 || arguments.at(1) != QLatin1String("install"))
        return 2;
    InstallJournal journal;
    const QString runId = uniqueName();
    if (!journal.begin(arguments.at(4), runId)
        || !journal.add(QStringLiteral("temp"), arguments.at(5)))
        return 3;
    UnzipWorker worker;
    worker.setJournal(&journal);
    worker.setRunId(runId);
    int result = -1;
    QObject::connect(&worker, &UnzipWorker::done,
                     [&result](int error, const QString &) { result = error; });
    worker.doWork(arguments.at(2), 0, arguments.at(3));
    journal.end();
    out << "result " << result << Qt::endl;
    return result == NoError ? 0 : 1;
}
