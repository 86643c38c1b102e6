// How deep a product may be installed: Windows' limit of 260 UTF-16 units,
// judged on Linux with the Windows rules.
#include "config/native_path.h"
#include "config/path_length.h"

#include <QtTest>

using System = PathLength::System;
Q_DECLARE_METATYPE(PathLength::System)

class TestPathLength : public QObject
{
    Q_OBJECT

private slots:
    void limit_data();
    void limit();
    void longForm_data();
    void longForm();
};

void TestPathLength::limit_data()
{
    // "C:/", n - 3 characters and tail, with a deepest entry of 12 characters.
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<System>("system");
    QTest::addColumn<bool>("fits");
    QTest::newRow("259") << 246 << "" << System::Windows << true;
    QTest::newRow("260") << 247 << "" << System::Windows << false;
    QTest::newRow("trailing slash") << 246 << "/" << System::Windows << true;
    QTest::newRow("surrogate pair counts 2") << 244 << "/\U0001F600" << System::Windows << false;
    QTest::newRow("unix") << 3000 << "" << System::Unix << true;
}

void TestPathLength::limit()
{
    QFETCH(int, n);
    QFETCH(QString, tail);
    QFETCH(System, system);
    QFETCH(bool, fits);
    const QString folder = QStringLiteral("C:/") + QString(n - 3, QLatin1Char('f')) + tail;
    const QStringList entries { QStringLiteral("Velmar.exe"), QStringLiteral("data/x/y.txt") };
    const QString problem = PathLength::problem(folder, entries, system);
    QCOMPARE(problem.isEmpty(), fits);
    // The message gives the length and the limit.
    QVERIFY(fits || problem.contains(QStringLiteral("up to 260 characters long")));
    QVERIFY(fits || problem.contains(QStringLiteral("paths of 260 characters or more")));
    // The folder alone counts too.
    QCOMPARE(PathLength::problem(folder + QString(13, QLatin1Char('g')), {}, system).isEmpty(),
             fits && !tail.endsWith(QLatin1Char('/')));
}

void TestPathLength::longForm_data()
{
    // The installer's own deeper paths (staging, set-aside entries) go to
    // Windows in the \\?\ form, which the system takes literally.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("longForm");
    QTest::newRow("drive") << "C:/Program Files/Velmar/.installer-1/new/a.txt"
                           << "\\\\?\\C:\\Program Files\\Velmar\\.installer-1\\new\\a.txt";
    QTest::newRow("dots and both separators") << "D:\\Apps\\.\\x\\..\\Velmar//a"
                                              << "\\\\?\\D:\\Apps\\Velmar\\a";
    QTest::newRow("network share") << "//server/share/Velmar/a"
                                   << "\\\\?\\UNC\\server\\share\\Velmar\\a";
    QTest::newRow("already long") << "\\\\?\\C:\\x\\..\\y"
                                  << "\\\\?\\C:\\x\\..\\y";
    QTest::newRow("relative") << "Velmar/a"
                              << "Velmar\\a";
}

void TestPathLength::longForm()
{
    QFETCH(QString, path);
    QFETCH(QString, longForm);
    QCOMPARE(windowsLongPath(path), longForm);
}

QTEST_APPLESS_MAIN(TestPathLength)
#include "tst_path_length.moc"
