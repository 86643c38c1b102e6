// The result pages: "Launch" starts the installed product from its folder
// and ends the installer; "Support" opens the support page.

#include "config/startup_environment.h"
#include "wizard_harness.h"

#include "engine/install_log.h"
#include "support/message_box_answerer.h"
#include "support/test_files.h"
#include "support/test_paths.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

class TstResultPages : public QObject
{
    Q_OBJECT

public:
    explicit TstResultPages(const TemporaryHome &home)
        : m_home(home)
    {
    }

public slots:
    // Stands in for the desktop's browser.
    void openUrl(const QUrl &url) { m_openedUrls << url; }

private slots:
    void init();
    void cleanup();

    void launchStartsProductInInstallDirAndCloses();
    void launchClosesEvenWithoutProduct();
    void supportOpensPageEveryTime();
    void emptySupportUrlOpensNothing();
    void viewLogFallsBackOnTheTextEditor();

private:
    const TemporaryHome &m_home;
    WizardHarness m_wizard;
    QList<QUrl> m_openedUrls;
};

void TstResultPages::init()
{
    WizardHarness::resetConfig(m_home);
    m_openedUrls.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");
}

void TstResultPages::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    m_wizard.destroy();
}

void TstResultPages::launchStartsProductInInstallDirAndCloses()
{
    // An install folder with a space in it, holding the product.
    const QString installDir
        = QDir(m_home.path()).absoluteFilePath(QStringLiteral("Pro ducts/Velmar"));
    QVERIFY(QDir().mkpath(installDir));
    const QString program = QDir(installDir).absoluteFilePath(installerConfig()->programName);
    QVERIFY(QFile::copy(TestPaths::sleeper(), program));
    installerConfig()->installDir = installDir;
    // The installer's own working folder is somewhere else, and its start
    // set a scale of its own that the product must not inherit.
    QVERIFY(QDir::setCurrent(m_home.path()));
    qunsetenv("QT_SCALE_FACTOR");
    StartupEnvironment::remember();
    qputenv("QT_SCALE_FACTOR", "3");

    MainWindow *window = m_wizard.show();
    auto *launch = m_wizard.child<QPushButton>("launch");
    QVERIFY(launch);
    QCOMPARE(launch->text(), QStringLiteral("Launch"));
    launch->click();

    QVERIFY(!window->isVisible());
    const QString record = QDir(installDir).absoluteFilePath(QStringLiteral("launched_from.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 20000);
    QTRY_COMPARE(QString::fromLocal8Bit(TestFiles::readFile(record)),
                 installDir + QStringLiteral("\nunset"));
    qunsetenv("QT_SCALE_FACTOR");
}

void TstResultPages::launchClosesEvenWithoutProduct()
{
    installerConfig()->installDir = QDir(m_home.path()).absoluteFilePath(QStringLiteral("nothing"));
    MainWindow *window = m_wizard.show();
    m_wizard.child<QPushButton>("launch")->click();
    QVERIFY(!window->isVisible());
}

void TstResultPages::supportOpensPageEveryTime()
{
    installerConfig()->supportUrl = QStringLiteral("127.0.0.1/support.html");
    m_wizard.show();
    auto *support = m_wizard.child<QPushButton>("support");
    QVERIFY(support);
    QCOMPARE(support->text(), QStringLiteral("Support"));

    support->click();
    support->click();
    const QUrl expected(QStringLiteral("http://127.0.0.1/support.html"));
    QCOMPARE(m_openedUrls, (QList<QUrl> { expected, expected }));
    QVERIFY(m_wizard.window()->isVisible());
}

void TstResultPages::emptySupportUrlOpensNothing()
{
    installerConfig()->supportUrl.clear();
    m_wizard.show();
    m_wizard.child<QPushButton>("support")->click();
    QVERIFY(m_openedUrls.isEmpty());
}

void TstResultPages::viewLogFallsBackOnTheTextEditor()
{
    InstallLog log;
    QVERIFY(QDir().mkpath(m_home.path() + QStringLiteral("/run")));
    QVERIFY(log.open(m_home.path() + QStringLiteral("/run/installer.log")));
    log.write(QStringLiteral("the story"));
    log.close();
    // The default editor for plain text, as xdg-mime names it, and an
    // xdg-open that finds no program for ".log" (status 3), as on a system
    // without an association for it.
    const QString bin = m_home.path() + QStringLiteral("/bin");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    QVERIFY(TestFiles::writeFile(
        bin + QStringLiteral("/xdg-mime"),
        "#!/bin/sh\n[ \"$*\" = 'query default text/plain' ] && echo ed.desktop",
        TestFiles::executable()));
    QVERIFY(TestFiles::writeFile(bin + QStringLiteral("/xdg-open"), "#!/bin/sh\nexit 3\n",
                                 TestFiles::executable()));
    installerConfig()->packageUrl.clear(); // straight to the failure page
    m_wizard.show();
    auto *viewLog = m_wizard.child<QPushButton>("view_log");

    // Without the editor's launcher nothing opens it: the user learns where
    // the copy that outlives the installer is.
    MessageBoxAnswerer answerer(QStringLiteral("OK"));
    viewLog->click();
    const QString copy = QDir::temp().absoluteFilePath(QStringLiteral("Velmar-installer.log"));
    QTRY_COMPARE_WITH_TIMEOUT(
        answerer.texts(),
        QStringList { QStringLiteral("No program could open the installation log. You find "
                                     "it at %1.")
                          .arg(QDir::toNativeSeparators(copy)) },
        20000);
    QVERIFY(TestFiles::readText(copy).contains(QStringLiteral("the story")));

    const QString record = m_home.path() + QStringLiteral("/opened.txt");
    QVERIFY(TestFiles::writeFile(bin + QStringLiteral("/ed"),
                                 "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + record.toUtf8(),
                                 TestFiles::executable()));
    QVERIFY(TestFiles::writeFile(m_home.dataHome() + QStringLiteral("/applications/ed.desktop"),
                                 "[Desktop Entry]\nExec=" + bin.toUtf8() + "/ed -n %i %F\n"));
    viewLog->click();
    QTRY_COMPARE_WITH_TIMEOUT(TestFiles::readText(record), "-n\n" + copy + '\n', 20000);
    // The system's handler, where xdg-open finds one, comes first.
    QVERIFY(QFile::remove(record));
    const QString opened = m_home.path() + QStringLiteral("/xdg-opened.txt");
    QVERIFY(TestFiles::writeFile(bin + QStringLiteral("/xdg-open"),
                                 "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + opened.toUtf8(),
                                 TestFiles::executable()));
    viewLog->click();
    QTRY_COMPARE_WITH_TIMEOUT(TestFiles::readText(opened), copy + '\n', 20000);
    qputenv("PATH", path);
    QCOMPARE(answerer.count(), 1);
    QVERIFY(!QFile::exists(record));
}

WIZARD_TEST_MAIN(TstResultPages)
#include "tst_result_pages.moc"
