// A second installer start must bring the running window back, even from the
// task bar.
#include "app/window_activation.h"

#include <QTest>
#include <QWidget>

class TestWindowActivation : public QObject
{
    Q_OBJECT

private slots:
    void restoresAMinimizedWindow()
    {
        QWidget window;
        window.resize(524, 308);
        window.showMinimized();
        QVERIFY(window.isMinimized());

        bringToFront(&window);
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }

    void showsAHiddenWindowAndKeepsItsOtherStates()
    {
        QWidget window;
        window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
        bringToFront(&window);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isMaximized());
    }
};

QTEST_MAIN(TestWindowActivation)
#include "tst_window_activation.moc"
