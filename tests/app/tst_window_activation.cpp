// A second installer start must bring the running window back, even from the
// task bar; and tooltips do not animate, whatever the desktop's theme says.
#include "app/ui_effects.h"
#include "app/window_activation.h"

#include <QApplication>
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

    void tooltipsStopAnimatingOnceTheApplicationExists()
    {
        // What the application object does with a theme that animates
        // tooltips and menus.
        QApplication::setEffectEnabled(Qt::UI_General, true);
        QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, true);
        QApplication::setEffectEnabled(Qt::UI_AnimateMenu, true);
        disableUiEffects();
        QVERIFY(!QApplication::isEffectEnabled(Qt::UI_AnimateTooltip));
        QVERIFY(QApplication::isEffectEnabled(Qt::UI_AnimateMenu));
    }
};

QTEST_MAIN(TestWindowActivation)
#include "tst_window_activation.moc"
