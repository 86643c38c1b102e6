#include "app/run_installer.h"

#include "app/application.h"
#include "app/translations_and_styles.h"
#include "wizard/main_window.h"

int runInstaller(Application &app)
{
    installTranslationsAndStyles(app);

    MainWindow window;
    QObject::connect(&app, &SingleApplication::instanceStarted, &window, &QWidget::activateWindow);
    window.resize(524, 308);
    window.show();
    return app.exec();
}
