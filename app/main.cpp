#include "app/application.h"
#include "app/display_scale.h"
#include "app/run_installer.h"
#include "app/ui_effects.h"
#include "config/startup_environment.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    StartupEnvironment::remember();

    // Everything up to the application object: the toolkit reads attributes
    // and the scale variable when the application object is created, and
    // the single-instance key includes the version.
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, false);
    QCoreApplication::setAttribute(Qt::AA_DisableWindowContextHelpButton, true);
#ifndef Q_OS_WIN
    // On X11 Qt turns Xft.dpi into a scale of its own, rounded to a whole
    // number, which would multiply with QT_SCALE_FACTOR (Xft.dpi 144 gave a
    // window three times its size). QT_SCALE_FACTOR below already carries
    // the desktop's scale, so it is the only one applied.
    QCoreApplication::setAttribute(Qt::AA_DisableHighDpiScaling, true);
    // The installer draws nothing with OpenGL. Without this, creating a
    // translucent window loads Mesa's GLX to choose its visual, which was
    // the largest single cost before the window could appear.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets, true);
#endif

    const MonitorInfo monitor = primaryMonitorInfo();
    qputenv("QT_SCALE_FACTOR", scaleFactorText(monitor.scale).toLatin1());
#ifdef Q_OS_WIN
    // Qt's Windows platform scales per-monitor DPI itself under
    // AA_EnableHighDpiScaling (rounded: 144 dpi gives 2), and the monitor's
    // scale is already in QT_SCALE_FACTOR: together the window would come
    // out at the scale squared. One scale, the monitor's exact one. The
    // product the installer launches gets the environment from before these.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
#endif

    Application app(argc, argv, false, SingleApplication::UserScope, 1000, QString());
#ifndef Q_OS_WIN
    // Read once, by the application object; what the desktop opens for the
    // installer (the agreement and support pages) must not inherit its scale.
    qunsetenv("QT_SCALE_FACTOR");
#endif
    disableUiEffects();
    return runInstaller(app);
}
