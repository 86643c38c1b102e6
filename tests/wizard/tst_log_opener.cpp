// "View log": the system's handler first; where none answers, the user's
// default text editor as the freedesktop tools name it (a stand-in xdg-mime
// and editor here); and a clear false when nothing can open the log.
#include "wizard/log_opener.h"

#include "support/temporary_home.h"
#include "support/test_files.h"

#include <QApplication>
#include <QDesktopServices>
#include <QtTest>

class TestLogOpener : public QObject
{
    Q_OBJECT

public slots:
    // Stands in for the desktop's handler of local files.
    void openFile(const QUrl &url) { m_opened << url; }

private slots:
    void init();
    void cleanup();

    void commandForFile_data();
    void commandForFile();
    void systemHandlerFirst();
    void defaultTextEditorWhereNoHandlerAnswers();
    void falseWhenNothingOpensIt();

private:
    // A stand-in xdg-mime on PATH that names desktopId as the default for
    // text/plain.
    bool fakeXdgMime(const QString &desktopId);
    QString log() const { return m_home->path() + QStringLiteral("/run/installer.log"); }

    std::unique_ptr<TemporaryHome> m_home;
    QByteArray m_path;
    QList<QUrl> m_opened;
};

void TestLogOpener::init()
{
    m_home = std::make_unique<TemporaryHome>();
    QVERIFY(m_home->isValid());
    QVERIFY(TestFiles::writeFile(log(), "the log\n"));
    m_path = qgetenv("PATH");
    m_opened.clear();
}

void TestLogOpener::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    qputenv("PATH", m_path);
    m_home.reset();
}

bool TestLogOpener::fakeXdgMime(const QString &desktopId)
{
    const QString bin = m_home->path() + QStringLiteral("/bin");
    qputenv("PATH", QFile::encodeName(bin) + ':' + m_path);
    return TestFiles::writeFile(bin + QStringLiteral("/xdg-mime"),
                                "#!/bin/sh\n[ \"$*\" = \"query default text/plain\" ] && echo '"
                                    + desktopId.toUtf8() + "'\n",
                                TestFiles::executable());
}

void TestLogOpener::commandForFile_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("command");
    const QString f = QStringLiteral("/tmp/a b.log");
    QTest::newRow("%U") << "gedit %U" << QStringList { "gedit", f };
    QTest::newRow("%f among options")
        << "kate -b %f --new" << QStringList { "kate", "-b", f, "--new" };
    QTest::newRow("no file code") << "mousepad" << QStringList { "mousepad", f };
    QTest::newRow("other codes go") << "ed %i %c %k %F" << QStringList { "ed", f };
    QTest::newRow("quoted program")
        << "\"/opt/my editor/ed\" %f" << QStringList { "/opt/my editor/ed", f };
    QTest::newRow("percent sign") << "ed --title=100%% %f"
                                  << QStringList { "ed", "--title=100%", f };
    QTest::newRow("nothing") << "" << QStringList();
}

void TestLogOpener::commandForFile()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, command);
    QCOMPARE(LogOpener::commandForFile(exec, QStringLiteral("/tmp/a b.log")), command);
}

void TestLogOpener::systemHandlerFirst()
{
    QVERIFY(fakeXdgMime(QStringLiteral("never.desktop")));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openFile");
    QVERIFY(LogOpener::open(log()));
    QCOMPARE(m_opened, QList<QUrl> { QUrl::fromLocalFile(log()) });
}

void TestLogOpener::defaultTextEditorWhereNoHandlerAnswers()
{
    // The offscreen platform answers no local file, as a system without an
    // association for ".log" does.
    const QString record = m_home->path() + QStringLiteral("/opened.txt");
    const QString editor = m_home->path() + QStringLiteral("/bin/editor");
    QVERIFY(TestFiles::writeFile(editor,
                                 "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.toUtf8()
                                     + ".part' && mv '" + record.toUtf8() + ".part' '"
                                     + record.toUtf8() + "'\n",
                                 TestFiles::executable()));
    QVERIFY(TestFiles::writeFile(
        m_home->dataHome() + QStringLiteral("/applications/test-editor.desktop"),
        "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + editor.toUtf8()
            + " --new %F\n[Desktop Action x]\nExec=wrong\n"));
    QVERIFY(fakeXdgMime(QStringLiteral("test-editor.desktop")));

    QVERIFY(LogOpener::open(log()));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 20000);
    QCOMPARE(TestFiles::readText(record), QStringLiteral("--new\n") + log() + QLatin1Char('\n'));
}

void TestLogOpener::falseWhenNothingOpensIt()
{
    // The default names a launcher that does not exist.
    QVERIFY(fakeXdgMime(QStringLiteral("gone.desktop")));
    QVERIFY(!LogOpener::open(log()));
}

QTEST_MAIN(TestLogOpener)
#include "tst_log_opener.moc"
