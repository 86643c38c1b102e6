// Placement, limits and lifetime of the self-closing notices.
#include "toolkit/toast_label.h"

#include <QPointer>
#include <QtTest>

class TestToastLabel : public QObject
{
    Q_OBJECT

private slots:
    void centredOnTheWindow();
    void centredOnAnOffsetContentsRectangle();
    void noParentAndNoActiveWindowCreatesNothing();
    void noParentUsesTheActiveWindow();
    void longTextIsCutNotWrapped();
    void objectNameOnlyWhenGiven();
    void closesAndDeletesItself();
    void diesQuietlyWithItsParent();
    void newestToastIsOnTop();
};

namespace {

QList<ToastLabel *> toastsOf(const QWidget &parent)
{
    return parent.findChildren<ToastLabel *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

void TestToastLabel::centredOnTheWindow()
{
    QWidget parent;
    parent.resize(524, 308);
    // A label of exactly 201 x 31 pixels, whatever the font.
    parent.setStyleSheet(QStringLiteral("ToastLabel { min-width: 201px; max-width: 201px;"
                                        " min-height: 31px; max-height: 31px; }"));
    ToastLabel::showText(QStringLiteral("Package url is invalid."), &parent, 5000);

    const QList<ToastLabel *> toasts = toastsOf(parent);
    QCOMPARE(toasts.size(), 1);
    ToastLabel *toast = toasts.first();
    QCOMPARE(toast->size(), QSize(201, 31));
    QCOMPARE(toast->pos(), QPoint(161, 138));
    QCOMPARE(toast->text(), QStringLiteral("Package url is invalid."));
    QVERIFY(!toast->isWindow());
    QVERIFY(toast->isVisibleTo(&parent));
    QVERIFY(!toast->wordWrap());
    QVERIFY(toast->testAttribute(Qt::WA_DeleteOnClose));
}

void TestToastLabel::centredOnAnOffsetContentsRectangle()
{
    QWidget parent;
    parent.resize(400, 300);
    parent.setContentsMargins(40, 20, 0, 0); // contents (40, 20) 360 x 280
    ToastLabel::showText(QStringLiteral("Space is not enough."), &parent, 5000);

    ToastLabel *toast = toastsOf(parent).value(0);
    QVERIFY(toast);
    // Centre of the contents: ((40 + 399) / 2, (20 + 299) / 2) = (219, 159).
    const QSize size = toast->size();
    QVERIFY(size.width() > 0 && size.height() > 0);
    QCOMPARE(toast->pos(), QPoint(219 - size.width() / 2, 159 - size.height() / 2));
}

void TestToastLabel::noParentAndNoActiveWindowCreatesNothing()
{
    QVERIFY(!QApplication::activeWindow());
    const int before = QApplication::allWidgets().size();
    ToastLabel::showText(QStringLiteral("nobody sees this"), nullptr, 100);
    QCOMPARE(QApplication::allWidgets().size(), before);
}

void TestToastLabel::noParentUsesTheActiveWindow()
{
    QWidget window;
    window.resize(300, 200);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    ToastLabel::showText(QStringLiteral("Invalid install dir."), nullptr, 5000);
    QCOMPARE(toastsOf(window).size(), 1);
}

void TestToastLabel::longTextIsCutNotWrapped()
{
    QWidget parent;
    parent.resize(1200, 300);
    ToastLabel::showText(QString(400, QLatin1Char('W')), &parent, 5000);
    ToastLabel *toast = toastsOf(parent).value(0);
    QVERIFY(toast);
    QCOMPARE(toast->width(), 640);
    QVERIFY(!toast->wordWrap());
    QVERIFY(toast->height() < 3 * toast->fontMetrics().height()); // one line
}

void TestToastLabel::objectNameOnlyWhenGiven()
{
    QWidget parent;
    parent.resize(300, 200);
    ToastLabel::showText(QStringLiteral("plain"), &parent, 5000, QString());
    ToastLabel::showText(QStringLiteral("named"), &parent, 5000, QStringLiteral("warning_toast"));
    const QList<ToastLabel *> toasts = toastsOf(parent);
    QCOMPARE(toasts.size(), 2);
    QCOMPARE(toasts.at(0)->objectName(), QString());
    QCOMPARE(toasts.at(1)->objectName(), QStringLiteral("warning_toast"));
}

void TestToastLabel::closesAndDeletesItself()
{
    QWidget parent;
    parent.resize(300, 200);
    ToastLabel::showText(QStringLiteral("short"), &parent, 30);
    QPointer<ToastLabel> toast = toastsOf(parent).value(0);
    QVERIFY(toast);
    QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 20000);
    QVERIFY(toastsOf(parent).isEmpty());
}

void TestToastLabel::diesQuietlyWithItsParent()
{
    auto *parent = new QWidget;
    parent->resize(300, 200);
    ToastLabel::showText(QStringLiteral("short"), parent, 30);
    QPointer<ToastLabel> toast = toastsOf(*parent).value(0);
    QVERIFY(toast);
    delete parent;
    QVERIFY(toast.isNull());
    // The timer went with the label: nothing fires on a dead label.
    QTest::qWait(100);
}

void TestToastLabel::newestToastIsOnTop()
{
    QWidget parent;
    parent.resize(300, 200);
    auto *other = new QWidget(&parent);
    other->resize(300, 200);
    ToastLabel::showText(QStringLiteral("first"), &parent, 5000);
    ToastLabel::showText(QStringLiteral("second"), &parent, 5000);
    other->raise();
    ToastLabel::showText(QStringLiteral("third"), &parent, 5000);
    // Stacking order is the order of the children list, topmost last.
    const QObjectList children = parent.children();
    auto *topmost = qobject_cast<ToastLabel *>(children.last());
    QVERIFY(topmost);
    QCOMPARE(topmost->text(), QStringLiteral("third"));
}

QTEST_MAIN(TestToastLabel)
#include "tst_toast_label.moc"
