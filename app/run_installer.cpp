#include "app/run_installer.h"

#include "app/application.h"
#include "app/translations_and_styles.h"
#include "app/window_activation.h"
#include "config/bundle.h"
#include "config/installer_config.h"
#include "engine/install_run.h"
#include "engine/registration/earlier_installation.h"
#include "toolkit/plain_disabled_text_style.h"
#include "wizard/main_window.h"

#include <QDebug>

int runInstaller(Application &app)
{
    // What the program carries inside itself stands in for files that are
    // not beside it: settings, translations, style.
    Bundle::registerFromThisProgram();
    QApplication::setStyle(new PlainDisabledTextStyle(QApplication::style()->objectName()));
    installTranslationsAndStyles(app);

    // Before any run of this process: a run that was killed is undone (or
    // finished, when it had committed) and its leftovers go.
    for (const QString &line : InstallRun::recoverInterruptedRuns())
        qInfo().noquote() << line;

    // An upgrade goes where the product already is: the start page offers
    // that folder instead of the default one.
    InstallerConfig *config = installerConfig();
    const QString earlierFolder = earlierInstallFolder(*config);
    if (!earlierFolder.isEmpty()) {
        qInfo().noquote() << "Earlier installation found in" << earlierFolder;
        config->installDir = earlierFolder;
    }

    MainWindow window;
    QObject::connect(&app, &SingleApplication::instanceStarted, &window,
                     [&window] { bringToFront(&window); });
    window.resize(524, 308);
    window.show();
    return app.exec();
}
