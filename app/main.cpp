#include "app/application.h"
#include "app/display_scale.h"
#include "app/run_installer.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Everything up to the application object: the toolkit reads attributes
    // and the scale variable when the application object is created, and
    // the single-instance key includes the version.
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    QCoreApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, false);
    QCoreApplication::setAttribute(Qt::AA_DisableWindowContextHelpButton, true);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);

    const MonitorInfo monitor = primaryMonitorInfo();
    qputenv("QT_SCALE_FACTOR", scaleFactorText(monitor.scale).toLatin1());
#ifdef Q_OS_WIN
    // Qt's Windows platform scales per-monitor DPI itself under
    // AA_EnableHighDpiScaling (rounded: 144 dpi gives 2), and the monitor's
    // scale is already in QT_SCALE_FACTOR: together the window came out at
    // the scale squared. One scale, the monitor's exact one; the variable
    // also keeps the product the installer launches from scaling twice.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
#endif

    Application app(argc, argv, false, SingleApplication::UserScope, 1000, QString());
    return runInstaller(app);
}
