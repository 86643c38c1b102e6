// The start page: the agreement gate, the advanced panel and the window
// size, folder picking and the install checks with their messages.

#include "wizard_harness.h"

#include "wizard/folder_field_text.h"

#include "support/http_test_server.h"
#include "support/message_box_answerer.h"
#include "support/test_files.h"
#include "support/test_paths.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

#include <limits>

#include <unistd.h>

class TstStartingWidget : public QObject
{
    Q_OBJECT

public:
    explicit TstStartingWidget(const TemporaryHome &home)
        : m_home(home)
    {
    }

public slots:
    // Stands in for the desktop's browser.
    void openUrl(const QUrl &url) { m_openedUrls << url; }

private slots:
    void init();
    void cleanup();

    void agreementGatesInstallAndPanel();
    void agreementLinkOpensLenientUrl();
    void advancedPanelResizesWindow();
    void browsedFolderGetsProductName();
    void browsedDriveRootChangesNothing();
    void folderFieldText_data();
    void folderFieldText();
    void browseOpensAtNearestExistingFolder();
    void typedFolderIsUsedByInstallButton();
    void unusableFolderIsRefused_data();
    void unusableFolderIsRefused();
    void tooLittleSpaceIsRefused();
    void unwritableFolderIsRefusedBeforeDownload_data();
    void unwritableFolderIsRefusedBeforeDownload();
    void runningProductKeptWhenNotConfirmed_data();
    void runningProductKeptWhenNotConfirmed();
    void runningProductEndedWhenConfirmed();

private:
    QProcess *startRunningProduct();
    QString scratch(const QString &name) const;

    const TemporaryHome &m_home;
    WizardHarness m_wizard;
    QList<QUrl> m_openedUrls;
};

void TstStartingWidget::init()
{
    WizardHarness::resetConfig(m_home);
    m_openedUrls.clear();
}

void TstStartingWidget::cleanup()
{
    m_wizard.destroy();
}

QString TstStartingWidget::scratch(const QString &name) const
{
    return QDir(m_home.path()).absoluteFilePath(name);
}

void TstStartingWidget::agreementGatesInstallAndPanel()
{
    m_wizard.show();
    auto *install = m_wizard.child<QPushButton>("install");
    auto *agree = m_wizard.child<QCheckBox>("agree");
    auto *panel = m_wizard.child<QFrame>("advanced_frame");
    auto *advanced = m_wizard.child<QPushButton>("advanced");
    QVERIFY(install && agree && panel && advanced);

    QVERIFY(!install->isEnabled());
    QVERIFY(panel->isHidden());
    QVERIFY(!panel->isEnabled());

    // The toggle works before agreeing; the panel's widgets stay disabled.
    QTest::mouseClick(advanced, Qt::LeftButton);
    QVERIFY(!panel->isHidden());
    QVERIFY(!m_wizard.child<QLineEdit>("dir_edit")->isEnabled());

    QTest::mouseClick(agree, Qt::LeftButton);
    QVERIFY(install->isEnabled());
    QVERIFY(m_wizard.child<QLineEdit>("dir_edit")->isEnabled());

    // Unchecking disables both again without hiding the panel.
    QTest::mouseClick(agree, Qt::LeftButton);
    QVERIFY(!install->isEnabled());
    QVERIFY(!panel->isEnabled());
    QVERIFY(!panel->isHidden());

    QCOMPARE(m_wizard.child<QCheckBox>("auto")->text(),
             QStringLiteral("Computer startup with Velmar Test"));
    QCOMPARE(m_wizard.child<QLineEdit>("dir_edit")->text(), installerConfig()->installDir);
}

void TstStartingWidget::agreementLinkOpensLenientUrl()
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "openUrl");
    installerConfig()->userProtocolUrl = QString();
    m_wizard.show();
    auto *link = m_wizard.child<QPushButton>("agreement");

    QTest::mouseClick(link, Qt::LeftButton);
    QVERIFY(m_openedUrls.isEmpty());

    // A bare host and path count as a web address.
    installerConfig()->userProtocolUrl = QStringLiteral("127.0.0.1/agreement.html");
    QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(m_openedUrls, QList<QUrl> { QUrl(QStringLiteral("http://127.0.0.1/agreement.html")) });
}

void TstStartingWidget::advancedPanelResizesWindow()
{
    MainWindow *window = m_wizard.show();
    auto *advanced = m_wizard.child<QPushButton>("advanced");

    QTest::mouseClick(advanced, Qt::LeftButton);
    QTRY_COMPARE(window->size(), QSize(524, 402));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(m_wizard.child<QFrame>("advanced_frame")->isVisible());

    QTest::mouseClick(advanced, Qt::LeftButton);
    QTRY_COMPARE(window->size(), QSize(524, 308));
    QCOMPARE(window->minimumSize(), QSize(524, 308));
    QCOMPARE(window->maximumSize(), QSize(524, 308));
    QVERIFY(m_wizard.child<QFrame>("advanced_frame")->isHidden());
}

// Answers the folder dialog with folder, or cancels it when folder is empty.
static void pickFolderLater(const QString &folder)
{
    QTimer::singleShot(50, [folder] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return pickFolderLater(folder);
        if (folder.isEmpty())
            return dialog->reject();
        // As a person would: type the folder into the name field and accept.
        auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (nameField)
            nameField->setText(folder);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void TstStartingWidget::browsedFolderGetsProductName()
{
    const QString apps = scratch(QStringLiteral("apps"));
    QVERIFY(QDir().mkpath(apps));
    m_wizard.show();
    QTest::mouseClick(m_wizard.child<QPushButton>("advanced"), Qt::LeftButton);
    QTest::mouseClick(m_wizard.child<QCheckBox>("agree"), Qt::LeftButton);
    const QString before = installerConfig()->installDir;

    // Cancelling the dialog keeps the folder.
    pickFolderLater(QString());
    QTest::mouseClick(m_wizard.child<QPushButton>("browser"), Qt::LeftButton);
    QCOMPARE(installerConfig()->installDir, before);

    pickFolderLater(apps);
    QTest::mouseClick(m_wizard.child<QPushButton>("browser"), Qt::LeftButton);
    const QString expected = apps + QStringLiteral("/Velmar");
    QCOMPARE(installerConfig()->installDir, expected);
    QCOMPARE(m_wizard.child<QLineEdit>("dir_edit")->text(), expected);
}

void TstStartingWidget::browsedDriveRootChangesNothing()
{
    m_wizard.show();
    QTest::mouseClick(m_wizard.child<QPushButton>("advanced"), Qt::LeftButton);
    QTest::mouseClick(m_wizard.child<QCheckBox>("agree"), Qt::LeftButton);
    const QString before = installerConfig()->installDir;

    pickFolderLater(QDir::rootPath());
    QTest::mouseClick(m_wizard.child<QPushButton>("browser"), Qt::LeftButton);
    QCOMPARE(installerConfig()->installDir, before);
    QCOMPARE(m_wizard.child<QLineEdit>("dir_edit")->text(), before);
}

void TstStartingWidget::folderFieldText_data()
{
    // Both systems' rules, on either: what is typed or pasted (Explorer's
    // "Copy as path" quotes it), the folder it names, and the field's form.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("folder");
    QTest::newRow("copied as path") << " \" C:\\Pro gram\\X\" " << true << "C:/Pro gram/X";
    QTest::newRow("one pair only") << "\"\"D:\\X\"" << true << "\"D:/X";
    QTest::newRow("unix backslash") << "\"/a\\b\"" << false << "/a\\b";
}

void TstStartingWidget::folderFieldText()
{
    QFETCH(QString, text);
    QFETCH(bool, windows);
    QFETCH(QString, folder);
    const auto system = windows ? SingleName::System::Windows : SingleName::System::Unix;
    QCOMPARE(FolderFieldText::folder(text, system), folder);
    QCOMPARE(FolderFieldText::shown(folder, system).contains(QLatin1Char('/')), !windows);
}

void TstStartingWidget::browseOpensAtNearestExistingFolder()
{
    const QString apps = scratch(QStringLiteral("browse/apps"));
    QVERIFY(QDir().mkpath(apps));
    installerConfig()->installDir = apps + QStringLiteral("/not/yet");
    m_wizard.show();
    QTest::mouseClick(m_wizard.child<QPushButton>("advanced"), Qt::LeftButton);
    QTest::mouseClick(m_wizard.child<QCheckBox>("agree"), Qt::LeftButton);
    QString openedAt;
    QTimer::singleShot(50, [&openedAt] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            openedAt = dialog->directory().absolutePath();
            dialog->reject();
        }
    });
    QTest::mouseClick(m_wizard.child<QPushButton>("browser"), Qt::LeftButton);
    QCOMPARE(openedAt, apps);
}

void TstStartingWidget::typedFolderIsUsedByInstallButton()
{
    // The download never gets past its first bytes, so the run stays on the
    // progress page.
    HttpTestServer server;
    QVERIFY(server.listen());
    HttpTestServer::Response stalled;
    stalled.body = QByteArray(1000, 'z');
    stalled.stallAfter = 10;
    server.setResponse(QStringLiteral("/velmar.zip"), stalled);
    installerConfig()->packageUrl = server.url(QStringLiteral("/velmar.zip")).toString();
    MainWindow *window = m_wizard.show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::mouseClick(m_wizard.child<QCheckBox>("agree"), Qt::LeftButton);
    QTest::mouseClick(m_wizard.child<QPushButton>("advanced"), Qt::LeftButton);
    m_wizard.child<QCheckBox>("auto")->setChecked(true);

    // Typed, then the install button pressed at once: no Return, no Tab.
    auto *edit = m_wizard.child<QLineEdit>("dir_edit");
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    const QString typed = scratch(QStringLiteral("typed/Product"));
    QVERIFY(QDir().mkpath(scratch(QStringLiteral("typed"))));
    // In double quotes, as Explorer's "Copy as path" gives it.
    QTest::keyClicks(edit, QStringLiteral("  \"") + typed + QStringLiteral("\" "));
    QTest::mouseClick(m_wizard.child<QPushButton>("install"), Qt::LeftButton);

    QCOMPARE(installerConfig()->installDir, typed);
    QCOMPARE(edit->text(), QStringLiteral("  \"") + typed + QStringLiteral("\" "));
    QVERIFY(installerConfig()->autoStart);
    QCOMPARE(m_wizard.currentPage(), int(ProgressPage));

    // The progress page fixes the window at its small size, panel or not.
    QTRY_COMPARE(window->size(), QSize(524, 308));
    QCOMPARE(window->minimumSize(), QSize(524, 308));
    QCOMPARE(window->maximumSize(), QSize(524, 308));

    // Closing is refused while the installation runs.
    QTRY_COMPARE(server.requestCount(QStringLiteral("/velmar.zip")), 1);
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    QCOMPARE(m_wizard.currentPage(), int(ProgressPage));
}

void TstStartingWidget::unusableFolderIsRefused_data()
{
    QTest::addColumn<QString>("installDir");
    QTest::newRow("parent missing") << scratch(QStringLiteral("missing/parent/Velmar"));
    QTest::newRow("root") << QDir::rootPath();
    QTest::newRow("relative") << QStringLiteral("Velmar");
    QTest::newRow("empty") << QString();
}

void TstStartingWidget::unusableFolderIsRefused()
{
    QFETCH(QString, installDir);
    installerConfig()->installDir = installDir;
    MainWindow *window = m_wizard.show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    m_wizard.child<QCheckBox>("auto")->setChecked(true);

    m_wizard.agreeAndInstall();

    QCOMPARE(m_wizard.notices(), QStringList { QStringLiteral("Invalid install dir.") });
    QCOMPARE(m_wizard.currentPage(), int(StartPage));
    QVERIFY(!installerConfig()->autoStart);
    // The panel is opened and the folder field focused for correction.
    QVERIFY(m_wizard.child<QPushButton>("advanced")->isChecked());
    QVERIFY(m_wizard.child<QFrame>("advanced_frame")->isVisible());
    QTRY_COMPARE(window->size(), QSize(524, 402));
    QTRY_VERIFY(m_wizard.child<QLineEdit>("dir_edit")->hasFocus());
}

void TstStartingWidget::tooLittleSpaceIsRefused()
{
    installerConfig()->bytesTotal = std::numeric_limits<quint64>::max();
    MainWindow *window = m_wizard.show();
    QVERIFY(QTest::qWaitForWindowActive(window));

    // With the panel already open, only the notice appears.
    QTest::mouseClick(m_wizard.child<QPushButton>("advanced"), Qt::LeftButton);
    m_wizard.agreeAndInstall();
    QCOMPARE(m_wizard.notices(), QStringList { QStringLiteral("Space is not enough.") });
    QVERIFY(m_wizard.child<QPushButton>("advanced")->isChecked());
    QCOMPARE(m_wizard.currentPage(), int(StartPage));

    // With the panel closed, it is opened and the field focused.
    QTest::mouseClick(m_wizard.child<QPushButton>("advanced"), Qt::LeftButton);
    QTRY_COMPARE(window->size(), QSize(524, 308));
    QTest::mouseClick(m_wizard.child<QPushButton>("install"), Qt::LeftButton);
    QCOMPARE(m_wizard.notices().count(QStringLiteral("Space is not enough.")), 2);
    QVERIFY(m_wizard.child<QFrame>("advanced_frame")->isVisible());
    QTRY_COMPARE(window->size(), QSize(524, 402));
    QTRY_VERIFY(m_wizard.child<QLineEdit>("dir_edit")->hasFocus());

    // What fits passes: nothing needed goes on to the progress page.
    installerConfig()->bytesTotal = 0;
    QTest::mouseClick(m_wizard.child<QPushButton>("install"), Qt::LeftButton);
    QCOMPARE(m_wizard.currentPage(), int(ProgressPage));
}

void TstStartingWidget::unwritableFolderIsRefusedBeforeDownload_data()
{
    // All but the read-only folder stop root as well.
    QTest::addColumn<QString>("installDir");
    QTest::newRow("a file in its place") << scratch(QStringLiteral("taken"));
    QTest::newRow("read-only parent") << scratch(QStringLiteral("closed/Velmar"));
    QTest::newRow("system folder") << QStringLiteral("/proc/Velmar");
}

void TstStartingWidget::unwritableFolderIsRefusedBeforeDownload()
{
    QFETCH(QString, installDir);
    HttpTestServer server;
    QVERIFY(server.listen());
    installerConfig()->packageUrl = server.url(QStringLiteral("/velmar.zip")).toString();
    installerConfig()->installDir = installDir;
    QVERIFY(TestFiles::writeFile(scratch(QStringLiteral("taken")), "a file"));
    QVERIFY(QDir().mkpath(scratch(QStringLiteral("closed"))));
    QFile::setPermissions(scratch(QStringLiteral("closed")), QFileDevice::ReadOwner);
    if (QTest::currentDataTag() == QLatin1String("read-only parent") && ::geteuid() == 0)
        QSKIP("running as root, whom permission bits do not stop");
    m_wizard.show();
    MessageBoxAnswerer answerer(QStringLiteral("OK"));
    m_wizard.agreeAndInstall();

    QCOMPARE(answerer.texts(),
             QStringList { QStringLiteral("You cannot create or write the folder %1. Choose a "
                                          "folder of your own, such as %2, or run the installer "
                                          "as administrator.")
                               .arg(installDir, m_home.dataHome() + QStringLiteral("/Velmar")) });
    // Nothing was asked of the server; the field is shown for a correction.
    QCOMPARE(server.requestCount(QStringLiteral("/velmar.zip")), 0);
    QVERIFY(m_wizard.child<QFrame>("advanced_frame")->isVisible());
}

QProcess *TstStartingWidget::startRunningProduct()
{
    // A copy of the helper under the product's program name.
    const QString folder = scratch(QStringLiteral("running"));
    QDir().mkpath(folder);
    const QString program = QDir(folder).absoluteFilePath(installerConfig()->programName);
    QFile::remove(program);
    if (!QFile::copy(TestPaths::sleeper(), program))
        return nullptr;
    auto *process = new QProcess(this);
    process->start(program, { QStringLiteral("--wait") });
    if (!process->waitForStarted())
        return nullptr;
    return process;
}

void TstStartingWidget::runningProductKeptWhenNotConfirmed_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("No") << QStringLiteral("No");
    QTest::newRow("box closed") << QString();
}

void TstStartingWidget::runningProductKeptWhenNotConfirmed()
{
    QFETCH(QString, answer);
    QProcess *product = startRunningProduct();
    QVERIFY(product);
    // A folder that would be refused shows whether the later checks ran.
    installerConfig()->installDir = scratch(QStringLiteral("missing/parent/Velmar"));
    m_wizard.show();

    MessageBoxAnswerer answerer(answer);
    m_wizard.agreeAndInstall();

    QCOMPARE(answerer.titles(), QStringList { QStringLiteral("Prompt") });
    QCOMPARE(answerer.texts(),
             QStringList {
                 QStringLiteral("The Velmar Test is running, are you sure to terminate it?") });
    QVERIFY(m_wizard.notices().isEmpty());
    QCOMPARE(m_wizard.currentPage(), int(StartPage));
    QVERIFY(!product->waitForFinished(300));
    QCOMPARE(product->state(), QProcess::Running);

    product->kill();
    product->waitForFinished();
}

void TstStartingWidget::runningProductEndedWhenConfirmed()
{
    QProcess *product = startRunningProduct();
    QVERIFY(product);
    installerConfig()->installDir = scratch(QStringLiteral("missing/parent/Velmar"));
    m_wizard.show();

    MessageBoxAnswerer answerer(QStringLiteral("Yes"));
    m_wizard.agreeAndInstall();

    QCOMPARE(answerer.count(), 1);
    QVERIFY(product->waitForFinished(5000));
    // The checks went on after the product was ended.
    QCOMPARE(m_wizard.notices(), QStringList { QStringLiteral("Invalid install dir.") });
}

WIZARD_TEST_MAIN(TstStartingWidget)
#include "tst_starting_widget.moc"
