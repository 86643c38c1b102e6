// The system bar's button: pressed by the mouse, never by the keyboard.
#include "toolkit/push_button.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Records the keys that travel up from its children.
class KeyRecorder : public QWidget
{
public:
    QList<int> pressed;
    QList<int> released;

protected:
    void keyPressEvent(QKeyEvent *event) override { pressed << event->key(); }
    void keyReleaseEvent(QKeyEvent *event) override { released << event->key(); }
};

// Goes through the application like a real key, so that an ignored key
// travels on to the parent.
void sendKey(QWidget *widget, QEvent::Type type, int key)
{
    QKeyEvent event(type, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class TestPushButton : public QObject
{
    Q_OBJECT

private slots:
    void neverFocusedNorDefault();
    void spaceAndSelectNeitherClickNorTravel_data();
    void spaceAndSelectNeitherClickNorTravel();
    void otherKeysTravelOn();
    void mouseClicks();
};

void TestPushButton::neverFocusedNorDefault()
{
    PushButton button;
    QCOMPARE(button.focusPolicy(), Qt::NoFocus);
    QVERIFY(!button.autoDefault());
    QVERIFY(!button.isDefault());
    QVERIFY(button.isFlat());
}

void TestPushButton::spaceAndSelectNeitherClickNorTravel_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("select") << int(Qt::Key_Select);
}

void TestPushButton::spaceAndSelectNeitherClickNorTravel()
{
    QFETCH(int, key);
    KeyRecorder parent;
    auto *button = new PushButton(&parent);
    parent.show();
    QSignalSpy clicked(button, &QAbstractButton::clicked);

    sendKey(button, QEvent::KeyPress, key);
    QVERIFY(!button->isDown());
    sendKey(button, QEvent::KeyRelease, key);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(parent.pressed.isEmpty());
    QVERIFY(parent.released.isEmpty());
}

void TestPushButton::otherKeysTravelOn()
{
    KeyRecorder parent;
    auto *button = new PushButton(&parent);
    parent.show();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    sendKey(button, QEvent::KeyPress, Qt::Key_A);
    sendKey(button, QEvent::KeyRelease, Qt::Key_A);
    QCOMPARE(parent.pressed, QList<int> { Qt::Key_A });
    QCOMPARE(parent.released, QList<int> { Qt::Key_A });
    QCOMPARE(clicked.count(), 0);
}

void TestPushButton::mouseClicks()
{
    QWidget parent;
    auto *button = new PushButton(&parent);
    button->resize(30, 20);
    parent.show();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(TestPushButton)
#include "tst_push_button.moc"
