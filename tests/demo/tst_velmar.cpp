// The demo product: it must recognise the link it was started with, show it,
// and leave a status report that tells the demo how it was started.
#include "demo/link_argument.h"
#include "demo/status_report.h"
#include "demo/velmar_window.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QMultiMap<QString, QString> readReport(const QString &path)
{
    QMultiMap<QString, QString> values;
    const QList<QByteArray> lines = TestFiles::readFile(path).split('\n');
    for (const QByteArray &line : lines) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)),
                          QString::fromUtf8(line.mid(equals + 1)));
    }
    return values;
}

} // namespace

class TestVelmar : public QObject
{
    Q_OBJECT

private slots:
    void findsTheLinkArgument_data();
    void findsTheLinkArgument();
    void reportKeepsOneValuePerLine();
    void reportFailsCleanlyWhereItCannotWrite();
    void windowShowsTheLinkOnlyWhenThereIsOne();
    void startedProgramReportsHowItWasStarted();
};

void TestVelmar::findsTheLinkArgument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("link");
    QTest::newRow("no arguments") << QStringList { "Velmar" } << QString();
    QTest::newRow("protocol link") << QStringList { "Velmar", "korvantvelmar://open?x=1" }
                                   << QStringLiteral("korvantvelmar://open?x=1");
    QTest::newRow("drive letter is a path, not a link")
        << QStringList { "Velmar", "C:\\Users\\a.txt", "korvantvelmar:open" }
        << QStringLiteral("korvantvelmar:open");
    QTest::newRow("options and files")
        << QStringList { "Velmar", "--verbose", "notes.txt" } << QString();
    QTest::newRow("program name itself is never the link") << QStringList { "ab://x" } << QString();
}

void TestVelmar::findsTheLinkArgument()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, link);
    QCOMPARE(linkArgument(arguments), link);
}

void TestVelmar::reportKeepsOneValuePerLine()
{
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("run/status.txt"));
    StatusReport report = StatusReport::ofThisProcess({ QStringLiteral("Velmar"),
                                                        QStringLiteral("korvantvelmar://a"),
                                                        QStringLiteral("two\nlines") });
    QString error;
    QVERIFY2(report.writeTo(path, &error), qPrintable(error));

    const QMultiMap<QString, QString> values = readReport(path);
    QCOMPARE(values.value(QStringLiteral("pid")),
             QString::number(QCoreApplication::applicationPid()));
    QCOMPARE(values.value(QStringLiteral("workingFolder")), QDir::currentPath());
    QCOMPARE(values.value(QStringLiteral("link")), QStringLiteral("korvantvelmar://a"));
    QCOMPARE(values.values(QStringLiteral("argument")).size(), 2);
    QVERIFY(values.values(QStringLiteral("argument")).contains(QStringLiteral("two lines")));

    // A later start replaces the report instead of adding to it.
    report.arguments.clear();
    report.link.clear();
    QVERIFY(report.writeTo(path, &error));
    QCOMPARE(readReport(path).values(QStringLiteral("argument")).size(), 0);
    QCOMPARE(readReport(path).value(QStringLiteral("link")), QString());
}

void TestVelmar::reportFailsCleanlyWhereItCannotWrite()
{
    QTemporaryDir work;
    QVERIFY(TestFiles::writeFile(work.filePath(QStringLiteral("file")), QByteArray()));
    QString error;
    QVERIFY(!StatusReport().writeTo(work.filePath(QStringLiteral("file/status.txt")), &error));
    QVERIFY(!error.isEmpty());
}

void TestVelmar::windowShowsTheLinkOnlyWhenThereIsOne()
{
    StatusReport report;
    report.workingFolder = QStringLiteral("/opt/velmar");
    report.link = QStringLiteral("korvantvelmar://open?x=1");
    VelmarWindow withLink(report);
    auto *link = withLink.findChild<QLabel *>(QStringLiteral("link"));
    QVERIFY(link);
    QCOMPARE(link->text(), report.link);
    QCOMPARE(withLink.findChild<QLabel *>(QStringLiteral("working_folder"))->text(),
             QDir::toNativeSeparators(report.workingFolder));

    report.link.clear();
    VelmarWindow withoutLink(report);
    QVERIFY(!withoutLink.findChild<QLabel *>(QStringLiteral("link")));
}

void TestVelmar::startedProgramReportsHowItWasStarted()
{
    QTemporaryDir work;
    const QString program = qEnvironmentVariable("VELMAR_PACKAGE_DIR") + QStringLiteral("/Velmar");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
    const QString statusPath = work.filePath(QStringLiteral("status.txt"));

    QProcess velmar;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELMAR_STATUS_FILE"), statusPath);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    velmar.setProcessEnvironment(environment);
    velmar.setWorkingDirectory(work.path());
    velmar.start(program, { QStringLiteral("korvantvelmar://open?x=1") });
    QVERIFY(velmar.waitForStarted());

    const qint64 pid = velmar.processId();

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(statusPath), 30000);
    const QMultiMap<QString, QString> values = readReport(statusPath);
    velmar.kill();
    velmar.waitForFinished();

    QCOMPARE(values.value(QStringLiteral("pid")), QString::number(pid));
    QCOMPARE(QFileInfo(values.value(QStringLiteral("program"))).canonicalFilePath(),
             QFileInfo(program).canonicalFilePath());
    QCOMPARE(values.value(QStringLiteral("workingFolder")), QDir(work.path()).canonicalPath());
    QCOMPARE(values.value(QStringLiteral("link")), QStringLiteral("korvantvelmar://open?x=1"));
}

QTEST_MAIN(TestVelmar)
#include "tst_velmar.moc"
