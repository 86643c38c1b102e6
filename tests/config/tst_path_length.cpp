// How deep a product may be installed: Windows' limit of 260 UTF-16 units,
// judged on Linux with the Windows rules.
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

QTEST_APPLESS_MAIN(TestPathLength)
#include "tst_path_length.moc"
