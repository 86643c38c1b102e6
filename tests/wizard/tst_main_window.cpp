// The main window: construction, the page flow, refusing to close during the
// installation, the system bar's corner and the missing package address.
#include "wizard_harness.h"

#include "config/installer_config.h"
#include "toolkit/push_button.h"
#include "toolkit/system_bar.h"
#include "toolkit/toast_label.h"
#include "wizard/fail_widget.h"
#include "wizard/install_widget.h"
#include "wizard/main_window.h"
#include "wizard/starting_widget.h"
#include "wizard/success_widget.h"

#include <QBoxLayout>
#include <QPointer>
#include <QStackedLayout>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

public:
    // The runs the page flow starts keep their journals, logs and downloads
    // in the test's own home and temporary folder.
    explicit TestMainWindow(const TemporaryHome &) { }

private slots:
    void init();
    void construction();
    void instanceLifetime();
    void pageFlowToSuccess();
    void pageFlowToFailure();
    void progressPageFixesTheSize();
    void resultPagesAreTheEnd();
    void closeRefusedOnlyDuringInstallation();
    void systemBarStaysInTheCorner();
    void missingPackageUrl();
    void unusableProductNameInstallsNothing();
    void pageStyleFollowsShownPages();
};

void TestMainWindow::init()
{
    // installerConfig() is read once per process; each test sets what it needs.
    InstallerConfig *config = installerConfig();
    config->productName = QStringLiteral("Velmar");
    config->productText = QStringLiteral("Velmar");
    config->packageUrl = QStringLiteral("http://127.0.0.1:9/velmar.zip");
    config->installSucceeded = false;
}

void TestMainWindow::construction()
{
    MainWindow window;
    QCOMPARE(QString(window.metaObject()->className()), QStringLiteral("MainWindow"));
    QVERIFY(window.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QVERIFY((int(window.windowFlags()) & 0xE800) == 0xE800);
    QVERIFY(!window.titleBar());
    QCOMPARE(window.windowTitle(), QStringLiteral("Velmar"));
    QCOMPARE(window.currentPage(), 0);
    // Without a product text, the product's name (here the default) is the title.
    installerConfig()->productText.clear();
    QCOMPARE(MainWindow().windowTitle(), QStringLiteral("Velmar"));

    auto *body = qobject_cast<QVBoxLayout *>(window.background()->layout());
    QVERIFY(body);
    QCOMPARE(body->contentsMargins(), QMargins());
    QCOMPARE(body->spacing(), 0);
    QCOMPARE(body->count(), 1);
    QCOMPARE(body->itemAt(0)->layout(), window.pageStack());
    QCOMPARE(body->stretch(0), 0);

    QStackedLayout *stack = window.pageStack();
    QCOMPARE(stack->contentsMargins(), QMargins());
    QCOMPARE(stack->count(), 4);
    QVERIFY(qobject_cast<StartingWidget *>(stack->widget(0)));
    QVERIFY(qobject_cast<InstallWidget *>(stack->widget(1)));
    QVERIFY(qobject_cast<SuccessWidget *>(stack->widget(2)));
    QVERIFY(qobject_cast<FailWidget *>(stack->widget(3)));
    QCOMPARE(stack->currentIndex(), 0);
    for (int i = 0; i < 4; ++i) {
        auto *page = qobject_cast<WizardWidget *>(stack->widget(i));
        QCOMPARE(page->parentWidget(), window.background());
        QCOMPARE(page->shadowWidth(), 12);
    }

    SystemBar *bar = window.systemBar();
    QCOMPARE(bar->objectName(), QStringLiteral("window"));
    QCOMPARE(bar->parentWidget(), window.background());
    QVERIFY(bar->testAttribute(Qt::WA_AlwaysStackOnTop));
    QVERIFY(bar->minimizeButton() && bar->closeButton());
    QVERIFY(!bar->maximizeButton() && !bar->restoreButton());
    // Not in any layout: it floats over the pages.
    QCOMPARE(body->indexOf(bar), -1);
    QCOMPARE(stack->indexOf(bar), -1);
}

void TestMainWindow::instanceLifetime()
{
    QVERIFY(!MainWindow::instance());
    {
        MainWindow window;
        QCOMPARE(MainWindow::instance(), &window);
    }
    QVERIFY(!MainWindow::instance());
}

void TestMainWindow::pageFlowToSuccess()
{
    MainWindow window;
    window.resize(524, 308);
    window.show();
    window.nextPage();
    QCOMPARE(window.currentPage(), 1);
    QCOMPARE(window.pageStack()->currentIndex(), 1);
    QVERIFY(!window.systemBar()->closeButton()->isEnabled());
    QVERIFY(window.systemBar()->minimizeButton()->isEnabled());

    installerConfig()->installSucceeded = true;
    window.nextPage();
    QCOMPARE(window.currentPage(), 2);
    QCOMPARE(window.pageStack()->currentIndex(), 2);
    QVERIFY(window.systemBar()->closeButton()->isEnabled());
}

void TestMainWindow::pageFlowToFailure()
{
    MainWindow window;
    window.nextPage();
    installerConfig()->installSucceeded = false;
    window.nextPage();
    QCOMPARE(window.currentPage(), 3);
    QCOMPARE(window.pageStack()->currentIndex(), 3);
    QVERIFY(window.systemBar()->closeButton()->isEnabled());
}

void TestMainWindow::progressPageFixesTheSize()
{
    // The start page's advanced section had made the window taller. Gone
    // before the next window starts its installation into the same folder,
    // which would be refused while this one holds it.
    {
        MainWindow tall;
        tall.setFixedSize(524, 402);
        tall.show();
        tall.nextPage();
        QCOMPARE(tall.size(), QSize(524, 308));
        QCOMPARE(tall.minimumSize(), QSize(524, 308));
        QCOMPARE(tall.maximumSize(), QSize(524, 308));
    }

    // Already 308 high: left as it is.
    MainWindow plain;
    plain.resize(524, 308);
    plain.show();
    plain.nextPage();
    QCOMPARE(plain.size(), QSize(524, 308));
    QVERIFY(plain.minimumSize() != plain.maximumSize());
}

void TestMainWindow::resultPagesAreTheEnd()
{
    MainWindow window;
    window.nextPage();
    installerConfig()->installSucceeded = true;
    window.nextPage();
    installerConfig()->installSucceeded = false;
    window.nextPage();
    window.nextPage();
    QCOMPARE(window.currentPage(), 2);
    QCOMPARE(window.pageStack()->currentIndex(), 2);
    QVERIFY(window.systemBar()->closeButton()->isEnabled());
}

void TestMainWindow::closeRefusedOnlyDuringInstallation()
{
    MainWindow start;
    start.show();
    QVERIFY(start.close());
    QVERIFY(!start.isVisible());

    MainWindow installing;
    installing.show();
    installing.nextPage();
    QVERIFY(!installing.close());
    QVERIFY(installing.isVisible());
    // Not even the system bar gets through.
    QTest::mouseClick(installing.systemBar()->closeButton(), Qt::LeftButton);
    QVERIFY(installing.isVisible());

    installerConfig()->installSucceeded = false;
    installing.nextPage();
    QVERIFY(installing.close());
    QVERIFY(!installing.isVisible());
}

void TestMainWindow::systemBarStaysInTheCorner()
{
    MainWindow window;
    window.resize(524, 308);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    for (const QSize &size : { QSize(524, 308), QSize(524, 402), QSize(700, 500) }) {
        window.resize(size);
        QTRY_COMPARE(window.size(), size);
        const QRect contents = window.background()->contentsRect();
        const QSize hint = window.systemBar()->sizeHint();
        QVERIFY(hint.width() > 0);
        QCOMPARE(window.systemBar()->geometry(),
                 QRect(QPoint(contents.right() - hint.width(), contents.top() + 4), hint));
        // Above every page.
        QCOMPARE(window.background()->children().last(), window.systemBar());
    }

    window.nextPage();
    QCOMPARE(window.background()->children().last(), window.systemBar());
}

void TestMainWindow::missingPackageUrl()
{
    installerConfig()->packageUrl.clear();
    MainWindow window;
    window.resize(524, 308);
    window.show();
    QCOMPARE(window.currentPage(), 3);
    QCOMPARE(window.pageStack()->currentIndex(), 3);
    QVERIFY(window.systemBar()->closeButton()->isEnabled());
    QVERIFY(window.systemBar()->minimizeButton()->isEnabled());
    // The notice comes a moment later, not during construction.
    QVERIFY(!window.findChild<ToastLabel *>());

    QTRY_VERIFY(window.findChild<ToastLabel *>());
    QPointer<ToastLabel> toast = window.findChild<ToastLabel *>();
    QCOMPARE(toast->text(), QStringLiteral("Package url is invalid."));
    QCOMPARE(toast->parentWidget(), &window);
    QCOMPARE(toast->objectName(), QString());
    QVERIFY(toast->isVisible());

    // The flow cannot be entered from the failure page.
    window.nextPage();
    QCOMPARE(window.currentPage(), 3);

    QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 30000);
    QVERIFY(window.close());
}

void TestMainWindow::unusableProductNameInstallsNothing()
{
    // No other product's name stands in: the window opens on the failure page.
    installerConfig()->productName = QStringLiteral("Orbel/bin");
    MainWindow window;
    window.show();
    QCOMPARE(window.currentPage(), int(MainWindow::FailurePage));
    QTRY_VERIFY(window.findChild<ToastLabel *>());
    QCOMPARE(window.findChild<ToastLabel *>()->text(),
             QStringLiteral("Product name is invalid: it cannot name a folder."));
}

void TestMainWindow::pageStyleFollowsShownPages()
{
    // The style sheets give the large pictures of a page only once its
    // "shown" property is set; plain colours stand in for the pictures. A page
    // that was polished while hidden has to pick up the rule when it comes on
    // screen, or it would stay without its pictures for good.
    qApp->setStyleSheet(QStringLiteral(
        "QFrame#image1 { background-color: #0000ff; border: none; }"
        "InstallWidget[shown=\"true\"] QFrame#image1 { background-color: #ff0000; }"
        "QPushButton#install { background-color: #0000ff; border: none; }"
        "StartingWidget[shown=\"true\"] QPushButton#install { background-color: #ff0000; }"
        "SuccessWidget, FailWidget { background-color: #0000ff; }"
        "SuccessWidget[shown=\"true\"], FailWidget[shown=\"true\"] {"
        " background-color: #ff0000; }"));
    const QColor waiting(0, 0, 255);
    const QColor shown(255, 0, 0);
    const auto corner = [](QWidget *widget) { return widget->grab().toImage().pixelColor(2, 2); };

    {
        MainWindow window;
        window.resize(524, 308);
        window.show();
        QStackedLayout *stack = window.pageStack();
        auto *install
            = stack->widget(MainWindow::StartPage)->findChild<QWidget *>(QStringLiteral("install"));
        auto *slide = stack->widget(MainWindow::ProgressPage)
                          ->findChild<QWidget *>(QStringLiteral("image1"));
        QVERIFY(install && slide);
        QCOMPARE(corner(install), shown);
        QCOMPARE(corner(slide), waiting);
        QCOMPARE(corner(stack->widget(MainWindow::SuccessPage)), waiting);

        window.nextPage();
        QCOMPARE(corner(slide), shown);
        QCOMPARE(corner(stack->widget(MainWindow::SuccessPage)), waiting);

        installerConfig()->installSucceeded = true;
        window.nextPage();
        QCOMPARE(corner(stack->widget(MainWindow::SuccessPage)), shown);
        QCOMPARE(corner(stack->widget(MainWindow::FailurePage)), waiting);
        // Pages keep what they were given.
        QCOMPARE(corner(slide), shown);
    }

    // Without a package address the failure page is the first page shown.
    installerConfig()->packageUrl.clear();
    MainWindow failing;
    failing.show();
    QCOMPARE(corner(failing.pageStack()->widget(MainWindow::FailurePage)), shown);
    QCOMPARE(corner(failing.pageStack()
                        ->widget(MainWindow::ProgressPage)
                        ->findChild<QWidget *>(QStringLiteral("image1"))),
             waiting);
    qApp->setStyleSheet(QString());
}

WIZARD_TEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
