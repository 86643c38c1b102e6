// The minimize, maximize/restore and close bar and how it follows its window.
#include "toolkit/push_button.h"
#include "toolkit/system_bar.h"

#include <QHBoxLayout>
#include <QtTest>

class TestSystemBar : public QObject
{
    Q_OBJECT

private slots:
    void noButtons();
    void minimizeAndClose();
    void allButtonsInOrder();
    void followsMaximizeAndRestore();
    void fixedSizeWindowNeverShowsMaximize();
    void buttonsActOnTheWindow();
    void closeCanBeDisabled();
};

void TestSystemBar::noButtons()
{
    QWidget window;
    SystemBar bar(&window, SystemBar::Buttons());
    QVERIFY(!bar.layout());
    QVERIFY(bar.findChildren<QAbstractButton *>().isEmpty());
    window.showMaximized();
    window.showNormal();
    bar.setCloseEnabled(false);
    QVERIFY(bar.findChildren<QAbstractButton *>().isEmpty());
    QVERIFY(!bar.closeButton());
}

void TestSystemBar::minimizeAndClose()
{
    QWidget window;
    auto *bar = new SystemBar(&window, SystemBar::MinimizeButton | SystemBar::CloseButton, &window);
    window.show();
    QVERIFY(bar->minimizeButton());
    QVERIFY(bar->closeButton());
    QVERIFY(!bar->maximizeButton());
    QVERIFY(!bar->restoreButton());
    QCOMPARE(bar->findChildren<PushButton *>().size(), 2);

    window.showMaximized();
    QVERIFY(bar->minimizeButton()->isVisible());
    QVERIFY(bar->closeButton()->isVisible());
    QCOMPARE(bar->findChildren<PushButton *>().size(), 2);
}

void TestSystemBar::allButtonsInOrder()
{
    QWidget window;
    SystemBar bar(&window,
                  SystemBar::MinimizeButton | SystemBar::MaximizeButton | SystemBar::CloseButton);
    auto *row = qobject_cast<QHBoxLayout *>(bar.layout());
    QVERIFY(row);
    QCOMPARE(row->contentsMargins(), QMargins());
    QCOMPARE(row->spacing(), 0);
    QCOMPARE(row->sizeConstraint(), QLayout::SetMinimumSize);

    const QStringList names { "minimize", "maximize", "restore", "close" };
    const QStringList tips { "Minimize", "Maximize", "Restore", "Close" };
    QCOMPARE(row->count(), 4);
    for (int i = 0; i < 4; ++i) {
        auto *button = qobject_cast<PushButton *>(row->itemAt(i)->widget());
        QVERIFY(button);
        QCOMPARE(button->objectName(), names.at(i));
        QCOMPARE(button->toolTip(), tips.at(i));
    }
    const QSizePolicy minimum(QSizePolicy::Minimum, QSizePolicy::Minimum);
    QCOMPARE(bar.minimizeButton()->sizePolicy(), minimum);
    QCOMPARE(bar.maximizeButton()->sizePolicy(), minimum);
    QCOMPARE(bar.restoreButton()->sizePolicy(), minimum);
    QCOMPARE(bar.closeButton()->sizePolicy(), QPushButton().sizePolicy());
}

void TestSystemBar::followsMaximizeAndRestore()
{
    QWidget window;
    auto *bar = new SystemBar(
        &window, SystemBar::MinimizeButton | SystemBar::MaximizeButton | SystemBar::CloseButton,
        &window);
    window.show();
    QVERIFY(bar->maximizeButton()->isVisible());
    QVERIFY(!bar->restoreButton()->isVisible());

    window.showMaximized();
    QVERIFY(!bar->maximizeButton()->isVisible());
    QVERIFY(bar->restoreButton()->isVisible());

    window.showNormal();
    QVERIFY(bar->maximizeButton()->isVisible());
    QVERIFY(!bar->restoreButton()->isVisible());
    QVERIFY(bar->minimizeButton()->isVisible());
    QVERIFY(bar->closeButton()->isVisible());
}

void TestSystemBar::fixedSizeWindowNeverShowsMaximize()
{
    QWidget window(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint);
    auto *bar = new SystemBar(&window, SystemBar::MaximizeButton | SystemBar::CloseButton, &window);
    window.show();
    window.showMaximized();
    QVERIFY(bar->restoreButton()->isVisible());
    window.showNormal();
    QVERIFY(!bar->maximizeButton()->isVisible());
    QVERIFY(!bar->restoreButton()->isVisible());
}

void TestSystemBar::buttonsActOnTheWindow()
{
    QWidget window;
    auto *bar = new SystemBar(
        &window, SystemBar::MinimizeButton | SystemBar::MaximizeButton | SystemBar::CloseButton,
        &window);
    window.show();
    bar->maximizeButton()->click();
    QVERIFY(window.isMaximized());
    bar->restoreButton()->click();
    QVERIFY(!window.isMaximized());
    bar->minimizeButton()->click();
    QVERIFY(window.isMinimized());
    window.showNormal();
    QVERIFY(window.isVisible());
    bar->closeButton()->click();
    QVERIFY(!window.isVisible());
}

void TestSystemBar::closeCanBeDisabled()
{
    QWidget window;
    auto *bar = new SystemBar(&window, SystemBar::MinimizeButton | SystemBar::CloseButton, &window);
    window.show();
    bar->setCloseEnabled(false);
    QVERIFY(!bar->closeButton()->isEnabled());
    QVERIFY(bar->minimizeButton()->isEnabled());
    QTest::mouseClick(bar->closeButton(), Qt::LeftButton);
    QVERIFY(window.isVisible());
    bar->setCloseEnabled(true);
    QVERIFY(bar->closeButton()->isEnabled());
}

QTEST_MAIN(TestSystemBar)
#include "tst_system_bar.moc"
