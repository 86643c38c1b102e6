// Install benchmark: the engine (DownloadTask, then UnzipWorker on a thread:
// judging the listing, unpacking into staging with every write, size and
// CRC-32 checked, placing by renames) against curl + unzip + cp -r doing the
// same work on the same packages,
// served over loopback by the test HTTP server. Prints times, their ratio and
// the installer process's peak memory (VmHWM). The installer side runs as a
// child process so that its peak is its own.
//
//     install_bench [--checks-only] [work folder]   (default: the system temporary folder)
//
// The packages hold random, incompressible data (zip stores such entries
// rather than deflating them), so the figures measure transfer and disk work.
// Everything generated is deleted at the end.
//
// A second part measures what the package checks cost: the same packages
// installed (and only downloaded) with no checks, with packageSha256, and
// with packageSha256 plus a minisign signature made by Debian's minisign.
#include "engine/download/download_task.h"
#include "engine/unpack/unzip_worker.h"
#include "support/http_test_server.h"
#include "support/minisign_tool.h"
#include "support/peak_memory.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

const qint64 MiB = 1024 * 1024;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

bool writeRandomFile(const QString &path, qint64 size, quint32 seed)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator generator(seed);
    QByteArray block(int(qMin<qint64>(size, 4 * MiB)), Qt::Uninitialized);
    for (qint64 left = size; left > 0;) {
        const int length = int(qMin<qint64>(left, block.size()));
        generator.fillRange(reinterpret_cast<quint32 *>(block.data()), (length + 3) / 4);
        if (file.write(block.constData(), length) != length)
            return false;
        left -= length;
    }
    return true;
}

int runCommand(const QString &program, const QStringList &arguments, const QString &folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    // The server answers from this thread's event loop while the child works.
    loop.exec();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

struct Package
{
    QString name;
    QString zipPath;
    qint64 bytes = 0;
};

// One file of the given size.
Package makeSingleFilePackage(const QString &work, const QString &name, qint64 size,
                              const QStringList &zipOptions)
{
    Package package { name, work + QLatin1Char('/') + name + QStringLiteral(".zip"), size };
    const QString source = work + QStringLiteral("/src-") + name;
    QDir().mkpath(source);
    writeRandomFile(source + QStringLiteral("/Velmar.bin"), size, 1);
    runCommand(QStringLiteral("zip"),
               zipOptions + QStringList { package.zipPath, QStringLiteral(".") }, source);
    QDir(source).removeRecursively();
    return package;
}

// files files spread over folders folders, size bytes in all.
Package makeManyFilePackage(const QString &work, const QString &name, qint64 size, int files,
                            int folders)
{
    Package package { name, work + QLatin1Char('/') + name + QStringLiteral(".zip"), 0 };
    const QString source = work + QStringLiteral("/src-") + name;
    const qint64 each = size / files;
    for (int i = 0; i < files; ++i) {
        const QString folder = source + QStringLiteral("/folder%1").arg(i % folders);
        QDir().mkpath(folder);
        writeRandomFile(folder + QStringLiteral("/file%1.dat").arg(i), each, quint32(i + 7));
        package.bytes += each;
    }
    runCommand(QStringLiteral("zip"),
               { QStringLiteral("-q"), QStringLiteral("-r"), package.zipPath, QStringLiteral(".") },
               source);
    QDir(source).removeRecursively();
    return package;
}

struct InstallerRun
{
    double seconds = 0;
    qint64 peakKiB = -1;
};

// checks: nothing, or packageSha256 and packagePublicKey, then optionally
// "download-only" to stop once the package is downloaded and checked.
InstallerRun runInstallerSide(const QUrl &url, const Package &package, const QString &work,
                              const QStringList &checks = {})
{
    const QString target = work + QStringLiteral("/installed");
    const QString tmp = work + QStringLiteral("/tmp");
    QDir().mkpath(target);
    QDir().mkpath(tmp);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tmp);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&child, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                     &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(),
                QStringList { QStringLiteral("--child"), url.toString(),
                              tmp + QStringLiteral("/package.zip"), QString::number(package.bytes),
                              target }
                    + checks);
    loop.exec();
    InstallerRun run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    const QByteArray report = child.readAllStandardOutput();
    for (const QByteArray &line : report.split('\n')) {
        if (line.startsWith("peak_kib="))
            run.peakKiB = line.mid(9).toLongLong();
        if (line.startsWith("error="))
            out() << "  installer failed: " << line << Qt::endl;
    }
    QDir(target).removeRecursively();
    QDir(tmp).removeRecursively();
    return run;
}

double runReferenceSide(const QUrl &url, const QString &work)
{
    const QString target = work + QStringLiteral("/installed");
    const QString tmp = work + QStringLiteral("/tmp");
    QDir().mkpath(target);
    QDir().mkpath(tmp);
    const QString script = QStringLiteral("set -e; curl -sS -o package.zip '%1'; "
                                          "unzip -q package.zip -d unpacked; "
                                          "cp -r unpacked/. '%2'; rm -rf unpacked; rm package.zip")
                               .arg(url.toString(), target);
    QElapsedTimer timer;
    timer.start();
    const int status = runCommand(QStringLiteral("sh"), { QStringLiteral("-c"), script }, tmp);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (status != 0)
        out() << "  reference failed with status " << status << Qt::endl;
    QDir(target).removeRecursively();
    QDir(tmp).removeRecursively();
    return seconds;
}

// The installer side: download, then unpack and copy on a worker thread, as
// the progress page drives them.
int runChild(const QStringList &arguments)
{
    const QString url = arguments.value(0);
    const QString packagePath = arguments.value(1);
    const qulonglong bytesTotal = arguments.value(2).toULongLong();
    const QString target = arguments.value(3);
    const bool downloadOnly = arguments.value(6) == QLatin1String("download-only");

    int result = -1;
    DownloadTask task(url, packagePath);
    task.setPackageChecks(arguments.value(4), arguments.value(5));
    QThread thread;
    UnzipWorker *worker = new UnzipWorker;
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(worker, &UnzipWorker::done, qApp, [&](int error, const QString &message) {
        result = error;
        if (error != 0)
            out() << "error=" << error << ' ' << message << Qt::endl;
        QFile::remove(packagePath);
        qApp->quit();
    });
    QObject::connect(&task, &DownloadTask::done, qApp, [&](int error, const QString &message) {
        if (error != 0) {
            result = error;
            out() << "error=" << error << ' ' << message << Qt::endl;
            qApp->quit();
            return;
        }
        if (downloadOnly) {
            result = 0;
            QFile::remove(packagePath);
            qApp->quit();
            return;
        }
        QMetaObject::invokeMethod(worker, "doWork", Qt::QueuedConnection,
                                  Q_ARG(QString, packagePath), Q_ARG(qulonglong, bytesTotal),
                                  Q_ARG(QString, target));
    });
    thread.start();
    task.start();
    QCoreApplication::exec();
    thread.quit();
    thread.wait();
    out() << "peak_kib=" << PeakMemory::kibibytes() << Qt::endl;
    return result == 0 ? 0 : 1;
}

QString mib(qint64 kib)
{
    return QString::number(kib / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

void comparePackage(HttpTestServer &server, const Package &package, const QString &work)
{
    const QString path = QLatin1Char('/') + package.name + QStringLiteral(".zip");
    server.serveFile(path, package.zipPath);
    const QUrl url = server.url(path);
    // Warm up once (page cache, first connection), then keep the best of
    // three alternating rounds for each side.
    runReferenceSide(url, work);
    double reference = 1e9;
    double installer = 1e9;
    qint64 peak = 0;
    for (int round = 0; round < 3; ++round) {
        reference = qMin(reference, runReferenceSide(url, work));
        const InstallerRun run = runInstallerSide(url, package, work);
        installer = qMin(installer, run.seconds);
        peak = qMax(peak, run.peakKiB);
    }
    out() << package.name << ": " << package.bytes / MiB << " MiB" << Qt::endl
          << "  curl + unzip + cp -r:  " << QString::number(reference, 'f', 2) << " s" << Qt::endl
          << "  installer engine:      " << QString::number(installer, 'f', 2) << " s" << Qt::endl
          << "  ratio:                 " << QString::number(installer / reference, 'f', 2)
          << "  (target <= 1.00)" << Qt::endl
          << "  installer peak memory: " << mib(peak) << "  (target < 60 MiB)" << Qt::endl;
}

QByteArray sha256Hex(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

// The package checks on against off, alternating rounds, best of three each;
// served at once over loopback, or paced like a network link.
void compareChecks(HttpTestServer &server, const Package &package, const QString &work,
                   const MinisignKeyPair &key, qint64 bytesPerSecond = 0)
{
    const QString path = QLatin1Char('/') + package.name + QStringLiteral(".zip");
    if (!key.sign(package.zipPath)) {
        out() << "  minisign could not sign " << package.zipPath << Qt::endl;
        return;
    }
    HttpTestServer::Response response;
    response.filePath = package.zipPath;
    response.bytesPerSecond = bytesPerSecond;
    server.setResponse(path, response);
    server.serveFile(path + QStringLiteral(".minisig"),
                     package.zipPath + QStringLiteral(".minisig"));
    const QUrl url = server.url(path);
    const QString sha256 = QString::fromLatin1(sha256Hex(package.zipPath));
    const QList<QPair<QString, QStringList>> variants = {
        { QStringLiteral("no checks (as before)"), {} },
        { QStringLiteral("packageSha256"), { sha256, QString() } },
        { QStringLiteral("packageSha256 + signature"), { sha256, key.publicKeyLine } },
    };
    for (const bool downloadOnly : { false, true }) {
        QVector<double> best(variants.size(), 1e9);
        runInstallerSide(url, package, work); // warm-up
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < variants.size(); ++i) {
                QStringList checks = variants.at(i).second;
                if (downloadOnly) {
                    while (checks.size() < 2)
                        checks.append(QString());
                    checks.append(QStringLiteral("download-only"));
                }
                best[i] = qMin(best[i], runInstallerSide(url, package, work, checks).seconds);
            }
        }
        out() << package.name
              << (bytesPerSecond > 0
                      ? QStringLiteral(" over a %1 MB/s link").arg(bytesPerSecond / 1000000)
                      : QStringLiteral(" over loopback"))
              << (downloadOnly ? ", download only:" : ", whole install:") << Qt::endl;
        for (int i = 0; i < variants.size(); ++i) {
            out() << "  " << variants.at(i).first.leftJustified(28)
                  << QString::number(best[i], 'f', 2) << " s  ratio "
                  << QString::number(best[i] / best[0], 'f', 3) << Qt::endl;
        }
    }
    QFile::remove(package.zipPath + QStringLiteral(".minisig"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == QLatin1String("--child"))
        return runChild(arguments.mid(1));
    // Only the package checks, on against off (skips the comparison with curl).
    const bool checksOnly = arguments.removeAll(QStringLiteral("--checks-only")) > 0;

    const QString base = arguments.value(0, QDir::tempPath());
    QTemporaryDir workDir(base + QStringLiteral("/install-bench-XXXXXX"));
    if (!workDir.isValid()) {
        out() << "cannot create a work folder in " << base << Qt::endl;
        return 1;
    }
    const QString work = workDir.path();
    HttpTestServer server;
    if (!server.listen()) {
        out() << "cannot listen on 127.0.0.1" << Qt::endl;
        return 1;
    }
    out() << "Work folder: " << work << " (random, incompressible data)" << Qt::endl;

    const MinisignKeyPair key = MinisignKeyPair::generate(work, QStringLiteral("bench"));
    if (!key.isValid())
        out() << "minisign is missing: the checks are not measured" << Qt::endl;

    const Package big = makeSingleFilePackage(work, QStringLiteral("one-file-250MiB"), 250 * MiB,
                                              { QStringLiteral("-q"), QStringLiteral("-r") });
    if (!checksOnly)
        comparePackage(server, big, work);
    if (key.isValid()) {
        compareChecks(server, big, work, key);
        // A fast real link (800 Mbit/s) is still slower than the hashing.
        compareChecks(server, big, work, key, 100 * 1000 * 1000);
    }
    QFile::remove(big.zipPath);

    const Package many
        = makeManyFilePackage(work, QStringLiteral("5000-files-100MiB"), 100 * MiB, 5000, 50);
    if (!checksOnly)
        comparePackage(server, many, work);
    if (key.isValid())
        compareChecks(server, many, work, key);
    QFile::remove(many.zipPath);
    if (checksOnly)
        return 0;

    // The listing of every entry is held while a package is installed: the
    // peak with very many files.
    const Package hundredThousand
        = makeManyFilePackage(work, QStringLiteral("100000-files-100MiB"), 100 * MiB, 100000, 1000);
    comparePackage(server, hundredThousand, work);
    QFile::remove(hundredThousand.zipPath);

    // Peak memory must not grow with the package.
    out() << "Peak memory by package size (installer engine):" << Qt::endl;
    for (const qint64 size : { 100 * MiB, 1024 * MiB }) {
        const QString name = QStringLiteral("memory-%1MiB").arg(size / MiB);
        const Package package = makeSingleFilePackage(
            work, name, size, { QStringLiteral("-q"), QStringLiteral("-0"), QStringLiteral("-r") });
        const QString path = QLatin1Char('/') + name + QStringLiteral(".zip");
        server.serveFile(path, package.zipPath);
        const InstallerRun run = runInstallerSide(server.url(path), package, work);
        out() << "  " << size / MiB << " MiB package: " << mib(run.peakKiB) << " in "
              << QString::number(run.seconds, 'f', 2) << " s" << Qt::endl;
        QFile::remove(package.zipPath);
    }
    return 0;
}
