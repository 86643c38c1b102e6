// The sizing-border hit-test and the decisions on native window messages of
// the frameless windows, checked without any Windows messaging around them.
#include "toolkit/frameless_decision.h"

#include <QtTest>

namespace {

// Packs a screen point as the system does: signed 16-bit halves.
std::int64_t point(int x, int y)
{
    return std::int64_t((std::uint32_t(std::uint16_t(y)) << 16) | std::uint16_t(x));
}

// A normal, resizable window at (100, 100)-(600, 400) with a 12-pixel shadow.
FramelessMessage message(unsigned int code, std::uint64_t wParam, std::int64_t lParam)
{
    FramelessMessage m;
    m.code = code;
    m.wParam = wParam;
    m.lParam = lParam;
    m.windowRect = { 100, 100, 600, 400 };
    m.borderOffset = 12;
    m.resizable = true;
    m.cursorWindowIsTopLevel = true;
    m.topLevelVisible = true;
    m.topLevelEnabled = true;
    return m;
}

} // namespace

class TestFramelessDecision : public QObject
{
    Q_OBJECT

private slots:
    void hitTest_data();
    void hitTest();
    void hitTestBandsAreThreePixelsWide();
    void hitTestWithoutShadow();
    void hitTestMessage();
    void guardPassesHitTestToTheSystem();
    void buttonDownPostsSizingCommand_data();
    void buttonDownPostsSizingCommand();
    void buttonDownOnFixedOrGuardedWindow();
    void setCursorCodes_data();
    void setCursorCodes();
    void setCursorSwallowedForOtherOrInactiveWindow();
    void setCursorPassesOnWhenNotSizing();
    void nonClientPaintAndActivate();
    void doubleClick_data();
    void doubleClick();
    void doubleClickOnFixedSizeWindowIsSwallowed();
    void systemCommands_data();
    void systemCommands();
    void otherMessagesAreNotHandled();
};

void TestFramelessDecision::hitTest_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("expected");

    // L = 112, T = 112, R = 588, B = 388.
    QTest::newRow("top-left corner") << 113 << 113 << int(HitTopLeft);
    QTest::newRow("top-right corner") << 587 << 115 << int(HitTopRight);
    QTest::newRow("bottom-left corner") << 115 << 385 << int(HitBottomLeft);
    QTest::newRow("bottom-right corner") << 585 << 387 << int(HitBottomRight);
    QTest::newRow("left edge in the body") << 114 << 250 << int(HitLeft);
    QTest::newRow("left edge above the body") << 113 << 50 << int(HitLeft);
    QTest::newRow("left edge in the lower shadow") << 113 << 395 << int(HitLeft);
    QTest::newRow("right edge") << 587 << 250 << int(HitRight);
    QTest::newRow("top edge") << 300 << 113 << int(HitTop);
    QTest::newRow("top edge left of the body") << 20 << 114 << int(HitTop);
    QTest::newRow("bottom edge") << 300 << 387 << int(HitBottom);
    QTest::newRow("body") << 300 << 250 << int(HitClient);
    QTest::newRow("on the line L") << 112 << 250 << int(HitClient);
    QTest::newRow("past the left band") << 116 << 250 << int(HitClient);
    QTest::newRow("on the line R") << 588 << 250 << int(HitClient);
    QTest::newRow("before the right band") << 584 << 250 << int(HitClient);
    QTest::newRow("on the line T") << 300 << 112 << int(HitClient);
    QTest::newRow("on the line B") << 300 << 388 << int(HitClient);
    QTest::newRow("shadow margin") << 105 << 250 << int(HitClient);
    QTest::newRow("outer corner") << 100 << 100 << int(HitClient);
}

void TestFramelessDecision::hitTest()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, expected);
    QCOMPARE(framelessHitTest({ 100, 100, 600, 400 }, x, y, 12), expected);
}

void TestFramelessDecision::hitTestBandsAreThreePixelsWide()
{
    const FramelessRect rect { 100, 100, 600, 400 };
    QList<int> leftBand;
    QList<int> rightBand;
    QList<int> topBand;
    QList<int> bottomBand;
    for (int i = 90; i < 610; ++i) {
        if (framelessHitTest(rect, i, 250, 12) == HitLeft)
            leftBand << i;
        if (framelessHitTest(rect, i, 250, 12) == HitRight)
            rightBand << i;
    }
    for (int i = 90; i < 410; ++i) {
        if (framelessHitTest(rect, 300, i, 12) == HitTop)
            topBand << i;
        if (framelessHitTest(rect, 300, i, 12) == HitBottom)
            bottomBand << i;
    }
    QCOMPARE(leftBand, QList<int>({ 113, 114, 115 }));
    QCOMPARE(rightBand, QList<int>({ 585, 586, 587 }));
    QCOMPARE(topBand, QList<int>({ 113, 114, 115 }));
    QCOMPARE(bottomBand, QList<int>({ 385, 386, 387 }));
}

void TestFramelessDecision::hitTestWithoutShadow()
{
    const FramelessRect rect { 100, 100, 600, 400 };
    QCOMPARE(framelessHitTest(rect, 100, 250, 0), int(HitClient));
    QCOMPARE(framelessHitTest(rect, 101, 250, 0), int(HitLeft));
    QCOMPARE(framelessHitTest(rect, 103, 250, 0), int(HitLeft));
    QCOMPARE(framelessHitTest(rect, 104, 250, 0), int(HitClient));
    QCOMPARE(framelessHitTest(rect, 599, 250, 0), int(HitRight));
    QCOMPARE(framelessHitTest(rect, 600, 250, 0), int(HitClient));
    QCOMPARE(framelessHitTest(rect, 101, 101, 0), int(HitTopLeft));
    QCOMPARE(framelessHitTest(rect, 599, 399, 0), int(HitBottomRight));
}

void TestFramelessDecision::hitTestMessage()
{
    // The point arrives packed in the second parameter, halves signed.
    const FramelessDecision corner
        = decideFramelessMessage(message(FramelessWin::NcHitTest, 0, point(113, 113)));
    QVERIFY(corner.handled);
    QVERIFY(corner.setsResult);
    QCOMPARE(corner.result, long(HitTopLeft));
    QCOMPARE(corner.action, FramelessAction::None);

    FramelessMessage offScreen = message(FramelessWin::NcHitTest, 0, point(-487, 250));
    offScreen.windowRect = { -500, 100, 0, 400 };
    QCOMPARE(decideFramelessMessage(offScreen).result, long(HitLeft));

    // A fixed-size window still reports its bands.
    FramelessMessage fixed = message(FramelessWin::NcHitTest, 0, point(300, 387));
    fixed.resizable = false;
    fixed.fixedSize = true;
    QCOMPARE(decideFramelessMessage(fixed).result, long(HitBottom));
}

void TestFramelessDecision::guardPassesHitTestToTheSystem()
{
    FramelessMessage maximized = message(FramelessWin::NcHitTest, 0, point(113, 113));
    maximized.maximized = true;
    QVERIFY(!decideFramelessMessage(maximized).handled);

    FramelessMessage fullScreen = message(FramelessWin::NcHitTest, 0, point(113, 113));
    fullScreen.fullScreen = true;
    QVERIFY(!decideFramelessMessage(fullScreen).handled);

    FramelessMessage orphan = message(FramelessWin::NcHitTest, 0, point(113, 113));
    orphan.hasTopLevel = false;
    QVERIFY(!decideFramelessMessage(orphan).handled);
}

void TestFramelessDecision::buttonDownPostsSizingCommand_data()
{
    QTest::addColumn<int>("hitCode");
    QTest::addColumn<unsigned int>("command");
    QTest::newRow("left") << int(HitLeft) << 0xF001u;
    QTest::newRow("right") << int(HitRight) << 0xF002u;
    QTest::newRow("top") << int(HitTop) << 0xF003u;
    QTest::newRow("top-left") << int(HitTopLeft) << 0xF004u;
    QTest::newRow("top-right") << int(HitTopRight) << 0xF005u;
    QTest::newRow("bottom") << int(HitBottom) << 0xF006u;
    QTest::newRow("bottom-left") << int(HitBottomLeft) << 0xF007u;
    QTest::newRow("bottom-right") << int(HitBottomRight) << 0xF008u;
}

void TestFramelessDecision::buttonDownPostsSizingCommand()
{
    QFETCH(int, hitCode);
    QFETCH(unsigned int, command);
    const std::int64_t cursor = point(113, 250);
    const FramelessDecision decision
        = decideFramelessMessage(message(FramelessWin::NcLButtonDown, hitCode, cursor));
    QVERIFY(!decision.handled); // the press itself goes on to the system
    QCOMPARE(decision.action, FramelessAction::PostSysCommand);
    QCOMPARE(decision.sysCommand, command);
    QCOMPARE(decision.sysCommandLParam, cursor);
}

void TestFramelessDecision::buttonDownOnFixedOrGuardedWindow()
{
    FramelessMessage client = message(FramelessWin::NcLButtonDown, HitClient, point(300, 250));
    QCOMPARE(decideFramelessMessage(client).action, FramelessAction::None);
    FramelessMessage caption = message(FramelessWin::NcLButtonDown, 2 /* HTCAPTION */, 0);
    QCOMPARE(decideFramelessMessage(caption).action, FramelessAction::None);

    FramelessMessage fixed = message(FramelessWin::NcLButtonDown, HitLeft, point(113, 250));
    fixed.resizable = false;
    const FramelessDecision fixedDecision = decideFramelessMessage(fixed);
    QVERIFY(!fixedDecision.handled);
    QCOMPARE(fixedDecision.action, FramelessAction::None);

    FramelessMessage maximized = message(FramelessWin::NcLButtonDown, HitLeft, point(113, 250));
    maximized.maximized = true;
    QCOMPARE(decideFramelessMessage(maximized).action, FramelessAction::None);
}

void TestFramelessDecision::setCursorCodes_data()
{
    QTest::addColumn<int>("hitCode");
    QTest::addColumn<int>("cursor");
    QTest::newRow("left") << int(HitLeft) << 32644;
    QTest::newRow("right") << int(HitRight) << 32644;
    QTest::newRow("top") << int(HitTop) << 32645;
    QTest::newRow("bottom") << int(HitBottom) << 32645;
    QTest::newRow("top-left") << int(HitTopLeft) << 32642;
    QTest::newRow("bottom-right") << int(HitBottomRight) << 32642;
    QTest::newRow("top-right") << int(HitTopRight) << 32643;
    QTest::newRow("bottom-left") << int(HitBottomLeft) << 32643;
}

void TestFramelessDecision::setCursorCodes()
{
    QFETCH(int, hitCode);
    QFETCH(int, cursor);
    // The hit code is the low half of the second parameter; the high half
    // carries the mouse message and must not disturb it.
    const std::int64_t lParam = (std::int64_t(0x0201) << 16) | hitCode;
    const FramelessDecision decision
        = decideFramelessMessage(message(FramelessWin::SetCursorMessage, 0x1234, lParam));
    QVERIFY(decision.handled);
    QVERIFY(!decision.setsResult);
    QCOMPARE(decision.action, FramelessAction::SetCursor);
    QCOMPARE(decision.cursorId, cursor);
}

void TestFramelessDecision::setCursorSwallowedForOtherOrInactiveWindow()
{
    FramelessMessage other = message(FramelessWin::SetCursorMessage, 0x99, HitLeft);
    other.cursorWindowIsTopLevel = false;
    FramelessMessage hidden = message(FramelessWin::SetCursorMessage, 0x99, HitLeft);
    hidden.topLevelVisible = false;
    FramelessMessage disabled = message(FramelessWin::SetCursorMessage, 0x99, HitLeft);
    disabled.topLevelEnabled = false;
    for (const FramelessMessage &m : { other, hidden, disabled }) {
        const FramelessDecision decision = decideFramelessMessage(m);
        QVERIFY(decision.handled);
        QVERIFY(!decision.setsResult);
        QCOMPARE(decision.action, FramelessAction::None);
    }
}

void TestFramelessDecision::setCursorPassesOnWhenNotSizing()
{
    const FramelessDecision client
        = decideFramelessMessage(message(FramelessWin::SetCursorMessage, 0, HitClient));
    QVERIFY(!client.handled);
    QCOMPARE(client.action, FramelessAction::None);

    // No sizing cursor for a window that cannot be resized, nor in the
    // maximized state.
    FramelessMessage fixed = message(FramelessWin::SetCursorMessage, 0, HitLeft);
    fixed.resizable = false;
    QVERIFY(!decideFramelessMessage(fixed).handled);
    QCOMPARE(decideFramelessMessage(fixed).action, FramelessAction::None);
    FramelessMessage maximized = message(FramelessWin::SetCursorMessage, 0, HitLeft);
    maximized.maximized = true;
    QVERIFY(!decideFramelessMessage(maximized).handled);
}

void TestFramelessDecision::nonClientPaintAndActivate()
{
    FramelessMessage paint = message(FramelessWin::NcPaint, 1, 0);
    paint.maximized = true; // not guarded
    const FramelessDecision painted = decideFramelessMessage(paint);
    QVERIFY(painted.handled);
    QVERIFY(painted.setsResult);
    QCOMPARE(painted.result, 0L);

    const FramelessDecision activated
        = decideFramelessMessage(message(FramelessWin::NcActivate, 0, 0));
    QVERIFY(activated.handled);
    QVERIFY(activated.setsResult);
    QCOMPARE(activated.result, 1L);
}

void TestFramelessDecision::doubleClick_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<long>("result");
    QTest::addColumn<int>("action");

    const int none = int(FramelessAction::None);
    QTest::newRow("top band, far from the left")
        << 300 << 114 << false << 1L << int(FramelessAction::ShowMaximized);
    QTest::newRow("maximized window goes back")
        << 300 << 114 << true << 1L << int(FramelessAction::ShowNormal);
    QTest::newRow("just past 68 pixels")
        << 169 << 114 << false << 1L << int(FramelessAction::ShowMaximized);
    QTest::newRow("within 68 pixels of the left") << 168 << 114 << false << 0L << none;
    QTest::newRow("on the top line") << 300 << 100 << false << 0L << none;
    QTest::newRow("48 pixels down") << 300 << 148 << false << 0L << none;
    QTest::newRow("47 pixels down")
        << 300 << 147 << false << 1L << int(FramelessAction::ShowMaximized);
}

void TestFramelessDecision::doubleClick()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, maximized);
    QFETCH(long, result);
    QFETCH(int, action);
    FramelessMessage m = message(FramelessWin::NcLButtonDblClk, HitTop, point(x, y));
    m.maximized = maximized;
    m.resizable = !maximized; // neither guard nor resizability apply here
    const FramelessDecision decision = decideFramelessMessage(m);
    QVERIFY(decision.handled);
    QVERIFY(decision.setsResult);
    QCOMPARE(decision.result, result);
    QCOMPARE(int(decision.action), action);
}

void TestFramelessDecision::doubleClickOnFixedSizeWindowIsSwallowed()
{
    FramelessMessage m = message(FramelessWin::NcLButtonDblClk, HitTop, point(300, 114));
    m.resizable = false;
    m.fixedSize = true;
    const FramelessDecision decision = decideFramelessMessage(m);
    QVERIFY(decision.handled);
    QCOMPARE(decision.result, 0L);
    QCOMPARE(decision.action, FramelessAction::None);
}

void TestFramelessDecision::systemCommands_data()
{
    QTest::addColumn<quint64>("command");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<int>("action");
    QTest::newRow("close") << quint64(0xF060) << true << int(FramelessAction::Close);
    QTest::newRow("maximize") << quint64(0xF030) << true << int(FramelessAction::ShowMaximized);
    QTest::newRow("maximize from a caption")
        << quint64(0xF032) << true << int(FramelessAction::ShowMaximized);
    QTest::newRow("minimize") << quint64(0xF020) << true << int(FramelessAction::ShowMinimized);
    QTest::newRow("restore") << quint64(0xF120) << true << int(FramelessAction::ShowNormal);
    QTest::newRow("restore with low bits")
        << quint64(0xF12F) << true << int(FramelessAction::ShowNormal);
    QTest::newRow("close from the keyboard")
        << quint64(0xF061) << true << int(FramelessAction::Close);
    QTest::newRow("size") << quint64(0xF001) << false << int(FramelessAction::None);
    QTest::newRow("move") << quint64(0xF010) << false << int(FramelessAction::None);
    QTest::newRow("move by caption") << quint64(0xF012) << false << int(FramelessAction::None);
    QTest::newRow("key menu") << quint64(0xF100) << false << int(FramelessAction::None);
}

void TestFramelessDecision::systemCommands()
{
    QFETCH(quint64, command);
    QFETCH(bool, handled);
    QFETCH(int, action);
    FramelessMessage m = message(FramelessWin::SysCommand, command, 0);
    m.maximized = true; // the guard does not apply to commands
    m.resizable = false;
    const FramelessDecision decision = decideFramelessMessage(m);
    QCOMPARE(decision.handled, handled);
    QCOMPARE(int(decision.action), action);
    if (handled) {
        QVERIFY(decision.setsResult);
        QCOMPARE(decision.result, 0L);
    }
}

void TestFramelessDecision::otherMessagesAreNotHandled()
{
    for (unsigned int code :
         { 0x0u, 0x0Fu /* WM_PAINT */, 0x83u /* WM_NCCALCSIZE */, 0xA0u /* WM_NCMOUSEMOVE */,
           0xA2u /* WM_NCLBUTTONUP */, 0x201u /* WM_LBUTTONDOWN */ }) {
        const FramelessDecision decision = decideFramelessMessage(message(code, HitLeft, 0));
        QVERIFY2(!decision.handled, qPrintable(QString::number(code, 16)));
        QCOMPARE(decision.action, FramelessAction::None);
    }
}

QTEST_APPLESS_MAIN(TestFramelessDecision)
#include "tst_frameless_decision.moc"
