// Moving a window by dragging its frames, the drag out of the maximized state,
// double-click toggling, and the title bar's row.
#include "toolkit/frame.h"
#include "toolkit/title_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

namespace {

// A top-level window that records the presses its children let through.
class PressRecorder : public QWidget
{
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, const QPoint &globalPos,
               Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, pos, globalPos, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void press(QWidget *widget, const QPoint &pos, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(widget, QEvent::MouseButtonPress, pos, widget->mapToGlobal(pos), button);
}

void doubleClick(QWidget *widget, const QPoint &pos)
{
    sendMouse(widget, QEvent::MouseButtonDblClick, pos, widget->mapToGlobal(pos));
}

// Moves carry their global position explicitly: the window moves under the
// cursor while it is dragged.
void moveTo(QWidget *widget, const QPoint &globalPos)
{
    QMouseEvent event(QEvent::MouseMove, widget->mapFromGlobal(globalPos), globalPos, Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void constructionAndProperty();
    void pressInsideShrunkRectangleStartsDrag_data();
    void pressInsideShrunkRectangleStartsDrag();
    void rightButtonDoesNotDrag();
    void dragMovesTheWindow();
    void restoredPositionArithmetic();
    void dragOutOfMaximized();
    void doubleClickOnPageNeverToggles();
    void doubleClickOnTitleBarToggles();
    void doubleClickOnFixedSizeWindowActsAsPress_data();
    void doubleClickOnFixedSizeWindowActsAsPress();
    void doubleClickOnButtonIsSwallowed();
    void titleBarRow();
};

void TestFrame::constructionAndProperty()
{
    Frame page(nullptr, false, 12);
    QCOMPARE(page.shadowWidth(), 12);
    QVERIFY(page.setProperty("shadowWidth", 7));
    QCOMPARE(page.shadowWidth(), 7);
    QCOMPARE(page.property("shadowWidth").toInt(), 7);
}

void TestFrame::pressInsideShrunkRectangleStartsDrag_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("drags");
    // Frame 200 x 100 with a 1-pixel box frame: contents (1, 1)-(198, 98);
    // shrunk to (4, 4)-(195, 98).
    QTest::newRow("2 below the top edge") << QPoint(100, 3) << false;
    QTest::newRow("3 below the top edge") << QPoint(100, 4) << true;
    QTest::newRow("2 above the bottom edge") << QPoint(100, 96) << true;
    QTest::newRow("on the bottom edge") << QPoint(100, 98) << true;
    QTest::newRow("on the frame line") << QPoint(100, 99) << false;
    QTest::newRow("2 right of the left edge") << QPoint(3, 50) << false;
    QTest::newRow("3 right of the left edge") << QPoint(4, 50) << true;
    QTest::newRow("3 left of the right edge") << QPoint(195, 50) << true;
    QTest::newRow("2 left of the right edge") << QPoint(196, 50) << false;
}

void TestFrame::pressInsideShrunkRectangleStartsDrag()
{
    QFETCH(QPoint, pos);
    QFETCH(bool, drags);
    PressRecorder window;
    window.resize(300, 200);
    auto *frame = new Frame(&window, false, 12);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);
    frame->setGeometry(50, 50, 200, 100);
    QCOMPARE(frame->contentsRect(), QRect(1, 1, 198, 98));
    window.show();
    window.move(100, 100);

    press(frame, pos);
    // A press that does not start a drag travels on to the parent.
    QCOMPARE(window.presses, drags ? 0 : 1);

    moveTo(frame, frame->mapToGlobal(pos) + QPoint(10, 5));
    QCOMPARE(window.pos(), drags ? QPoint(110, 105) : QPoint(100, 100));
}

void TestFrame::rightButtonDoesNotDrag()
{
    PressRecorder window;
    window.resize(300, 200);
    auto *frame = new Frame(&window, false, 12);
    frame->setGeometry(0, 0, 300, 200);
    window.show();
    window.move(100, 100);
    press(frame, QPoint(100, 100), Qt::RightButton);
    QCOMPARE(window.presses, 1);
    moveTo(frame, frame->mapToGlobal(QPoint(120, 120)));
    QCOMPARE(window.pos(), QPoint(100, 100));
}

void TestFrame::dragMovesTheWindow()
{
    QWidget window;
    window.resize(300, 200);
    auto *frame = new Frame(&window, false, 12);
    frame->setGeometry(0, 0, 300, 200);
    window.show();
    window.move(100, 100);

    const QPoint start = frame->mapToGlobal(QPoint(50, 50));
    press(frame, QPoint(50, 50));
    moveTo(frame, start + QPoint(15, 7));
    QCOMPARE(window.pos(), QPoint(115, 107));
    moveTo(frame, start + QPoint(15, 7)); // no distance, no move
    QCOMPARE(window.pos(), QPoint(115, 107));
    moveTo(frame, start + QPoint(5, -3));
    QCOMPARE(window.pos(), QPoint(105, 97));

    const QPoint end = start + QPoint(5, -3);
    sendMouse(frame, QEvent::MouseButtonRelease, frame->mapFromGlobal(end), end);
    moveTo(frame, end + QPoint(40, 40));
    QCOMPARE(window.pos(), QPoint(105, 97));
}

void TestFrame::restoredPositionArithmetic()
{
    // Screen 1920 wide, cursor at 960, normal width 800: the cursor stays in
    // the middle of the restored window.
    const QRect maximized(0, 0, 1920, 1040);
    QCOMPARE(Frame::restoredWindowPosition(maximized, QSize(800, 500), QPoint(960, 10),
                                           QPoint(6, 4), 12),
             QPoint(960 - 400 + 6, 0 + 4 - 12));
    // A quarter in: 480 - 800 / 4 = 280; negative deltas and an offset screen.
    QCOMPARE(Frame::restoredWindowPosition(QRect(1920, 30, 1920, 1040), QSize(800, 500),
                                           QPoint(1920 + 480, 40), QPoint(-3, -2), 12),
             QPoint(1920 + 480 - 200 - 3, 30 - 2 - 12));
    // The inner expression is truncated before the delta is added:
    // 100 - 333 * 100 / 1000 = 66.7 -> 66.
    QCOMPARE(Frame::restoredWindowPosition(QRect(0, 0, 1000, 700), QSize(333, 200), QPoint(100, 5),
                                           QPoint(1, 0), 0),
             QPoint(67, 0));
}

void TestFrame::dragOutOfMaximized()
{
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    auto *frame = new Frame(&window, false, 12);
    auto *layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    window.resize(400, 300);
    window.show();
    window.move(200, 150);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    QTRY_VERIFY(window.width() > 400);
    const QRect maximized = window.frameGeometry();

    const QPoint start = maximized.topLeft() + QPoint(maximized.width() / 2, 20);
    press(frame, frame->mapFromGlobal(start));
    moveTo(frame, start + QPoint(8, 6));

    QVERIFY(!window.isMaximized());
    QCOMPARE(window.size(), QSize(400, 300));
    // The cursor's place after the step keeps its share of the width.
    const int g = start.x() + 8;
    const QPoint expected(int(g - 400 * double(g - maximized.left()) / maximized.width()) + 8,
                          maximized.top() + 6 - 12);
    QCOMPARE(window.pos(), expected);
    // The window system's own restore, delivered later, must not undo it.
    QCoreApplication::processEvents();
    QCOMPARE(window.pos(), expected);
    QCOMPARE(window.size(), QSize(400, 300));

    // From here on an ordinary drag.
    moveTo(frame, start + QPoint(18, 16));
    QCOMPARE(window.pos(), expected + QPoint(10, 10));
}

void TestFrame::doubleClickOnPageNeverToggles()
{
    QWidget window;
    window.resize(300, 200);
    auto *page = new Frame(&window, false, 12);
    page->setGeometry(0, 0, 300, 200);
    window.show();
    doubleClick(page, QPoint(50, 50));
    QVERIFY(!window.isMaximized());
}

void TestFrame::doubleClickOnTitleBarToggles()
{
    QWidget window;
    window.resize(300, 200);
    auto *titleBar = new TitleBar(&window);
    titleBar->setGeometry(0, 0, 300, 30);
    window.show();
    doubleClick(titleBar, QPoint(150, 15));
    QVERIFY(window.isMaximized());
    doubleClick(titleBar, QPoint(150, 15));
    QVERIFY(!window.isMaximized());
}

void TestFrame::doubleClickOnFixedSizeWindowActsAsPress_data()
{
    QTest::addColumn<bool>("flag");
    QTest::newRow("fixed-size flag") << true;
    QTest::newRow("equal minimum and maximum") << false;
}

void TestFrame::doubleClickOnFixedSizeWindowActsAsPress()
{
    QFETCH(bool, flag);
    QWidget window(nullptr, flag ? Qt::Window | Qt::MSWindowsFixedSizeDialogHint : Qt::Window);
    if (flag)
        window.resize(300, 200);
    else
        window.setFixedSize(300, 200);
    auto *titleBar = new TitleBar(&window);
    titleBar->setGeometry(0, 0, 300, 30);
    window.show();
    window.move(100, 100);
    doubleClick(titleBar, QPoint(150, 15));
    QVERIFY(!window.isMaximized());
    // The base handling treats it as a press, which starts a drag.
    moveTo(titleBar, titleBar->mapToGlobal(QPoint(150, 15)) + QPoint(4, 4));
    QCOMPARE(window.pos(), QPoint(104, 104));
}

void TestFrame::doubleClickOnButtonIsSwallowed()
{
    QWidget window;
    window.resize(300, 200);
    auto *titleBar = new TitleBar(&window);
    titleBar->setGeometry(0, 0, 300, 30);
    auto *closeButton = new QPushButton(titleBar);
    closeButton->setEnabled(false);
    titleBar->insertWidget(-1, closeButton);
    window.show();
    QTRY_VERIFY(closeButton->isVisible());
    const QPoint onButton = closeButton->geometry().center();
    QCOMPARE(titleBar->childAt(onButton), closeButton);

    QMouseEvent event(QEvent::MouseButtonDblClick, onButton, titleBar->mapToGlobal(onButton),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    event.ignore();
    QApplication::sendEvent(titleBar, &event);
    QVERIFY(event.isAccepted());
    QVERIFY(!window.isMaximized());
}

void TestFrame::titleBarRow()
{
    TitleBar titleBar;
    QCOMPARE(titleBar.shadowWidth(), 12);
    auto *row = qobject_cast<QHBoxLayout *>(titleBar.layout());
    QVERIFY(row);
    QCOMPARE(row->contentsMargins(), QMargins());
    QCOMPARE(row->spacing(), 6);
    QCOMPARE(row->count(), 3);
    QCOMPARE(row->itemAt(0)->widget()->objectName(), QStringLiteral("icon"));
    auto *text = qobject_cast<QLabel *>(row->itemAt(1)->widget());
    QVERIFY(text);
    QCOMPARE(text->objectName(), QStringLiteral("text"));
    QCOMPARE(text->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(text->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
    QVERIFY(text->alignment().testFlag(Qt::AlignVCenter));
    QVERIFY(row->itemAt(2)->spacerItem());
    QCOMPARE(row->stretch(2), 1);

    titleBar.setTitle(QStringLiteral("Velmar"));
    QCOMPARE(text->text(), QStringLiteral("Velmar"));

    auto *appended = new QWidget(&titleBar);
    titleBar.insertWidget(-1, appended);
    QCOMPARE(row->itemAt(3)->widget(), appended);
    auto *first = new QWidget(&titleBar);
    titleBar.insertWidget(0, first, 2);
    QCOMPARE(row->itemAt(0)->widget(), first);
    QCOMPARE(row->stretch(0), 2);
    titleBar.insertSpacing(1, 40);
    QVERIFY(row->itemAt(1)->spacerItem());
    QCOMPARE(row->itemAt(1)->sizeHint().width(), 40);
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
