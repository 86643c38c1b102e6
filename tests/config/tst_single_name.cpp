// The one rule for single file and folder names, on both systems at once.
#include "config/single_name.h"

#include <QtTest>

using System = SingleName::System;
Q_DECLARE_METATYPE(SingleName::System)

class TestSingleName : public QObject
{
    Q_OBJECT

private slots:
    void validity_data();
    void validity();
    void madeValid_data();
    void madeValid();
};

void TestSingleName::validity_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("onWindows");
    QTest::addColumn<bool>("onUnix");
    QTest::newRow("plain") << "Velmar" << true << true;
    QTest::newRow("unicode") << QStringLiteral("维尔玛 Velmar") << true << true;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("dot") << "." << false << false;
    QTest::newRow("dot dot") << ".." << false << false;
    QTest::newRow("slash") << "a/b" << false << false;
    QTest::newRow("backslash") << "a\\b" << false << false;
    QTest::newRow("control") << "a\tb" << false << false;
    QTest::newRow("query") << "velmar.zip?x=1" << false << true;
    QTest::newRow("quote") << "say \"hi\"" << false << true;
    QTest::newRow("device") << "con" << false << true;
    QTest::newRow("device with ending") << "LPT1.txt" << false << true;
    QTest::newRow("device-like") << "CONSOLE" << true << true;
    QTest::newRow("trailing dot") << "Velmar." << false << true;
    QTest::newRow("trailing space") << "Velmar " << false << true;
    // 255 is the limit: UTF-16 units on Windows, UTF-8 bytes on Unix.
    QTest::newRow("255 ascii") << QString(255, QLatin1Char('v')) << true << true;
    QTest::newRow("256 ascii") << QString(256, QLatin1Char('v')) << false << false;
    QTest::newRow("200 two-byte") << QString(200, QChar(0x00E9)) << true << false;
}

void TestSingleName::validity()
{
    QFETCH(QString, name);
    QFETCH(bool, onWindows);
    QFETCH(bool, onUnix);
    QCOMPARE(SingleName::isValid(name, System::Windows), onWindows);
    QCOMPARE(SingleName::isValid(name, System::Unix), onUnix);
    QCOMPARE(SingleName::isValidEverywhere(name), onWindows && onUnix);
    QCOMPARE(SingleName::problem(name, System::Windows).isEmpty(), onWindows);
}

void TestSingleName::madeValid_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<System>("system");
    QTest::addColumn<QString>("made");
    QTest::newRow("valid stays") << "Velmar" << System::Windows << "Velmar";
    QTest::newRow("separators") << "A/B\\C" << System::Unix << "A_B_C";
    QTest::newRow("windows characters") << "a:b*c?\"d\"" << System::Windows << "a_b_c__d_";
    QTest::newRow("kept on unix") << "a:b*c?" << System::Unix << "a:b*c?";
    QTest::newRow("device") << "CON" << System::Windows << "CON_";
    QTest::newRow("device with ending") << "aux.lnk" << System::Windows << "aux_.lnk";
    QTest::newRow("trailing dots") << "Velmar.. " << System::Windows << "Velmar";
    QTest::newRow("nothing left") << "..." << System::Windows << "";
    QTest::newRow("dot dot") << ".." << System::Unix << "";
    QTest::newRow("overlong") << QString(300, QLatin1Char('v')) << System::Unix
                              << QString(255, QLatin1Char('v'));
    // A character of two UTF-16 units is cut whole, never in half.
    QTest::newRow("surrogates") << QString(254, QLatin1Char('v')) + QString::fromUcs4(U"\U0001F600")
                                << System::Windows << QString(254, QLatin1Char('v'));
}

void TestSingleName::madeValid()
{
    QFETCH(QString, name);
    QFETCH(System, system);
    QFETCH(QString, made);
    QCOMPARE(SingleName::madeValid(name, system), made);
    if (!made.isEmpty())
        QVERIFY(SingleName::isValid(made, system));
}

QTEST_GUILESS_MAIN(TestSingleName)
#include "tst_single_name.moc"
