// How deep a product may be installed: Windows' 260-unit limit, judged on
// Linux with the Windows rules.
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
    void longestPathInSystemForm();
};

namespace {

// "C:/" and a folder name that make the folder n characters long.
QString folderOfLength(int n)
{
    return QStringLiteral("C:/") + QString(n - 3, QLatin1Char('f'));
}

} // namespace

void TestPathLength::limit_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<System>("system");
    QTest::addColumn<int>("length"); // of the longest path; 0 when it fits
    const QStringList deep { QStringLiteral("Velmar.exe"), QStringLiteral("data/x/y.txt") };
    // The deepest entry decides: the folder, a backslash and 12 characters.
    QTest::newRow("fits") << folderOfLength(200) << deep << System::Windows << 0;
    QTest::newRow("259 fits") << folderOfLength(246) << deep << System::Windows << 0;
    QTest::newRow("260 refused") << folderOfLength(247) << deep << System::Windows << 260;
    QTest::newRow("folder alone 259")
        << folderOfLength(259) << QStringList() << System::Windows << 0;
    QTest::newRow("folder alone 260")
        << folderOfLength(260) << QStringList() << System::Windows << 260;
    QTest::newRow("trailing slash not counted")
        << folderOfLength(246) + QLatin1Char('/') << deep << System::Windows << 0;
    // Windows counts UTF-16 units: a character outside the BMP takes two.
    QTest::newRow("surrogate pair")
        << folderOfLength(244) + QStringLiteral("/\U0001F600") << deep << System::Windows << 260;
    QTest::newRow("unix has no such limit")
        << QStringLiteral("/") + QString(3000, QLatin1Char('f')) << deep << System::Unix << 0;
}

void TestPathLength::limit()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, entries);
    QFETCH(System, system);
    QFETCH(int, length);
    const QString problem = PathLength::problem(folder, entries, system);
    if (length == 0) {
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        return;
    }
    // The message says how long and what the limit is.
    QVERIFY(problem.contains(QString::number(length)));
    QVERIFY(problem.contains(QStringLiteral("260")));
}

void TestPathLength::longestPathInSystemForm()
{
    const QStringList entries { QStringLiteral("a"), QStringLiteral("bin/plugins/x.dll"),
                                QStringLiteral("c.txt") };
    QCOMPARE(PathLength::longestPath(QStringLiteral("D:/Apps/X"), entries, System::Windows),
             QStringLiteral("D:\\Apps\\X\\bin\\plugins\\x.dll"));
    QCOMPARE(PathLength::longestPath(QStringLiteral("D:/"), entries, System::Windows),
             QStringLiteral("D:\\bin\\plugins\\x.dll"));
    QCOMPARE(PathLength::longestPath(QStringLiteral("/opt/x/"), entries, System::Unix),
             QStringLiteral("/opt/x/bin/plugins/x.dll"));
}

QTEST_APPLESS_MAIN(TestPathLength)
#include "tst_path_length.moc"
