// The publisher helper scripts/make-package.sh: the zip must unpack, through
// the installer's own unpacker, to exactly the folder's content (hidden
// entries included) with its permissions, and bytesTotal must be what the
// installer's copy counts, so that its progress ends at exactly 100%.
#include "engine/install_error.h"
#include "engine/trust/package_digest.h"
#include "engine/trust/package_trust.h"
#include "engine/unpack/unzip_worker.h"
#include "support/minisign_tool.h"
#include "support/script_run.h"
#include "support/test_files.h"
#include "support/test_paths.h"

#include <JlCompress.h>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString packager()
{
    return TestPaths::sourceDir() + QStringLiteral("/scripts/make-package.sh");
}

using TestFiles::executable;
using TestFiles::filesBelow;
using TestFiles::writeFile;

const QDir::Filters everyFile = QDir::Files | QDir::Hidden | QDir::System;

// The test's own count of what must be copied: the sizes of every file below
// folder, hidden ones included, a link counting as the file it leads to.
quint64 sizeOfFilesBelow(const QString &folder)
{
    quint64 total = 0;
    QDirIterator it(folder, everyFile, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += quint64(it.fileInfo().size());
    }
    return total;
}

// Every folder below folder, hidden and empty ones included, relative.
QStringList foldersBelow(const QString &folder)
{
    QStringList folders;
    QDirIterator it(folder, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir root(folder);
    while (it.hasNext())
        folders.append(root.relativeFilePath(it.next()));
    folders.sort();
    return folders;
}

QStringList fileNamesBelow(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, everyFile, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    names.sort();
    return names;
}

// The value of "key=" on its own line of the helper's standard output.
QString settingsValue(const QString &output, const QString &key)
{
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return QStringLiteral("<missing>");
}

} // namespace

class TestMakePackage : public QObject
{
    Q_OBJECT

private slots:
    void packsTheFolderAsTheInstallerUnpacksIt();
    void packsHiddenEntriesAndCountsThem();
    void installsThroughTheInstallerToExactlyFullProgress();
    void replacesAnExistingPackageWhole();
    void withoutBaseUrlLeavesPackageUrlToThePublisher();
    void printsTheChecksAndSignsWithAGivenKey();
    void refusesWhatItCannotPackage_data();
    void refusesWhatItCannotPackage();
};

void TestMakePackage::packsTheFolderAsTheInstallerUnpacksIt()
{
    QTemporaryDir work;
    const QString product = work.filePath(QStringLiteral("product"));
    QByteArray big(70000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919) % 251);
    QVERIFY(writeFile(product + QStringLiteral("/Velmar"),
                      "\x7f"
                      "ELF program",
                      executable()));
    QVERIFY(
        writeFile(product + QStringLiteral("/uninst.exe"), "#!/bin/sh\necho bye\n", executable()));
    QVERIFY(writeFile(product + QStringLiteral("/translations/velmar.zh_CN.qm"), "qm"));
    QVERIFY(writeFile(product + QStringLiteral("/data/deep/nested/blob.bin"), big));
    QVERIFY(writeFile(product + QStringLiteral("/name with spaces.txt"), "spaced"));
    QVERIFY(writeFile(product + QStringLiteral("/empty.txt"), QByteArray()));
    QVERIFY(QFile::link(product + QStringLiteral("/name with spaces.txt"),
                        product + QStringLiteral("/link.txt")));
    QVERIFY(QDir().mkpath(product + QStringLiteral("/logs")));

    const QString zip = work.filePath(QStringLiteral("velmar.zip"));
    const ScriptRun run
        = ScriptRun::run(packager(), { product, zip, QStringLiteral("http://127.0.0.1:8080/dl/") });
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.standardError));

    QCOMPARE(settingsValue(run.standardOutput, QStringLiteral("bytesTotal")),
             QString::number(sizeOfFilesBelow(product)));
    QCOMPARE(settingsValue(run.standardOutput, QStringLiteral("packageUrl")),
             QStringLiteral("http://127.0.0.1:8080/dl/velmar.zip"));

    const QString unpacked = work.filePath(QStringLiteral("unpacked"));
    QVERIFY(!JlCompress::extractDir(zip, unpacked).isEmpty());
    QCOMPARE(filesBelow(unpacked), filesBelow(product));
    QVERIFY(QFileInfo(unpacked + QStringLiteral("/logs")).isDir());
    // A link travels as the file it points to: Windows has no such links.
    QVERIFY(!QFileInfo(unpacked + QStringLiteral("/link.txt")).isSymLink());
    QVERIFY(QFileInfo(unpacked + QStringLiteral("/Velmar")).permissions() & QFileDevice::ExeOwner);
    QVERIFY(QFileInfo(unpacked + QStringLiteral("/uninst.exe")).permissions()
            & QFileDevice::ExeOwner);
    QVERIFY(!(QFileInfo(unpacked + QStringLiteral("/empty.txt")).permissions()
              & QFileDevice::ExeOwner));
}

void TestMakePackage::packsHiddenEntriesAndCountsThem()
{
    // The installer copies hidden files and folders like any other, so the
    // package carries them and bytesTotal counts them.
    QTemporaryDir work;
    const QString product = work.filePath(QStringLiteral("product"));
    QVERIFY(writeFile(product + QStringLiteral("/Velmar"), "program", executable()));
    QVERIFY(writeFile(product + QStringLiteral("/.settings"), "hidden file"));
    QVERIFY(writeFile(product + QStringLiteral("/.git/config"), "hidden folder"));
    QVERIFY(writeFile(product + QStringLiteral("/data/.cache"), "hidden below"));
    QVERIFY(QDir().mkpath(product + QStringLiteral("/.empty")));

    const QString zip = work.filePath(QStringLiteral("velmar.zip"));
    const ScriptRun run = ScriptRun::run(packager(), { product, zip, QStringLiteral("http://h") });
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.standardError));
    QVERIFY2(!run.standardError.contains(QLatin1String("warning")), qPrintable(run.standardError));

    const QString bytesTotal = settingsValue(run.standardOutput, QStringLiteral("bytesTotal"));
    QCOMPARE(bytesTotal, QString::number(7 + 11 + 13 + 12));
    QCOMPARE(bytesTotal, QString::number(sizeOfFilesBelow(product)));

    const QStringList entries = JlCompress::getFileList(zip);
    for (const QString &expected : { QStringLiteral("Velmar"), QStringLiteral(".settings"),
                                     QStringLiteral(".git/"), QStringLiteral(".git/config"),
                                     QStringLiteral("data/.cache"), QStringLiteral(".empty/") })
        QVERIFY2(entries.contains(expected), qPrintable(entries.join(QLatin1Char(' '))));
}

void TestMakePackage::installsThroughTheInstallerToExactlyFullProgress()
{
    // The whole road: the package made here goes through the installer's own
    // worker with the printed bytesTotal; progress must end at exactly 1.0
    // and the install folder must hold the product folder's every file.
    QTemporaryDir work;
    const QString product = work.filePath(QStringLiteral("product"));
    QByteArray big(300000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char((i * 2654435761u) >> 13);
    QVERIFY(writeFile(product + QStringLiteral("/Velmar"),
                      "\x7f"
                      "ELF program",
                      executable()));
    QVERIFY(
        writeFile(product + QStringLiteral("/uninst.exe"), "#!/bin/sh\necho bye\n", executable()));
    QVERIFY(writeFile(product + QStringLiteral("/empty.txt"), QByteArray()));
    QVERIFY(writeFile(product + QStringLiteral("/data/blob.bin"), big));
    QVERIFY(writeFile(product + QStringLiteral("/data/.cache"), "hidden below"));
    QVERIFY(writeFile(product + QStringLiteral("/.settings"), "[velmar]\nlanguage=zh_CN\n"));
    QVERIFY(writeFile(product + QStringLiteral("/.config/velmar/prefs.ini"), "hidden in hidden"));
    QVERIFY(writeFile(product + QStringLiteral("/.config/velmar/.state"), big.left(4097)));
    QVERIFY(writeFile(product + QStringLiteral("/.tools/run.sh"), "#!/bin/sh\n", executable()));
    QVERIFY(QDir().mkpath(product + QStringLiteral("/logs")));
    QVERIFY(QDir().mkpath(product + QStringLiteral("/.empty")));
    // Links to files, one absolute and one relative inside a hidden folder.
    QVERIFY(QFile::link(product + QStringLiteral("/data/blob.bin"),
                        product + QStringLiteral("/blob-link.bin")));
    QVERIFY(QFile::link(QStringLiteral("prefs.ini"),
                        product + QStringLiteral("/.config/velmar/current.ini")));

    const QString zip = work.filePath(QStringLiteral("velmar.zip"));
    const ScriptRun run = ScriptRun::run(packager(), { product, zip });
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.standardError));
    bool isNumber = false;
    const qulonglong bytesTotal
        = settingsValue(run.standardOutput, QStringLiteral("bytesTotal")).toULongLong(&isNumber);
    QVERIFY(isNumber);
    QCOMPARE(quint64(bytesTotal), sizeOfFilesBelow(product));

    // The worker unpacks into the temporary folder: one of the test's own,
    // so that a leftover unpacked copy would show.
    const QString temp = work.filePath(QStringLiteral("tmp"));
    const QString target = work.filePath(QStringLiteral("install"));
    QVERIFY(QDir().mkpath(temp));
    QVERIFY(QDir().mkpath(target));
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp));

    QList<QPair<int, QString>> results;
    QList<QPair<double, QString>> progress;
    UnzipWorker worker;
    connect(&worker, &UnzipWorker::done, [&results](int error, const QString &message) {
        results.append({ error, message });
    });
    connect(&worker, &UnzipWorker::progress, [&progress](double percent, const QString &current) {
        progress.append({ percent, current });
    });
    worker.doWork(zip, bytesTotal, target);
    if (savedTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTemp);

    QCOMPARE(results.size(), 1);
    QVERIFY2(results.first().first == NoError, qPrintable(results.first().second));
    QVERIFY(!progress.isEmpty());
    // Exactly, not nearly: bytesTotal is the very sum the worker adds up.
    QVERIFY2(progress.last().first == 1.0,
             qPrintable(QString::number(progress.last().first, 'g', 17)));
    // Reports come at most about 30 times a second; each names a file of the
    // product (the last one, 1.0, may name none).
    const QStringList names = fileNamesBelow(product);
    for (const auto &step : qAsConst(progress)) {
        const QString name = step.second.section(QLatin1Char('/'), -1);
        QVERIFY2(name.isEmpty() || names.contains(name), qPrintable(step.second));
    }
    for (int i = 1; i < progress.size(); ++i)
        QVERIFY(progress.at(i).first >= progress.at(i - 1).first);

    QCOMPARE(filesBelow(target), filesBelow(product));
    QCOMPARE(foldersBelow(target), foldersBelow(product));
    QVERIFY(!QFileInfo(target + QStringLiteral("/blob-link.bin")).isSymLink());
    QVERIFY(!QFileInfo(target + QStringLiteral("/.config/velmar/current.ini")).isSymLink());
    QVERIFY(QFileInfo(target + QStringLiteral("/Velmar")).permissions() & QFileDevice::ExeOwner);
    QVERIFY(QFileInfo(target + QStringLiteral("/.tools/run.sh")).permissions()
            & QFileDevice::ExeOwner);
    QVERIFY(
        !(QFileInfo(target + QStringLiteral("/.settings")).permissions() & QFileDevice::ExeOwner));
    QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestMakePackage::replacesAnExistingPackageWhole()
{
    // zip itself would add to an existing archive; a package must not keep
    // files from an earlier build.
    QTemporaryDir work;
    const QString product = work.filePath(QStringLiteral("product"));
    const QString zip = work.filePath(QStringLiteral("velmar.zip"));
    QVERIFY(writeFile(product + QStringLiteral("/old.txt"), "old"));
    QCOMPARE(ScriptRun::run(packager(), { product, zip }).exitCode, 0);
    QVERIFY(QFile::remove(product + QStringLiteral("/old.txt")));
    QVERIFY(writeFile(product + QStringLiteral("/new.txt"), "new!"));

    const ScriptRun run = ScriptRun::run(packager(), { product, zip });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(JlCompress::getFileList(zip), QStringList { QStringLiteral("new.txt") });
    QCOMPARE(settingsValue(run.standardOutput, QStringLiteral("bytesTotal")), QStringLiteral("4"));
}

void TestMakePackage::withoutBaseUrlLeavesPackageUrlToThePublisher()
{
    QTemporaryDir work;
    QVERIFY(writeFile(work.filePath(QStringLiteral("product/a")), "abc"));
    const ScriptRun run = ScriptRun::run(
        packager(),
        { work.filePath(QStringLiteral("product")), work.filePath(QStringLiteral("p.zip")) });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(settingsValue(run.standardOutput, QStringLiteral("packageUrl")), QString());
    QVERIFY(run.standardError.contains(QLatin1String("packageUrl")));
}

void TestMakePackage::printsTheChecksAndSignsWithAGivenKey()
{
    QTemporaryDir work;
    QVERIFY(writeFile(work.filePath(QStringLiteral("product/Velmar")), "program", executable()));
    const MinisignKeyPair key = MinisignKeyPair::generate(work.path(), QStringLiteral("publisher"));
    QVERIFY(key.isValid());
    const QString zip = work.filePath(QStringLiteral("velmar.zip"));
    // A signature of an earlier build must not stay beside the new package.
    QVERIFY(writeFile(zip + QStringLiteral(".minisig"), "stale"));

    const ScriptRun plain
        = ScriptRun::run(packager(), { work.filePath(QStringLiteral("product")), zip });
    QCOMPARE(plain.exitCode, 0);
    QVERIFY(!QFileInfo::exists(zip + QStringLiteral(".minisig")));
    QCOMPARE(settingsValue(plain.standardOutput, QStringLiteral("packagePublicKey")),
             QStringLiteral("<missing>"));

    const ScriptRun run = ScriptRun::run(
        packager(),
        { QStringLiteral("-s"), key.secretKeyPath, QStringLiteral("-p"), QStringLiteral("Velmar"),
          QStringLiteral("-v"), QStringLiteral("2.3.4.5"), work.filePath(QStringLiteral("product")),
          zip, QStringLiteral("http://h/") });
    QVERIFY2(run.exitCode == 0, qPrintable(run.standardError));
    const QByteArray bytes = TestFiles::readFile(zip);
    const QString sha256 = settingsValue(run.standardOutput, QStringLiteral("packageSha256"));
    QCOMPARE(
        sha256,
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
    const QString publicKey = settingsValue(run.standardOutput, QStringLiteral("packagePublicKey"));
    QCOMPARE(publicKey, key.publicKeyLine);

    // minisign itself accepts the signature, and so does the installer.
    QCOMPARE(ScriptRun::run(QStringLiteral("minisign"),
                            { QStringLiteral("-V"), QStringLiteral("-q"), QStringLiteral("-P"),
                              publicKey, QStringLiteral("-m"), zip })
                 .exitCode,
             0);
    const QByteArray signatureFile = TestFiles::readFile(zip + QStringLiteral(".minisig"));
    PackageDigest digest(true, true);
    digest.addData(bytes.constData(), bytes.size());
    PackageTrust trust(sha256, publicKey);
    trust.setExpectedClaims(QStringLiteral("Velmar"), QStringLiteral("2.3.4.5"));
    const QString name = QFileInfo(zip).fileName();
    QCOMPARE(trust.check(digest, signatureFile, zip, name), QString());
    // The signature names what it was made for.
    trust.setExpectedClaims(QStringLiteral("Velmar"), QStringLiteral("3.0.0.0"));
    QVERIFY(!trust.check(digest, signatureFile, zip, name).isEmpty());
}

void TestMakePackage::refusesWhatItCannotPackage_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("missing folder") << "absent"
                                    << "p.zip" << 1;
    QTest::newRow("package inside the folder") << "product"
                                               << "product/p.zip" << 1;
    QTest::newRow("output folder missing") << "product"
                                           << "nowhere/p.zip" << 1;
    QTest::newRow("link leading nowhere") << "dangling"
                                          << "p.zip" << 1;
    QTest::newRow("hidden link leading nowhere") << "hidden-dangling"
                                                 << "p.zip" << 1;
    QTest::newRow("hidden link to a folder") << "hidden-folder-link"
                                             << "p.zip" << 1;
    QTest::newRow("nothing to package") << "empty"
                                        << "p.zip" << 1;
    QTest::newRow("no output given") << "product"
                                     << "" << 2;
}

void TestMakePackage::refusesWhatItCannotPackage()
{
    QFETCH(QString, folder);
    QFETCH(QString, output);
    QFETCH(int, exitCode);

    QTemporaryDir work;
    QVERIFY(writeFile(work.filePath(QStringLiteral("product/Velmar")), "program", executable()));
    QVERIFY(writeFile(work.filePath(QStringLiteral("dangling/Velmar")), "program", executable()));
    QVERIFY(QFile::link(work.filePath(QStringLiteral("dangling/gone")),
                        work.filePath(QStringLiteral("dangling/link"))));
    QVERIFY(writeFile(work.filePath(QStringLiteral("hidden-dangling/Velmar")), "program",
                      executable()));
    QVERIFY(QDir().mkpath(work.filePath(QStringLiteral("hidden-dangling/.config"))));
    QVERIFY(QFile::link(work.filePath(QStringLiteral("hidden-dangling/gone")),
                        work.filePath(QStringLiteral("hidden-dangling/.config/link"))));
    QVERIFY(writeFile(work.filePath(QStringLiteral("hidden-folder-link/Velmar")), "program",
                      executable()));
    QVERIFY(QFile::link(work.filePath(QStringLiteral("product")),
                        work.filePath(QStringLiteral("hidden-folder-link/.product"))));
    QVERIFY(QDir().mkpath(work.filePath(QStringLiteral("empty"))));

    QStringList arguments { work.filePath(folder) };
    if (!output.isEmpty())
        arguments << work.filePath(output);
    const ScriptRun run = ScriptRun::run(packager(), arguments);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.standardError.trimmed().isEmpty());
    QVERIFY(run.standardOutput.isEmpty());
    // Nothing half-written is left behind under any name.
    QDirIterator it(work.path(), { QStringLiteral("*.zip*") }, QDir::Files,
                    QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
}

QTEST_GUILESS_MAIN(TestMakePackage)
#include "tst_make_package.moc"
