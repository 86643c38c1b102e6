// The frameless window and dialog: flags, shadow frame, margins on maximize
// and restore, the body mask without a compositor, title bars, and the
// resizability test.
#include "toolkit/dialog.h"
#include "toolkit/frameless_native_event.h"
#include "toolkit/push_button.h"
#include "toolkit/shadow_margin.h"
#include "toolkit/system_bar.h"
#include "toolkit/title_bar.h"
#include "toolkit/window.h"

#include <QBoxLayout>
#include <QLabel>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QMargins uniform(int width)
{
    return QMargins(width, width, width, width);
}

QFrame *shadowOf(QWidget *widget, const QString &name)
{
    return widget->findChild<QFrame *>(name, Qt::FindDirectChildrenOnly);
}

// Stacking order is the order of the children list, bottom first.
bool isLowest(const QWidget *widget)
{
    for (QObject *sibling : widget->parent()->children()) {
        if (sibling->isWidgetType())
            return sibling == widget;
    }
    return false;
}

} // namespace

class TestFramelessWindow : public QObject
{
    Q_OBJECT

private slots:
    void windowFlagsAndAttributes();
    void windowWithoutTitleBar();
    void windowWithTitleBar();
    void fixedSizeWindowGetsCloseOnly();
    void maximizeDropsTheShadow();
    void shadowWidthWhileMaximized();
    void shadowFollowsResize();
    void bodyMaskWithoutCompositor_data();
    void bodyMaskWithoutCompositor();
    void dialogStructure();
    void dialogMaximizeAndShadowWidth();
    void resizability();
    void noNativeHandlingOffWindows();
#ifdef Q_OS_WIN
    void nativeHitTestOnRealWindow_data();
    void nativeHitTestOnRealWindow();
#endif
};

void TestFramelessWindow::windowFlagsAndAttributes()
{
    Window window(nullptr, false, Qt::MSWindowsFixedSizeDialogHint);
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY((int(flags) & 0xE800) == 0xE800);
    QVERIFY(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(window.isWindow());
    QCOMPARE(window.shadowWidth(), 12);
    QCOMPARE(window.property("shadowWidth").toInt(), 12);
}

void TestFramelessWindow::windowWithoutTitleBar()
{
    Window window;
    QVERIFY(!window.titleBar());
    QVERIFY(!window.findChild<TitleBar *>());

    QFrame *shadow = shadowOf(&window, QStringLiteral("window_shadow"));
    QVERIFY(shadow);
    QVERIFY(shadow->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(isLowest(shadow));

    auto *layout = qobject_cast<QVBoxLayout *>(window.layout());
    QVERIFY(layout);
    QCOMPARE(layout->contentsMargins(), uniform(12));
    QCOMPARE(layout->spacing(), 0);
    QCOMPARE(layout->count(), 1); // the shadow is in no layout
    QCOMPARE(layout->itemAt(0)->widget(), window.background());
    QCOMPARE(window.background()->objectName(), QStringLiteral("window_background"));

    // Without a title bar a title is only the system's.
    window.setWindowTitle(QStringLiteral("Velmar"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Velmar"));
    QVERIFY(window.findChildren<QLabel *>().isEmpty());
}

void TestFramelessWindow::windowWithTitleBar()
{
    Window window(nullptr, true);
    TitleBar *titleBar = window.titleBar();
    QVERIFY(titleBar);
    QCOMPARE(titleBar->objectName(), QStringLiteral("window"));
    QCOMPARE(titleBar->parentWidget(), window.background());

    auto *body = qobject_cast<QVBoxLayout *>(window.background()->layout());
    QVERIFY(body);
    QCOMPARE(body->contentsMargins(), QMargins());
    QCOMPARE(body->spacing(), 0);
    QCOMPARE(body->itemAt(0)->widget(), titleBar);

    auto *bar = titleBar->findChild<SystemBar *>();
    QVERIFY(bar);
    QCOMPARE(bar->objectName(), QStringLiteral("window"));
    QVERIFY(bar->minimizeButton() && bar->maximizeButton() && bar->restoreButton()
            && bar->closeButton());

    // Row: balancing spacing as wide as the bar, icon, title, stretch, bar.
    auto *row = qobject_cast<QHBoxLayout *>(titleBar->layout());
    QCOMPARE(row->count(), 5);
    QVERIFY(row->itemAt(0)->spacerItem());
    QCOMPARE(row->itemAt(0)->sizeHint().width(), bar->sizeHint().width());
    QVERIFY(bar->sizeHint().width() > 0);
    QCOMPARE(row->itemAt(1)->widget()->objectName(), QStringLiteral("icon"));
    QCOMPARE(row->itemAt(4)->widget(), bar);

    window.setWindowTitle(QStringLiteral("Velmar setup"));
    QCOMPARE(titleBar->title(), QStringLiteral("Velmar setup"));
}

void TestFramelessWindow::fixedSizeWindowGetsCloseOnly()
{
    Window window(nullptr, true, Qt::MSWindowsFixedSizeDialogHint);
    auto *bar = window.titleBar()->findChild<SystemBar *>();
    QVERIFY(bar);
    QVERIFY(bar->closeButton());
    QVERIFY(!bar->minimizeButton());
    QVERIFY(!bar->maximizeButton());
    QCOMPARE(bar->findChildren<PushButton *>().size(), 1);
}

void TestFramelessWindow::maximizeDropsTheShadow()
{
    Window window;
    window.resize(400, 300);
    window.show();
    QFrame *shadow = shadowOf(&window, QStringLiteral("window_shadow"));
    QVERIFY(shadow->isVisible());

    window.showMaximized();
    QCOMPARE(window.layout()->contentsMargins(), QMargins());
    QVERIFY(!shadow->isVisible());

    // A child raised meanwhile must not end up below the shadow's return.
    auto *extra = new QWidget(&window);
    extra->show();
    window.showNormal();
    QCOMPARE(window.layout()->contentsMargins(), uniform(12));
    QVERIFY(shadow->isVisible());
    QVERIFY(isLowest(shadow));
}

void TestFramelessWindow::shadowWidthWhileMaximized()
{
    Window window;
    window.resize(400, 300);
    window.show();
    window.setShadowWidth(8);
    QCOMPARE(window.layout()->contentsMargins(), uniform(8));

    window.showMaximized();
    window.setShadowWidth(20);
    QCOMPARE(window.shadowWidth(), 20);
    QCOMPARE(window.layout()->contentsMargins(), QMargins());
    window.showNormal();
    QCOMPARE(window.layout()->contentsMargins(), uniform(20));
}

void TestFramelessWindow::shadowFollowsResize()
{
    Window window;
    window.resize(524, 308);
    window.show();
    QFrame *shadow = shadowOf(&window, QStringLiteral("window_shadow"));
    QTRY_COMPARE(shadow->geometry(), QRect(0, 0, 524, 308));
    window.resize(600, 402);
    QTRY_COMPARE(shadow->size(), QSize(600, 402));
    QVERIFY(isLowest(shadow));
    QCOMPARE(window.background()->geometry(), QRect(12, 12, 576, 378));
}

void TestFramelessWindow::bodyMaskWithoutCompositor_data()
{
    QTest::addColumn<bool>("composited");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<bool>("masked");
    QTest::newRow("compositing desktop") << true << false << false;
    QTest::newRow("no compositor") << false << false << true;
    QTest::newRow("no compositor, maximized") << false << true << false;
}

void TestFramelessWindow::bodyMaskWithoutCompositor()
{
    QFETCH(bool, composited);
    QFETCH(bool, maximized);
    QFETCH(bool, masked);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    ShadowMargin shadow(&window, QStringLiteral("window_shadow"));
    shadow.attach(layout);
    window.resize(524, 308);
    shadow.setDesktopComposited(composited);
    shadow.followWindowState(maximized);
    shadow.followResize(window.size());

    QCOMPARE(window.size(), QSize(524, 308));
    QCOMPARE(!window.mask().isEmpty(), masked);
    if (!masked)
        return;
    // The body, 12 px in on every side, with its corners rounded off.
    const QRegion mask = window.mask();
    QCOMPARE(mask.boundingRect(), QRect(12, 12, 500, 284));
    for (const QPoint &inside : { QPoint(262, 154), QPoint(12, 154), QPoint(262, 295) })
        QVERIFY(mask.contains(inside));
    for (const QPoint &outside : { QPoint(11, 154), QPoint(12, 12), QPoint(511, 295) })
        QVERIFY(!mask.contains(outside));

    // A wider margin moves the cut with it; a compositor started since drops it.
    shadow.setWidth(20, false);
    QCOMPARE(window.mask().boundingRect(), QRect(20, 20, 484, 268));
    shadow.setDesktopComposited(true);
    QVERIFY(window.mask().isEmpty());
}

void TestFramelessWindow::dialogStructure()
{
    Dialog dialog;
    QVERIFY((int(dialog.windowFlags()) & 0xE800) == 0xE800);
    QVERIFY(dialog.windowFlags().testFlag(Qt::Dialog));
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(dialog.shadowWidth(), 12);

    QFrame *shadow = shadowOf(&dialog, QStringLiteral("dialog_shadow"));
    QVERIFY(shadow);
    QVERIFY(shadow->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(isLowest(shadow));

    QFrame *body = shadowOf(&dialog, QStringLiteral("dialog_background"));
    QVERIFY(body);
    QCOMPARE(dialog.layout()->contentsMargins(), uniform(12));
    QCOMPARE(dialog.layout()->count(), 1);
    QCOMPARE(dialog.layout()->itemAt(0)->widget(), body);

    auto *bodyLayout = qobject_cast<QVBoxLayout *>(body->layout());
    QCOMPARE(bodyLayout->contentsMargins(), QMargins());
    QCOMPARE(bodyLayout->spacing(), 0);
    QCOMPARE(bodyLayout->count(), 2);
    QCOMPARE(bodyLayout->itemAt(0)->widget(), dialog.titleBar());
    QCOMPARE(bodyLayout->itemAt(1)->widget(), dialog.clientFrame());
    QCOMPARE(dialog.titleBar()->objectName(), QStringLiteral("dialog"));
    QCOMPARE(dialog.clientFrame()->objectName(), QStringLiteral("dialog_client"));
    QCOMPARE(dialog.clientFrame()->frameShape(), QFrame::NoFrame);

    // No balancing spacing: the row starts with the icon and ends with the bar.
    auto *row = qobject_cast<QHBoxLayout *>(dialog.titleBar()->layout());
    QCOMPARE(row->count(), 4);
    QCOMPARE(row->itemAt(0)->widget()->objectName(), QStringLiteral("icon"));
    auto *bar = qobject_cast<SystemBar *>(row->itemAt(3)->widget());
    QVERIFY(bar);
    QCOMPARE(bar->objectName(), QStringLiteral("dialog"));
    QVERIFY(bar->maximizeButton());

    dialog.setWindowTitle(QStringLiteral("Prompt"));
    QCOMPARE(dialog.titleBar()->title(), QStringLiteral("Prompt"));

    Dialog fixed(nullptr, Qt::MSWindowsFixedSizeDialogHint);
    auto *fixedBar = fixed.titleBar()->findChild<SystemBar *>();
    QVERIFY(fixedBar->closeButton());
    QVERIFY(!fixedBar->maximizeButton());
    QVERIFY(!fixedBar->minimizeButton());
}

void TestFramelessWindow::dialogMaximizeAndShadowWidth()
{
    Dialog dialog;
    dialog.resize(300, 200);
    dialog.show();
    QFrame *shadow = shadowOf(&dialog, QStringLiteral("dialog_shadow"));
    QTRY_COMPARE(shadow->size(), QSize(300, 200));
    dialog.showMaximized();
    QCOMPARE(dialog.layout()->contentsMargins(), QMargins());
    QVERIFY(!shadow->isVisible());
    dialog.setShadowWidth(4);
    QCOMPARE(dialog.layout()->contentsMargins(), QMargins());
    dialog.showNormal();
    QCOMPARE(dialog.layout()->contentsMargins(), uniform(4));
    QVERIFY(shadow->isVisible());
    QVERIFY(isLowest(shadow));
}

void TestFramelessWindow::resizability()
{
    Window window;
    window.resize(400, 300);
    QVERIFY(!isWindowResizable(&window)); // hidden
    window.show();
    QVERIFY(isWindowResizable(&window));

    window.showMaximized();
    QVERIFY(!isWindowResizable(&window));
    window.showNormal();
    QVERIFY(isWindowResizable(&window));
    window.showMinimized();
    QVERIFY(!isWindowResizable(&window));
    window.showNormal();

    // Fixed in one direction only still leaves the other to resize.
    window.setFixedHeight(300);
    QVERIFY(isWindowResizable(&window));
    window.setFixedSize(400, 300);
    QVERIFY(!isWindowResizable(&window));

    Window flagged(nullptr, false, Qt::MSWindowsFixedSizeDialogHint);
    flagged.show();
    QVERIFY(!isWindowResizable(&flagged));
}

void TestFramelessWindow::noNativeHandlingOffWindows()
{
    // Other platforms' native events are not Windows messages; the handler
    // must leave them and the result alone.
    Window window;
    QByteArray notAMessage(64, '\x84');
    long result = 42;
    QVERIFY(!handleFramelessNativeEvent(&window, 12, notAMessage.data(), &result));
    QCOMPARE(result, 42L);
}

#ifdef Q_OS_WIN

void TestFramelessWindow::nativeHitTestOnRealWindow_data()
{
    // Points relative to the window's outer rectangle; the shadow is 12.
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("fromRight");
    QTest::addColumn<int>("expected");
    QTest::newRow("top-left corner") << QPoint(13, 13) << false << int(HTTOPLEFT);
    QTest::newRow("left edge in the shadow") << QPoint(13, 5) << false << int(HTLEFT);
    QTest::newRow("on the line L") << QPoint(12, 150) << false << int(HTCLIENT);
    QTest::newRow("right edge") << QPoint(-13, 150) << true << int(HTRIGHT);
    QTest::newRow("body") << QPoint(200, 150) << false << int(HTCLIENT);
}

void TestFramelessWindow::nativeHitTestOnRealWindow()
{
    QFETCH(QPoint, offset);
    QFETCH(bool, fromRight);
    QFETCH(int, expected);

    // Showing the window is itself the check that creating the native window
    // from the frameless handling does not recurse into a second creation.
    Window window;
    window.setGeometry(100, 100, 400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    RECT rect;
    QVERIFY(GetWindowRect(hwnd, &rect));
    const int x = (fromRight ? rect.right : rect.left) + offset.x();
    const int y = rect.top + offset.y();
    const LRESULT hit = SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y));
    QCOMPARE(int(hit), expected);
}

#endif

QTEST_MAIN(TestFramelessWindow)
#include "tst_frameless_window.moc"
