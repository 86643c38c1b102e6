// The publisher helper scripts/make-package.sh: the zip must unpack, through
// the installer's own unpacker, to exactly the folder's content with its
// permissions, and bytesTotal must be what the installer will copy.
#include "support/script_run.h"
#include "support/test_paths.h"

#include <JlCompress.h>

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString packager()
{
    return TestPaths::sourceDir() + QStringLiteral("/scripts/make-package.sh");
}

void writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

// Every regular file below folder that the installer's copy sees (hidden
// entries excluded), by relative path, with its content.
QMap<QString, QByteArray> filesBelow(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    const QDir root(folder);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(root.relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}

quint64 sizeOfFilesBelow(const QString &folder)
{
    quint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += quint64(it.fileInfo().size());
    }
    return total;
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
    void leavesHiddenEntriesOutAndSaysSo();
    void replacesAnExistingPackageWhole();
    void withoutBaseUrlLeavesPackageUrlToThePublisher();
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
    writeFile(product + QStringLiteral("/Velmar"),
              "\x7f"
              "ELF program",
              true);
    writeFile(product + QStringLiteral("/uninst.exe"), "#!/bin/sh\necho bye\n", true);
    writeFile(product + QStringLiteral("/translations/velmar.zh_CN.qm"), "qm");
    writeFile(product + QStringLiteral("/data/deep/nested/blob.bin"), big);
    writeFile(product + QStringLiteral("/name with spaces.txt"), "spaced");
    writeFile(product + QStringLiteral("/empty.txt"), QByteArray());
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

void TestMakePackage::leavesHiddenEntriesOutAndSaysSo()
{
    QTemporaryDir work;
    const QString product = work.filePath(QStringLiteral("product"));
    writeFile(product + QStringLiteral("/Velmar"), "program", true);
    writeFile(product + QStringLiteral("/.settings"), "hidden file");
    writeFile(product + QStringLiteral("/.git/config"), "hidden folder");
    writeFile(product + QStringLiteral("/data/.cache"), "hidden below");

    const QString zip = work.filePath(QStringLiteral("velmar.zip"));
    const ScriptRun run = ScriptRun::run(packager(), { product, zip, QStringLiteral("http://h") });
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.standardError));
    QVERIFY(run.standardError.contains(QLatin1String(".settings")));
    QVERIFY(run.standardError.contains(QLatin1String(".git")));
    QCOMPARE(settingsValue(run.standardOutput, QStringLiteral("bytesTotal")), QStringLiteral("7"));

    const QStringList entries = JlCompress::getFileList(zip);
    QVERIFY(!entries.isEmpty());
    for (const QString &entry : entries)
        QVERIFY2(!entry.startsWith(QLatin1Char('.')) && !entry.contains(QLatin1String("/.")),
                 qPrintable(entry));
}

void TestMakePackage::replacesAnExistingPackageWhole()
{
    // zip itself would add to an existing archive; a package must not keep
    // files from an earlier build.
    QTemporaryDir work;
    const QString product = work.filePath(QStringLiteral("product"));
    const QString zip = work.filePath(QStringLiteral("velmar.zip"));
    writeFile(product + QStringLiteral("/old.txt"), "old");
    QCOMPARE(ScriptRun::run(packager(), { product, zip }).exitCode, 0);
    QVERIFY(QFile::remove(product + QStringLiteral("/old.txt")));
    writeFile(product + QStringLiteral("/new.txt"), "new!");

    const ScriptRun run = ScriptRun::run(packager(), { product, zip });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(JlCompress::getFileList(zip), QStringList { QStringLiteral("new.txt") });
    QCOMPARE(settingsValue(run.standardOutput, QStringLiteral("bytesTotal")), QStringLiteral("4"));
}

void TestMakePackage::withoutBaseUrlLeavesPackageUrlToThePublisher()
{
    QTemporaryDir work;
    writeFile(work.filePath(QStringLiteral("product/a")), "abc");
    const ScriptRun run = ScriptRun::run(
        packager(),
        { work.filePath(QStringLiteral("product")), work.filePath(QStringLiteral("p.zip")) });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(settingsValue(run.standardOutput, QStringLiteral("packageUrl")), QString());
    QVERIFY(run.standardError.contains(QLatin1String("packageUrl")));
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
    writeFile(work.filePath(QStringLiteral("product/Velmar")), "program", true);
    writeFile(work.filePath(QStringLiteral("dangling/Velmar")), "program", true);
    QVERIFY(QFile::link(work.filePath(QStringLiteral("dangling/gone")),
                        work.filePath(QStringLiteral("dangling/link"))));
    QVERIFY(QDir().mkpath(work.filePath(QStringLiteral("empty/.only-hidden"))));

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
