// Placement benchmark: moving a staged tree of many small files into the
// install folder with its journal, as a first installation (nothing there
// yet) and as an upgrade (every folder there, every file replaced), beside
// the cost of writing the same tree (the floor any placement is measured
// against). Prints seconds per phase.
//
//     placement_bench [files] [folders] [work folder]   (100000 1000 temp)
#include "engine/unpack/install_journal.h"
#include "engine/unpack/placement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

bool stage(const QString &folder, int files, int folders)
{
    for (int d = 0; d < folders; ++d) {
        const QString sub = folder + QStringLiteral("/d%1/sub").arg(d);
        if (!QDir().mkpath(sub))
            return false;
    }
    for (int i = 0; i < files; ++i) {
        QFile file(folder
                   + QStringLiteral("/d%1/%2f%3").arg(i % folders).arg(i % 2 ? "sub/" : "").arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(i)) <= 0)
            return false;
    }
    return true;
}

// Seconds of the placement's run and of its commit (dropping what was set
// aside), or nothing when either failed.
bool place(const QString &install, const QString &journalFolder, const QString &runId, double *run,
           double *commit)
{
    InstallJournal journal;
    if (!journal.begin(journalFolder, runId))
        return false;
    Placement placement(install, install + QStringLiteral("/.work-") + runId, &journal);
    QElapsedTimer timer;
    timer.start();
    const bool placed = placement.run() == Placement::Done;
    *run = timer.nsecsElapsed() / 1e9;
    timer.restart();
    const bool committed = placed && placement.commit();
    *commit = timer.nsecsElapsed() / 1e9;
    journal.end();
    return committed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int files = arguments.value(1, QStringLiteral("100000")).toInt();
    const int folders = arguments.value(2, QStringLiteral("1000")).toInt();
    QTemporaryDir work(arguments.value(3, QDir::tempPath()) + QStringLiteral("/placement-XXXXXX"));
    const QString install = work.filePath(QStringLiteral("install"));
    const QString journals = work.filePath(QStringLiteral("journals"));
    if (!work.isValid() || !QDir().mkpath(install))
        return 1;

    for (const char *run : { "first", "upgrade" }) {
        const QString runId = QString::fromLatin1(run);
        QElapsedTimer timer;
        timer.start();
        if (!stage(install + QStringLiteral("/.work-") + runId + QStringLiteral("/new"), files,
                   folders))
            return 1;
        const double written = timer.nsecsElapsed() / 1e9;
        double placed = 0;
        double committed = 0;
        if (!place(install, journals, runId, &placed, &committed)) {
            out() << run << ": placement failed" << Qt::endl;
            return 1;
        }
        out() << QStringLiteral("%1: %2 files in %3 folders: staged in %4 s, placed in %5 s, "
                                "committed in %6 s")
                     .arg(runId)
                     .arg(files)
                     .arg(folders * 2)
                     .arg(written, 0, 'f', 2)
                     .arg(placed, 0, 'f', 2)
                     .arg(committed, 0, 'f', 2)
              << Qt::endl;
    }
    return 0;
}
