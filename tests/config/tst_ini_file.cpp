// The INI reader of settings.ini: text values read exactly as the toolkit's
// INI settings read them, typed values never decoded.
#include "config/ini_file.h"
#include "support/test_files.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void textAsTheToolkitReadsIt_data();
    void textAsTheToolkitReadsIt();
    void typedValuesAreNotDecoded();
    void oversizedFileIsNotRead();
};

void TestIniFile::textAsTheToolkitReadsIt_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("plain") << QByteArray("k=value\n");
    QTest::newRow("blanks around") << QByteArray("  k \t=  a value \t \n");
    QTest::newRow("crlf, other keys") << QByteArray("a=1\r\nk=two\r\nb=3\r\n");
    QTest::newRow("comment lines") << QByteArray("; k=no\nk=yes ; and a comment\n;k=no\n");
    QTest::newRow("quoted") << QByteArray("k=\"  a, b; c = d  \"  \n");
    QTest::newRow("quoted over lines") << QByteArray("k=\"one\ntwo\"\nx=1\n");
    QTest::newRow("escapes") << QByteArray("k=a\\tb\\?\\'\\\\c\\\"d\\x41\\101\\u\\\nnext\n");
    QTest::newRow("lone backslash") << QByteArray("k=trail  \\");
    QTest::newRow("list") << QByteArray("k= a , \"b, c\" ,d,\n");
    QTest::newRow("at signs") << QByteArray("k=@@at\nl=@String(text)\n");
    QTest::newRow("escaped key") << QByteArray("%6B=percent\n");
    QTest::newRow("last wins") << QByteArray("k=first\n[Other]\nk=other\n[general]\nk=last\n");
    QTest::newRow("%General is a group") << QByteArray("k=top\n[%General]\nk=group\n");
    QTest::newRow("grouped key") << QByteArray("a\\k=group\n");
    QTest::newRow("section without end") << QByteArray("[Other\nk=other\n");
    QTest::newRow("utf-8") << QByteArray("k=M\xc3\xbcller \xe6\x92\xad\n");
    QTest::newRow("key case") << QByteArray("K=upper case\n[GENERAL]\nL=upper\n");
    QTest::newRow("no line end") << QByteArray("x=1\nk=end");
}

void TestIniFile::textAsTheToolkitReadsIt()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(TestFiles::writeFile(path, content));
    QSettings toolkit(path, QSettings::IniFormat);
    toolkit.setIniCodec("UTF-8");

    const IniFile file(path);
    QVERIFY(file.readable());
    for (const QString &key : { QStringLiteral("k"), QStringLiteral("l") }) {
        const IniFile::Value value = file.value(key);
        const QVariant expected = toolkit.value(key);
        QCOMPARE(value.present, toolkit.contains(key));
        QCOMPARE(value.isList, expected.type() == QVariant::StringList);
        if (value.isList)
            QCOMPARE(value.items, expected.toStringList());
        else
            QCOMPARE(value.text, expected.toString());
    }
}

void TestIniFile::typedValuesAreNotDecoded()
{
    // A list claiming 2^32 - 1 items, which the toolkit tries to allocate.
    const IniFile file = IniFile::fromText("gl=@Variant(\\0\\0\\0\\t(\\0\\0\\0\\g)\n"
                                           "k=@Rect(1 2 3 4)\n"
                                           "productName=Velmar\n");
    QCOMPARE(file.value(QStringLiteral("productName")).text, QStringLiteral("Velmar"));
    QVERIFY(file.value(QStringLiteral("gl")).present);
    QCOMPARE(file.value(QStringLiteral("gl")).text, QString());
    QCOMPARE(file.typedKeys(), QStringList({ QStringLiteral("gl"), QStringLiteral("k") }));
}

void TestIniFile::oversizedFileIsNotRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(TestFiles::writeFile(path, "k=v\n" + QByteArray(IniFile::maximumSize, ';')));
    const IniFile file(path);
    QVERIFY(!file.readable());
    QVERIFY(!file.value(QStringLiteral("k")).present);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
