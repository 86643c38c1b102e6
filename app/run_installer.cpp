#include "app/run_installer.h"

#include "app/application.h"
#include "app/translations_and_styles.h"
#include "app/window_activation.h"
#include "wizard/main_window.h"

int runInstaller(Application &app)
{
    installTranslationsAndStyles(app);

    MainWindow window;
    QObject::connect(&app, &SingleApplication::instanceStarted, &window,
                     [&window] { bringToFront(&window); });
    window.resize(524, 308);
    window.show();
    return app.exec();
}
