// Shows the toolkit's windows with the shipped style resource, for looking
// at them (and taking screenshots) under a real display server:
//   toolkit_preview <shipped folder> main|question|failure [language] [--grab file.png]
// "main" is the main window on its start page, "question" the Yes/No message
// box the start page asks when the product is running, "failure" the main
// window without a package address (failure page and its notice). With
// --grab the window (or the box) is rendered with its translucent shadow onto
// a light backdrop, as a compositing desktop shows it, saved, and the program
// ends.
#include "app/translations_and_styles.h"
#include "config/installer_config.h"
#include "toolkit/messagebox.h"
#include "wizard/main_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QResource>
#include <QTimer>
#include <QTranslator>

namespace {

void grabOnBackdrop(QWidget *widget, const QString &fileName)
{
    const QPixmap window = widget->grab();
    QPixmap backdrop(window.size() + QSize(40, 40) * window.devicePixelRatio());
    backdrop.setDevicePixelRatio(window.devicePixelRatio());
    backdrop.fill(QColor(0xd8, 0xdc, 0xe0));
    QPainter painter(&backdrop);
    painter.drawPixmap(20, 20, window);
    painter.end();
    if (!backdrop.save(fileName))
        qWarning("toolkit_preview: cannot write %s", qPrintable(fileName));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    QString grabFile;
    const int grabAt = args.indexOf(QStringLiteral("--grab"));
    if (grabAt > 0 && grabAt + 1 < args.size()) {
        grabFile = args.at(grabAt + 1);
        args.erase(args.begin() + grabAt, args.begin() + grabAt + 2);
    }
    if (args.size() < 3) {
        qCritical("usage: toolkit_preview <shipped folder> main|question|failure [language] "
                  "[--grab file.png]");
        return 2;
    }
    const QDir shipped(args.at(1));
    const QString what = args.at(2);

    QTranslator translator;
    if (args.size() > 3
        && translator.load(QStringLiteral("installer.") + args.at(3),
                           shipped.filePath(QStringLiteral("resources/translations"))))
        app.installTranslator(&translator);

    // The same resource and sheets the installer loads at start-up, followed
    // by any -stylesheet given on the command line.
    if (!QResource::registerResource(
            shipped.filePath(QStringLiteral("resources/styles/installer.brc"))))
        qWarning("toolkit_preview: no style resource in %s", qPrintable(shipped.path()));
    QString commandLineSheet = app.styleSheet();
    if (commandLineSheet.startsWith(QLatin1String("file:///"))) {
        QFile file(commandLineSheet.mid(7));
        commandLineSheet
            = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    app.setStyleSheet(loadStyleSheets(QStringLiteral(":/qss/style/")) + commandLineSheet);

    installerConfig()->productText = QStringLiteral("Velmar");
    installerConfig()->packageUrl = what == QLatin1String("failure")
        ? QString()
        : QStringLiteral("http://127.0.0.1/velmar.zip");

    MainWindow window;
    window.resize(524, 308);
    window.move(40, 40);
    window.show();

    if (what == QLatin1String("question")) {
        QTimer::singleShot(0, &window, [&window, grabFile] {
            if (!grabFile.isEmpty()) {
                QTimer::singleShot(500, [grabFile] {
                    QWidget *box = QApplication::activeModalWidget();
                    if (box) {
                        grabOnBackdrop(box, grabFile);
                        box->close();
                    }
                });
            }
            const auto answer = Messagebox::question(
                &window, QStringLiteral("Prompt"),
                QStringLiteral("The Velmar is running, are you sure to terminate it?"),
                QDialogButtonBox::Yes | QDialogButtonBox::No, QDialogButtonBox::No);
            qInfo("answer: 0x%x", unsigned(answer));
            window.close();
        });
    } else if (!grabFile.isEmpty()) {
        // Late enough for the missing-address notice to be on the window.
        QTimer::singleShot(500, &window, [&window, grabFile] {
            grabOnBackdrop(&window, grabFile);
            window.close();
        });
    }
    return app.exec();
}
