// The start page's folder field: the folder shown the system's way, typed
// and pasted text (Explorer's "Copy as path") read back as a folder, and
// where the folder dialog opens; both systems' rules judged on either.
#include "wizard/folder_field_text.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using System = FolderFieldText::System;
Q_DECLARE_METATYPE(FolderFieldText::System)

class TestFolderFieldText : public QObject
{
    Q_OBJECT

private slots:
    void shown_data();
    void shown();
    void folder_data();
    void folder();
    void nearestExisting();
};

void TestFolderFieldText::shown_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<System>("system");
    QTest::addColumn<QString>("text");
    QTest::newRow("windows") << "C:/Program Files/Velmar" << System::Windows
                             << "C:\\Program Files\\Velmar";
    QTest::newRow("unix") << "/home/u/.local/share/Velmar" << System::Unix
                          << "/home/u/.local/share/Velmar";
}

void TestFolderFieldText::shown()
{
    QFETCH(QString, folder);
    QFETCH(System, system);
    QFETCH(QString, text);
    QCOMPARE(FolderFieldText::shown(folder, system), text);
    // What is shown reads back as the same folder.
    QCOMPARE(FolderFieldText::folder(text, system), folder);
}

void TestFolderFieldText::folder_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<System>("system");
    QTest::addColumn<QString>("folder");
    QTest::newRow("typed") << "D:\\Apps\\X" << System::Windows << "D:/Apps/X";
    QTest::newRow("copied as path") << "\"D:\\Apps\\X\"" << System::Windows << "D:/Apps/X";
    QTest::newRow("blanks around quotes") << "  \"D:\\Apps\\X\" " << System::Windows << "D:/Apps/X";
    QTest::newRow("blanks inside quotes") << "\" D:\\Apps\\X  \"" << System::Windows << "D:/Apps/X";
    QTest::newRow("one pair only") << "\"\"D:\\X\"\"" << System::Windows << "\"D:/X\"";
    QTest::newRow("lone quote stays") << "\"D:\\X" << System::Windows << "\"D:/X";
    QTest::newRow("blank inside a name stays")
        << "\"C:\\Program Files\\X\"" << System::Windows << "C:/Program Files/X";
    QTest::newRow("unix quoted") << " \"/opt/x\" " << System::Unix << "/opt/x";
    QTest::newRow("unix backslash is a character") << "/opt/a\\b" << System::Unix << "/opt/a\\b";
    QTest::newRow("only quotes") << "\"\"" << System::Windows << "";
}

void TestFolderFieldText::folder()
{
    QFETCH(QString, text);
    QFETCH(System, system);
    QFETCH(QString, folder);
    QCOMPARE(FolderFieldText::folder(text, system), folder);
}

void TestFolderFieldText::nearestExisting()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString apps = root.filePath(QStringLiteral("apps"));
    QVERIFY(QDir().mkpath(apps));
    QCOMPARE(FolderFieldText::nearestExisting(apps), apps);
    QCOMPARE(FolderFieldText::nearestExisting(apps + QStringLiteral("/missing/Velmar")), apps);
    QCOMPARE(FolderFieldText::nearestExisting(QStringLiteral("relative/Velmar")), QString());
    QCOMPARE(FolderFieldText::nearestExisting(QString()), QString());
}

QTEST_APPLESS_MAIN(TestFolderFieldText)
#include "tst_folder_field_text.moc"
